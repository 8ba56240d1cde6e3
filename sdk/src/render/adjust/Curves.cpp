#include "render/adjust/Curves.h"

#include <algorithm>
#include <map>

#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

ChannelTable CurveTable(std::vector<CurvePoint> input)
{
    std::map<int, int> unique;
    for (const CurvePoint& point : input)
        unique[std::min(std::max(point.input, 0), 255)] = std::min(std::max(point.output, 0), 255);
    if (unique.size() < 2) {
        ChannelTable table = IdentityTable();
        if (unique.size() == 1)
            table.fill(static_cast<uint8_t>(unique.begin()->second));
        return table;
    }
    std::vector<double> x, y;
    for (const auto& point : unique) {
        x.push_back(point.first);
        y.push_back(point.second);
    }
    // Second derivatives m of the natural spline: a tridiagonal system, solved forward and back.
    const size_t n = x.size();
    std::vector<double> m(n, 0.0), c(n, 0.0), d(n, 0.0);
    for (size_t i = 1; i + 1 < n; ++i) {
        const double h0 = x[i] - x[i - 1], h1 = x[i + 1] - x[i];
        const double a = h0, b = 2 * (h0 + h1), cc = h1;
        const double r = 6 * ((y[i + 1] - y[i]) / h1 - (y[i] - y[i - 1]) / h0);
        const double denominator = b - a * c[i - 1];
        c[i] = cc / denominator;
        d[i] = (r - a * d[i - 1]) / denominator;
    }
    for (size_t i = n - 2; i >= 1; --i)
        m[i] = d[i] - c[i] * m[i + 1];

    ChannelTable table;
    size_t segment = 0;
    for (int v = 0; v < 256; ++v) {
        if (v <= x.front()) {
            table[v] = static_cast<uint8_t>(y.front());
            continue;
        }
        if (v >= x.back()) {
            table[v] = static_cast<uint8_t>(y.back());
            continue;
        }
        while (v > x[segment + 1])
            ++segment;
        const double h = x[segment + 1] - x[segment];
        const double a = (x[segment + 1] - v) / h, b = (v - x[segment]) / h;
        const double value = a * y[segment] + b * y[segment + 1] +
                             ((a * a * a - a) * m[segment] + (b * b * b - b) * m[segment + 1]) *
                                 h * h / 6;
        table[v] = ToLevel(value);
    }
    return table;
}

namespace {

std::vector<CurvePoint> ReadPoints(SettingsBytes& bytes, uint32_t count)
{
    if (count > bytes.Left() / 4)
        SettingsBytes::Fail();
    std::vector<CurvePoint> points;
    for (uint32_t i = 0; i < count; ++i) {
        CurvePoint point;
        point.output = bytes.U16();
        point.input = bytes.U16();
        points.push_back(point);
    }
    return points;
}

ChannelTable ReadMap(SettingsBytes& bytes)
{
    ChannelTable table;
    for (int v = 0; v < 256; ++v)
        table[v] = bytes.U8();
    return table;
}

}  // namespace

CurvesSettings ReadCurvesSettings(const std::vector<uint8_t>& block)
{
    CurvesSettings settings;
    SettingsBytes bytes(block);
    settings.map = bytes.U8() != 0;
    bytes.U16();  // the version
    auto curve = [&](int channel) {
        if (settings.map)
            settings.tables[channel] = ReadMap(bytes);
        else
            settings.points[channel] = ReadPoints(bytes, bytes.U16());
    };
    const uint32_t channels = bytes.U32();
    for (int channel = 0; channel < 32; ++channel) {
        if ((channels & (1u << channel)) != 0)
            curve(channel);
    }
    // The extension, where present, lists the curves again with their channel numbers.
    if (bytes.Next("Crv ")) {
        bytes.Skip(4);
        bytes.U16();  // its version
        const uint32_t count = bytes.U32();
        if (count > bytes.Left() / 2)
            SettingsBytes::Fail();
        settings.points.clear();
        settings.tables.clear();
        for (uint32_t i = 0; i < count; ++i)
            curve(bytes.U16());
    }
    return settings;
}

std::unique_ptr<Adjustment> MakeCurves(const CurvesSettings& settings, bool gray)
{
    auto curve = [&](int channel) {
        if (settings.map) {
            const auto found = settings.tables.find(channel);
            return found == settings.tables.end() ? IdentityTable() : found->second;
        }
        const auto found = settings.points.find(channel);
        return found == settings.points.end() ? IdentityTable() : CurveTable(found->second);
    };
    const ChannelTable master = curve(0);
    std::array<ChannelTable, 3> tables;
    for (int channel = 0; channel < 3; ++channel)
        tables[channel] = ChainTables(curve(gray ? 1 : 1 + channel), master);
    return std::unique_ptr<Adjustment>(new TableAdjustment(tables));
}

std::unique_ptr<Adjustment> ReadCurves(const std::vector<uint8_t>& block, bool gray)
{
    return MakeCurves(ReadCurvesSettings(block), gray);
}

}  // namespace render
}  // namespace sdk
