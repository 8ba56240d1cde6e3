// The layer manifest of a PSD document: NAME.json, UTF-8, for game engines and scripts that
// rebuild the document from its layer PNGs. One object: the manifest's layout version (1), the
// document's size, colour mode and depth, and "layers", the tree of layers and groups top first
// as the editor's layer panel shows it. Each node carries its name, kind, visibility, opacities,
// blend mode, clipping, masks, rectangle (a group's: the union of its children's) and the file
// written for it, relative to the manifest, or null; a placed layer's node also the file it
// shows and where (ManifestSmartObject.h).
#pragma once

#include "conversion/ConvertContext.h"
#include "conversion/psd/PsdDocument.h"
#include "graphic/ImageLoader.h"

// Writes the manifest of document at its turn (after the layer PNGs): status line, the file
// whole or not at all, a progress step. Raises what the reader's layer tree raises.
void WriteManifest(ConvertContext& context, const PsdDocument& document,
                   sdk::graphic::ImageLoader& loader);
