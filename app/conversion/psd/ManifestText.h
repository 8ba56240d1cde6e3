// The text of type layers, as the layer manifest and the text report give it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/output/JsonText.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdTypeLayer.h"

// Reads the text of the type layer of record index (its "TySh" block) into text. False, with
// what is wrong in words and the tag ("its text's engine data is malformed
// (ImageLoaderPSD::TypeLayer:530)") in problem, when the block cannot be read or the layer has
// none (the older type layers of "tySh" blocks).
bool ReadTypeLayerText(sdk::graphic::ImageLoaderPSD& psd, int32_t index,
                       sdk::graphic::PsdTypeLayer& text, std::string& problem);

// Writes the "text" member of the manifest node of the type layer of record index: an object of
// the characters (UTF-8, "\r" between paragraphs as stored), the transform (xx, xy, yx, yy, tx,
// ty), orientation, anti-aliasing, justification, warp style, and the style runs (start and
// length in UTF-16 units, font, size and leading in document pixels, colour as red, green, blue
// and alpha of 0 to 255, leading null when automatic). A block that cannot be read gives null,
// and a note in notes (when not null) naming the layer and what is wrong.
void WriteManifestText(JsonText& json, sdk::graphic::ImageLoaderPSD& psd, int32_t index,
                       std::vector<std::string>* notes);
