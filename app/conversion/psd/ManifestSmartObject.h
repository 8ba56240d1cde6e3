// The "smartObject" member of a placed layer's node in the layer manifest: the file the layer
// shows and where it lies in the document.
//
//   "smartObject": {"id": "5a96c404-...", "file": "hero/smart/logo.png", "name": "logo.png",
//                   "fileType": "png ", "embedded": true,
//                   "corners": [96, 96, 160, 96, 160, 160, 96, 160],
//                   "size": {"width": 64, "height": 64}}
//
// "id" is the linked file's unique id; "file" the file --smart-objects wrote for it, relative to
// the manifest, or null; "name" its original name, "fileType" its four-character type and
// "embedded" whether the document holds its bytes (null, all three, when the document keeps no
// record of it); a linked file ("embedded": false) has "externalPath", where it lives, or null.
// "corners" are the x and y of the content's top left, top right, bottom right and bottom left
// corners in the document, "size" the content's own size in its pixels (0 where the document
// says none). A placement block that cannot be read gives null, and a note.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "conversion/ConvertContext.h"
#include "conversion/output/JsonText.h"
#include "conversion/psd/PsdDocument.h"

namespace sdk {
namespace graphic {
class ImageLoaderPSD;
}  // namespace graphic
}  // namespace sdk

// Writes "smartObject" and its value for the layer at index when it is a placed layer; nothing
// for another layer. relative gives a written file's path as the manifest names it.
void WriteManifestSmartObject(JsonText& json, ConvertContext& context, const PsdDocument& document,
                              sdk::graphic::ImageLoaderPSD& psd, int32_t index,
                              const std::function<std::string(const std::string&)>& relative);
