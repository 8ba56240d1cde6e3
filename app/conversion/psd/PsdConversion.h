// The outputs of a PSD document, in their fixed order: the merged PNG, the text report, the MNG,
// the layer PNGs. The document's images are decoded row by row, each once for all its outputs,
// and the outputs made as the rows come; the layers may be decoded and encoded on several
// threads at once (option.layerEncoders). What is seen is as if every layer were loaded first
// and the outputs written after: a layer that cannot be decoded fails the document before the
// MNG and any layer PNG is written, and every output is written whole, at its turn, after its
// status line.
#pragma once

#include <string>

#include "conversion/ConvertContext.h"
#include "graphic/ImageLoader.h"

void ConvertPsd(ConvertContext& context, sdk::graphic::ImageLoader& loader, const std::string& path,
                const std::string& base);
