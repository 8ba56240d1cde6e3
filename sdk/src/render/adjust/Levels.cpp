#include "render/adjust/Levels.h"

#include <algorithm>
#include <cmath>

#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

ChannelTable LevelsTable(const LevelsRecord& record)
{
    ChannelTable table;
    const double gamma = record.gamma > 0 ? record.gamma : 1.0;
    const double span = record.inputCeiling - record.inputFloor;
    for (int v = 0; v < 256; ++v) {
        double x;
        if (span > 0)
            x = std::min(std::max((v - record.inputFloor) / span, 0.0), 1.0);
        else
            x = v >= record.inputCeiling ? 1.0 : 0.0;
        x = std::pow(x, 1.0 / gamma);
        table[v] = ToLevel(x * (record.outputCeiling - record.outputFloor) + record.outputFloor);
    }
    return table;
}

namespace {

LevelsRecord ReadRecord(SettingsBytes& bytes)
{
    LevelsRecord record;
    record.inputFloor = std::min<int>(bytes.U16(), 255);
    record.inputCeiling = std::min<int>(bytes.U16(), 255);
    record.outputFloor = std::min<int>(bytes.U16(), 255);
    record.outputCeiling = std::min<int>(bytes.U16(), 255);
    record.gamma = bytes.U16() / 100.0;
    return record;
}

}  // namespace

LevelsSettings ReadLevelsSettings(const std::vector<uint8_t>& block)
{
    SettingsBytes bytes(block);
    bytes.U16();  // the version
    LevelsSettings settings;
    for (LevelsRecord& record : settings.records)
        record = ReadRecord(bytes);
    return settings;
}

std::unique_ptr<Adjustment> MakeLevels(const LevelsSettings& settings, bool gray)
{
    const ChannelTable master = LevelsTable(settings.records[0]);
    std::array<ChannelTable, 3> tables;
    for (int channel = 0; channel < 3; ++channel) {
        const LevelsRecord& own = settings.records[gray ? 1 : 1 + channel];
        tables[channel] = ChainTables(LevelsTable(own), master);
    }
    return std::unique_ptr<Adjustment>(new TableAdjustment(tables));
}

std::unique_ptr<Adjustment> ReadLevels(const std::vector<uint8_t>& block, bool gray)
{
    return MakeLevels(ReadLevelsSettings(block), gray);
}

}  // namespace render
}  // namespace sdk
