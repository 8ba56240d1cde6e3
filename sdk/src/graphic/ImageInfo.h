// What a reader tells about a document or one of its layers.
#pragma once

#include <cstdint>
#include <string>

namespace sdk {
namespace graphic {

struct ImageInfo {
    int32_t width = 0;
    int32_t height = 0;
    int32_t x = 0;      // left offset on the document's canvas; 0 for a main image
    int32_t y = 0;      // top offset on the canvas
    int32_t delay = 0;  // interframe delay of an animation frame, in the animation's ticks
    std::string title;    // layer name (PSD name, PNG text "Title", MNG text "title")
    std::string comment;  // free text (PNG text "Comment", MNG text "comment")
    std::string mode;     // blend-mode key such as "norm" (PSD), PNG text "Mode"
    // Strings hold the file's bytes (code page 932 in the files themselves; PSD layer names
    // become UTF-8 on systems whose byte strings are UTF-8).
};

}  // namespace graphic
}  // namespace sdk
