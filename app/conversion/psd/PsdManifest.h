// The layer manifest of a PSD document: NAME.json, UTF-8, for game engines and scripts that
// rebuild the document from its layer PNGs. One object: the manifest's layout version (1), the
// document's size, colour mode and depth, "comps", the document's layer comps (each with its
// name, id, what it captured, its comment and whether the layers are shown in it), and
// "layers", the tree of layers and groups top first as the editor's layer panel shows it. Each
// node carries its name, kind, visibility, opacities, blend mode, clipping, masks, rectangle (a
// group's: the union of its children's) and the file written for it, relative to the manifest,
// or null; then a type layer's text and styles (ManifestText.h), a placed layer's file and
// where it shows (ManifestSmartObject.h), and its adjustment, fill and effects settings where it
// has them (ManifestLayerSettings.h).
#pragma once

#include "conversion/ConvertContext.h"
#include "conversion/psd/PsdDocument.h"
#include "graphic/ImageLoader.h"

// The manifest's layout version, its "version" key: raised whenever a key changes meaning or
// leaves; keys may be added within a version.
const int kManifestVersion = 2;

// Writes the manifest of document at its turn (after the layer PNGs): status line, the file
// whole or not at all, a progress step; one note (to context's remarks) names the layers whose
// settings could not be read and are null. Raises what the reader's layer tree raises.
void WriteManifest(ConvertContext& context, const PsdDocument& document,
                   sdk::graphic::ImageLoader& loader);
