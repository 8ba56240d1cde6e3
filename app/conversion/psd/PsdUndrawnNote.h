// The remark a composed picture gets when the renderer leaves something of its layers out:
// one line naming each layer shown and what of it is not drawn.
#pragma once

#include <string>

#include "graphic/psd/ImageLoaderPSD.h"

// "layer 7 \"Glow\": drop shadow, stroke not drawn; layer 9 \"Sky\": gradient fill not drawn",
// layers numbered from 1 in record order and named as the layer panel nests them; empty when
// everything shown is drawn. Raises what the layer tree and the layers' settings raise.
std::string UndrawnNote(sdk::graphic::ImageLoaderPSD& psd);
