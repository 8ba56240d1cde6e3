// Levels ("levl"): per channel, an input range stretched to an output range with a gamma
// between; the channel's own record first, then the master record.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/adjust/Adjustment.h"

namespace sdk {
namespace render {

struct LevelsRecord {
    int inputFloor = 0;
    int inputCeiling = 255;
    int outputFloor = 0;
    int outputCeiling = 255;
    double gamma = 1.0;
};

// The records of a "levl" block: the master record, then red, green and blue (in a gray document
// the gray record is the first of these).
struct LevelsSettings {
    LevelsRecord records[4];
};

// The record's table: x = clamp((v - inFloor) / (inCeiling - inFloor), 0, 1) ^ (1 / gamma),
// out = x (outCeiling - outFloor) + outFloor, rounded.
ChannelTable LevelsTable(const LevelsRecord& record);

// The settings of a "levl" block: a version, then 29 records of five 16-bit values (master,
// then one per channel), of which the first four are kept. Raises kDamagedSettings for a block
// too short.
LevelsSettings ReadLevelsSettings(const std::vector<uint8_t>& block);
// The adjustment of the settings: each channel's record, then the master record.
std::unique_ptr<Adjustment> MakeLevels(const LevelsSettings& settings, bool gray);
// The adjustment of a "levl" block; raises as ReadLevelsSettings.
std::unique_ptr<Adjustment> ReadLevels(const std::vector<uint8_t>& block, bool gray);

}  // namespace render
}  // namespace sdk
