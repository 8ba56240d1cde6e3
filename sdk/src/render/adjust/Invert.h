// Invert ("nvrt"): every channel turned over, 255 - v. The block holds no settings.
#pragma once

#include <memory>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

ChannelTable InvertTable();
std::unique_ptr<Adjustment> MakeInvert();

}  // namespace render
}  // namespace sdk
