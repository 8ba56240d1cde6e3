#include "render/adjust/ColorLookup.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "graphic/psd/PsdDescriptor.h"
#include "render/adjust/SettingsBytes.h"

namespace sdk {
namespace render {

namespace {

const int32_t kLargestSize = 256;

// The numbers of one line, or none for a line of words.
std::vector<double> Numbers(const std::string& line)
{
    std::vector<double> numbers;
    const char* at = line.c_str();
    while (*at) {
        while (*at == ' ' || *at == '\t' || *at == '\r')
            ++at;
        if (!*at)
            break;
        char* end = nullptr;
        const double value = std::strtod(at, &end);
        if (end == at)
            return std::vector<double>();
        numbers.push_back(value);
        at = end;
    }
    return numbers;
}

// Lines of the text, comments (#) left out.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        if (line.find_first_not_of(" \t\r") != std::string::npos)
            lines.push_back(line);
    }
    return lines;
}

}  // namespace

ColorLookup::ColorLookup(int32_t size, std::vector<float> table)
    : size_(size), table_(std::move(table))
{
}

const float* ColorLookup::Entry(int32_t r, int32_t g, int32_t b) const
{
    return &table_[(static_cast<size_t>(b) * size_ * size_ + static_cast<size_t>(g) * size_ + r) * 3];
}

void ColorLookup::Apply(uint8_t* rgb, int32_t count) const
{
    const double steps = size_ - 1;
    for (int32_t x = 0; x < count; ++x) {
        uint8_t* pixel = rgb + x * 3;
        int32_t index[3];
        double fraction[3];
        for (int c = 0; c < 3; ++c) {
            const double position = pixel[c] / 255.0 * steps;
            index[c] = std::min(static_cast<int32_t>(position), size_ - 2);
            fraction[c] = position - index[c];
        }
        double out[3] = {0, 0, 0};
        for (int corner = 0; corner < 8; ++corner) {
            const int dr = corner & 1, dg = (corner >> 1) & 1, db = (corner >> 2) & 1;
            const double weight = (dr ? fraction[0] : 1 - fraction[0]) *
                                  (dg ? fraction[1] : 1 - fraction[1]) *
                                  (db ? fraction[2] : 1 - fraction[2]);
            const float* entry = Entry(index[0] + dr, index[1] + dg, index[2] + db);
            for (int c = 0; c < 3; ++c)
                out[c] += weight * entry[c];
        }
        for (int c = 0; c < 3; ++c)
            pixel[c] = ToLevel(out[c] * 255);
    }
}

std::unique_ptr<Adjustment> ParseCubeTable(const std::string& text)
{
    int32_t size = 0;
    double low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
    std::vector<float> table;
    for (const std::string& line : Lines(text)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "LUT_3D_SIZE") {
            words >> size;
            if (size < 2 || size > kLargestSize || !table.empty())
                return nullptr;
            // Every entry takes at least six characters of the text.
            const size_t entries = static_cast<size_t>(size) * size * size;
            if (entries > text.size() / 6)
                return nullptr;
            table.reserve(entries * 3);
        } else if (word == "DOMAIN_MIN" || word == "DOMAIN_MAX") {
            double* bound = word == "DOMAIN_MIN" ? low : high;
            words >> bound[0] >> bound[1] >> bound[2];
        } else if (size > 0) {
            const std::vector<double> numbers = Numbers(line);
            if (numbers.size() != 3)
                continue;  // other keywords (TITLE, LUT_1D_SIZE, ...)
            if (table.size() >= static_cast<size_t>(size) * size * size * 3)
                return nullptr;
            for (int c = 0; c < 3; ++c) {
                const double span = high[c] - low[c];
                table.push_back(static_cast<float>(span > 0 ? (numbers[c] - low[c]) / span : 0));
            }
        }
    }
    if (size == 0 || table.size() != static_cast<size_t>(size) * size * size * 3)
        return nullptr;
    return std::unique_ptr<Adjustment>(new ColorLookup(size, std::move(table)));
}

std::unique_ptr<Adjustment> Parse3dlTable(const std::string& text)
{
    const std::vector<std::string> lines = Lines(text);
    if (lines.empty())
        return nullptr;
    // The first line of numbers lists the input levels; its count is the entries per axis.
    size_t first = 0;
    while (first < lines.size() && Numbers(lines[first]).size() < 2)
        ++first;
    if (first >= lines.size())
        return nullptr;
    const int32_t size = static_cast<int32_t>(Numbers(lines[first]).size());
    if (size < 2 || size > kLargestSize)
        return nullptr;
    const size_t entries = static_cast<size_t>(size) * size * size;
    if (lines.size() - first - 1 < entries)
        return nullptr;
    std::vector<double> values;
    values.reserve(entries * 3);
    double largest = 0;
    for (size_t i = 0; i < entries; ++i) {
        const std::vector<double> numbers = Numbers(lines[first + 1 + i]);
        if (numbers.size() != 3)
            return nullptr;
        for (double v : numbers) {
            values.push_back(v);
            largest = std::max(largest, v);
        }
    }
    // The entries' scale: 10, 12 or 16 bits, by the largest value found.
    const double full = largest <= 1023 ? 1023 : largest <= 4095 ? 4095 : 65535;
    std::vector<float> table(entries * 3);
    for (int32_t r = 0; r < size; ++r) {
        for (int32_t g = 0; g < size; ++g) {
            for (int32_t b = 0; b < size; ++b) {
                const size_t from = ((static_cast<size_t>(r) * size + g) * size + b) * 3;
                const size_t to = ((static_cast<size_t>(b) * size + g) * size + r) * 3;
                for (int c = 0; c < 3; ++c)
                    table[to + c] = static_cast<float>(values[from + c] / full);
            }
        }
    }
    return std::unique_ptr<Adjustment>(new ColorLookup(size, std::move(table)));
}

ColorLookupSettings ReadColorLookupSettings(const std::vector<uint8_t>& block)
{
    SettingsBytes bytes(block);
    bytes.U16();  // the version
    if (bytes.U32() != 16)
        SettingsBytes::Fail();
    size_t at = bytes.At();
    const graphic::PsdDescriptorValue descriptor =
        graphic::ReadPsdDescriptor(block.data(), block.size(), at, kDamagedSettings);
    using Table = ColorLookupSettings::Table;
    ColorLookupSettings settings;
    const graphic::PsdDescriptorValue* name = descriptor.Find("LUT3DFileName");
    if (name && name->type == graphic::PsdDescriptorValue::Type::Text)
        settings.name = name->wide;
    const graphic::PsdDescriptorValue* data = descriptor.Find("LUT3DFileData");
    if (!data || data->type != graphic::PsdDescriptorValue::Type::Raw) {
        settings.table = descriptor.Find("profile") || descriptor.Find("LUT3DFileName")
                             ? Table::Other
                             : Table::None;
        return settings;
    }
    settings.text.assign(data->raw.begin(), data->raw.end());
    const std::string format = descriptor.Text("LUTFormat");
    if (format == "LUTFormat3DL")
        settings.table = Table::ThreeDL;
    else if (format == "LUTFormatCUBE" || settings.text.find("LUT_3D_SIZE") != std::string::npos)
        settings.table = Table::Cube;
    else
        settings.table = Table::Other;
    return settings;
}

std::unique_ptr<Adjustment> MakeColorLookup(const ColorLookupSettings& settings)
{
    using Table = ColorLookupSettings::Table;
    switch (settings.table) {
        case Table::None:
            return std::unique_ptr<Adjustment>(new TableAdjustment(SameTables(IdentityTable())));
        case Table::Cube:
            return ParseCubeTable(settings.text);
        case Table::ThreeDL:
            return Parse3dlTable(settings.text);
        default:
            return nullptr;
    }
}

}  // namespace render
}  // namespace sdk
