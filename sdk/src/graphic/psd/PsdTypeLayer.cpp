#include "graphic/psd/PsdTypeLayer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "debug/Error.h"
#include "graphic/psd/PsdDescriptor.h"
#include "graphic/psd/PsdEngineData.h"
#include "graphic/psd/PsdFieldReader.h"

namespace sdk {
namespace graphic {

const char kPsdTypeLayerCutShort[] = "ImageLoaderPSD::TypeLayer:510";
const char kPsdTypeLayerVersion[] = "ImageLoaderPSD::TypeLayer:515";
const char kPsdTypeLayerSettings[] = "ImageLoaderPSD::TypeLayer:520";
const char kPsdTypeLayerStyleRuns[] = "ImageLoaderPSD::TypeLayer:550";

namespace {

const uint16_t kTypeToolVersion = 1;
const uint16_t kTextVersion = 50;
const uint16_t kWarpVersion = 1;

[[noreturn]] void BadRuns()
{
    throw debug::runtime_error(kPsdTypeLayerStyleRuns);
}

// The item of an array at a number, when the number is a whole index within it.
const PsdEngineValue* Indexed(const PsdEngineValue* array, double index)
{
    if (array == nullptr || !(index >= 0) || index != std::floor(index) ||
        index >= static_cast<double>(array->items.size()))
        return nullptr;
    return array->At(static_cast<size_t>(index));
}

// A run's length: a whole number that fits 32 bits.
int32_t RunLength(const PsdEngineValue& value)
{
    if (value.type != PsdEngineValue::Type::Number || !(value.number >= 0) ||
        value.number > std::numeric_limits<int32_t>::max() ||
        value.number != std::floor(value.number))
        BadRuns();
    return static_cast<int32_t>(value.number);
}

uint8_t ColorByte(double value)
{
    if (!(value > 0))
        return 0;
    return value >= 1 ? 255 : static_cast<uint8_t>(std::lround(value * 255));
}

// What the type layer takes from one style sheet's data, found in one pass over it: the first
// item of each key, and the fill colour. A sheet that many runs share (the default run's, the
// document's) is read once, so a text of many runs takes time in proportion to its size.
struct SheetValues {
    enum Key { kFont, kFontSize, kFauxBold, kFauxItalic, kTracking, kAutoLeading, kLeading, kKeys };
    const PsdEngineValue* values[kKeys] = {};
    bool colorGiven = false;
    bool hasColor = false;
    uint8_t color[4] = {0, 0, 0, 255};  // red, green, blue, alpha
};

// A fill colour of type 1: alpha, red, green and blue, each 0 to 1.
void ReadColor(const PsdEngineValue& color, SheetValues& sheet)
{
    sheet.colorGiven = true;
    const PsdEngineValue* values = color.Find("Values");
    if (color.Number("Type", -1) != 1 || values == nullptr || values->items.size() != 4)
        return;
    for (const PsdEngineValue& value : values->items) {
        if (value.type != PsdEngineValue::Type::Number)
            return;
    }
    sheet.hasColor = true;
    for (int c = 0; c < 3; ++c)
        sheet.color[c] = ColorByte(values->items[c + 1].number);
    sheet.color[3] = ColorByte(values->items[0].number);
}

SheetValues ReadSheet(const PsdEngineValue* data)
{
    static const char* const keys[SheetValues::kKeys] = {
        "Font", "FontSize", "FauxBold", "FauxItalic", "Tracking", "AutoLeading", "Leading"};
    SheetValues sheet;
    if (data == nullptr || data->type != PsdEngineValue::Type::Dictionary)
        return sheet;
    for (const PsdEngineValue& item : data->items) {
        if (item.key == "FillColor" && !sheet.colorGiven) {
            ReadColor(item, sheet);
            continue;
        }
        for (int k = 0; k < SheetValues::kKeys; ++k) {
            if (sheet.values[k] == nullptr && item.key == keys[k])
                sheet.values[k] = &item;
        }
    }
    return sheet;
}

// The sheets of a run's style, its own first: a value comes from the first that has it.
class StyleLayers {
public:
    void Add(const SheetValues* sheet)
    {
        if (sheet != nullptr)
            layers_.push_back(sheet);
    }
    const PsdEngineValue* Find(SheetValues::Key key) const
    {
        for (const SheetValues* layer : layers_) {
            if (layer->values[key] != nullptr)
                return layer->values[key];
        }
        return nullptr;
    }
    double Number(SheetValues::Key key, double fallback) const
    {
        const PsdEngineValue* value = Find(key);
        if (value == nullptr || (value->type != PsdEngineValue::Type::Number &&
                                 value->type != PsdEngineValue::Type::Boolean))
            return fallback;
        return value->number;
    }
    const SheetValues* Color() const
    {
        for (const SheetValues* layer : layers_) {
            if (layer->colorGiven)
                return layer;
        }
        return nullptr;
    }

private:
    std::vector<const SheetValues*> layers_;
};

const char* JustificationName(double value)
{
    static const char* const names[] = {"left",         "right",         "center",    "justifyLeft",
                                        "justifyRight", "justifyCenter", "justifyAll"};
    for (int i = 0; i < 7; ++i) {
        if (value == i)
            return names[i];
    }
    return "left";
}

std::string AntiAliasName(const std::string& stored)
{
    static const char* const names[][2] = {
        {"Anno", "none"},
        {"antiAliasSharp", "sharp"},
        {"AnCr", "crisp"},
        {"AnSt", "strong"},
        {"AnSm", "smooth"},
        {"antiAliasPlatformLCD", "platformLcd"},
        {"antiAliasPlatformGray", "platformGray"},
    };
    for (const auto& name : names) {
        if (stored == name[0])
            return name[1];
    }
    return stored;
}

// The engine data's own number for the anti-aliasing, for a block whose settings do not say it.
std::string EngineAntiAlias(double value)
{
    static const char* const names[] = {"none", "crisp", "strong", "smooth", "sharp"};
    if (value >= 0 && value <= 4 && value == std::floor(value))
        return names[static_cast<int>(value)];
    return value == 6 ? "platformLcd" : "";
}

class EngineText {
public:
    EngineText(const PsdEngineValue& root, PsdTypeLayer& layer) : layer_(layer)
    {
        engine_ = root.Find("EngineDict");
        const PsdEngineValue* resources = root.Find("ResourceDict");
        if (resources == nullptr)
            resources = root.Find("DocumentResources");
        if (engine_ == nullptr)
            BadRuns();
        if (resources != nullptr) {
            fontSet_ = resources->Find("FontSet");
            styleSheetSet_ = resources->Find("StyleSheetSet");
            paragraphSheetSet_ = resources->Find("ParagraphSheetSet");
            normalStyleSheet_ = resources->Number("TheNormalStyleSheet", 0);
            normalParagraphSheet_ = resources->Number("TheNormalParagraphSheet", 0);
        }
    }

    void Read()
    {
        Paragraphs();
        Styles();
        if (layer_.antiAlias.empty())
            layer_.antiAlias = EngineAntiAlias(engine_->Number("AntiAlias", -1));
    }

    // Engine data's writing direction, for a block whose settings do not say the orientation.
    bool Vertical() const
    {
        const PsdEngineValue* shapes = engine_->Find({"Rendered", "Shapes"});
        return shapes != nullptr && shapes->Number("WritingDirection", 0) == 2;
    }

private:
    struct Paragraph {
        int64_t start;
        double styleSheet;  // the document's style sheet it names
    };

    // Where each paragraph starts and the style sheet it names, and the first paragraph's
    // justification: its own, the default run's, the document's normal paragraph sheet's.
    void Paragraphs()
    {
        const PsdEngineValue* paragraphRun = engine_->Find("ParagraphRun");
        const PsdEngineValue* defaults =
            paragraphRun ? paragraphRun->Find({"DefaultRunData", "ParagraphSheet"}) : nullptr;
        const PsdEngineValue* runs = paragraphRun ? paragraphRun->Find("RunArray") : nullptr;
        const PsdEngineValue* lengths =
            paragraphRun ? paragraphRun->Find("RunLengthArray") : nullptr;
        const double fallback = defaults && defaults->Find("DefaultStyleSheet")
                                    ? defaults->Number("DefaultStyleSheet", 0)
                                    : normalStyleSheet_;
        int64_t start = 0;
        for (size_t i = 0; lengths != nullptr && i < lengths->items.size(); ++i) {
            const PsdEngineValue* run = runs ? runs->At(i) : nullptr;
            const PsdEngineValue* sheet = run ? run->Find("ParagraphSheet") : nullptr;
            paragraphs_.push_back({start, sheet && sheet->Find("DefaultStyleSheet")
                                              ? sheet->Number("DefaultStyleSheet", 0)
                                              : fallback});
            const PsdEngineValue& length = lengths->items[i];
            if (length.type != PsdEngineValue::Type::Number || !(length.number >= 0) ||
                length.number > std::numeric_limits<int32_t>::max())
                break;
            start += static_cast<int64_t>(length.number);
        }
        const PsdEngineValue* first = runs ? runs->At(0) : nullptr;
        const PsdEngineValue* sheets[] = {
            first ? first->Find("ParagraphSheet") : nullptr,
            defaults,
            Indexed(paragraphSheetSet_, normalParagraphSheet_),
        };
        for (const PsdEngineValue* sheet : sheets) {
            const PsdEngineValue* properties = sheet ? sheet->Find("Properties") : nullptr;
            if (properties && properties->Find("Justification")) {
                layer_.justification = JustificationName(properties->Number("Justification", 0));
                break;
            }
        }
    }

    // The document's style sheet that the paragraph holding the character at start names,
    // read once.
    const SheetValues* ParagraphStyleSheet(int64_t start)
    {
        double index = normalStyleSheet_;
        if (!paragraphs_.empty()) {
            const auto after = std::upper_bound(
                paragraphs_.begin(), paragraphs_.end(), start,
                [](int64_t at, const Paragraph& paragraph) { return at < paragraph.start; });
            index = (after - 1)->styleSheet;
        }
        const PsdEngineValue* styleSheet = Indexed(styleSheetSet_, index);
        if (styleSheet == nullptr)
            return nullptr;
        auto known = styleSheets_.find(styleSheet);
        if (known == styleSheets_.end())
            known = styleSheets_.emplace(styleSheet, ReadSheet(styleSheet->Find("StyleSheetData")))
                        .first;
        return &known->second;
    }

    void Styles()
    {
        const PsdEngineValue* styleRun = engine_->Find("StyleRun");
        const PsdEngineValue* runs = styleRun ? styleRun->Find("RunArray") : nullptr;
        const PsdEngineValue* lengths = styleRun ? styleRun->Find("RunLengthArray") : nullptr;
        if (runs == nullptr || lengths == nullptr || runs->type != PsdEngineValue::Type::Array ||
            lengths->type != PsdEngineValue::Type::Array || runs->items.empty() ||
            runs->items.size() != lengths->items.size())
            BadRuns();
        const SheetValues defaults =
            ReadSheet(styleRun->Find({"DefaultRunData", "StyleSheet", "StyleSheetData"}));
        const double scale = std::hypot(layer_.transform[2], layer_.transform[3]);
        const int64_t textLength = static_cast<int64_t>(layer_.text.size());
        int64_t start = 0;
        for (size_t i = 0; i < runs->items.size(); ++i) {
            const int32_t length = RunLength(lengths->items[i]);
            if (start >= textLength && i > 0) {
                // Runs beyond the text (its closing line end) are left; their lengths are
                // still checked.
                start += length;
                continue;
            }
            const SheetValues own =
                ReadSheet(runs->items[i].Find({"StyleSheet", "StyleSheetData"}));
            StyleLayers style;
            style.Add(&own);
            style.Add(&defaults);
            style.Add(ParagraphStyleSheet(start));
            PsdTextStyle text;
            text.start = static_cast<int32_t>(std::min(start, textLength));
            text.length = static_cast<int32_t>(std::min<int64_t>(length, textLength - text.start));
            Style(style, scale, text);
            layer_.styles.push_back(text);
            start += length;
        }
    }

    void Style(const StyleLayers& style, double scale, PsdTextStyle& text)
    {
        if (const PsdEngineValue* font = style.Find(SheetValues::kFont))
            text.font = Font(*font);
        text.size = style.Number(SheetValues::kFontSize, 0) * scale;
        text.fauxBold = style.Number(SheetValues::kFauxBold, 0) != 0;
        text.fauxItalic = style.Number(SheetValues::kFauxItalic, 0) != 0;
        text.tracking = style.Number(SheetValues::kTracking, 0);
        text.autoLeading = style.Number(SheetValues::kAutoLeading, 1) != 0;
        text.leading = text.autoLeading ? 0 : style.Number(SheetValues::kLeading, 0) * scale;
        if (const SheetValues* color = style.Color()) {
            text.hasColor = color->hasColor;
            std::copy(color->color, color->color + 4, text.color);
        }
    }

    // The PostScript name of the document's font at index, read once.
    const std::u16string& Font(const PsdEngineValue& index)
    {
        const PsdEngineValue* entry =
            index.type == PsdEngineValue::Type::Number ? Indexed(fontSet_, index.number) : nullptr;
        if (entry == nullptr)
            BadRuns();
        auto known = fonts_.find(entry);
        if (known == fonts_.end()) {
            const PsdEngineValue* name = entry->Find("Name");
            if (name == nullptr || name->type != PsdEngineValue::Type::String)
                BadRuns();
            known = fonts_.emplace(entry, name->text).first;
        }
        return known->second;
    }

    PsdTypeLayer& layer_;
    const PsdEngineValue* engine_ = nullptr;
    const PsdEngineValue* fontSet_ = nullptr;
    const PsdEngineValue* styleSheetSet_ = nullptr;
    const PsdEngineValue* paragraphSheetSet_ = nullptr;
    double normalStyleSheet_ = 0;
    double normalParagraphSheet_ = 0;
    std::vector<Paragraph> paragraphs_;
    std::map<const PsdEngineValue*, SheetValues> styleSheets_;
    std::map<const PsdEngineValue*, std::u16string> fonts_;
};

}  // namespace

PsdTypeLayer ReadPsdTypeLayer(const uint8_t* data, size_t size)
{
    if (data == nullptr)
        throw debug::runtime_error(kPsdTypeLayerCutShort);
    PsdTypeLayer layer;
    PsdFieldReader fields(data, size, kPsdTypeLayerCutShort, kPsdTypeLayerSettings);
    auto version = [&](uint16_t expected) {
        if (fields.U16() != expected)
            throw debug::runtime_error(kPsdTypeLayerVersion);
    };
    version(kTypeToolVersion);
    for (double& value : layer.transform)
        value = fields.Double();
    version(kTextVersion);
    const PsdDescriptorValue settings = fields.Descriptor();
    version(kWarpVersion);
    const PsdDescriptorValue warp = fields.Descriptor();
    for (int32_t& bound : layer.bounds)
        bound = static_cast<int32_t>(fields.U32());

    const PsdDescriptorValue* text = settings.Find("Txt ");
    const PsdDescriptorValue* engineData = settings.Find("EngineData");
    if (text == nullptr || text->type != PsdDescriptorValue::Type::Text || engineData == nullptr ||
        engineData->type != PsdDescriptorValue::Type::Raw)
        throw debug::runtime_error(kPsdTypeLayerSettings);
    layer.text = text->wide;
    layer.warpStyle = warp.Text("warpStyle");
    layer.antiAlias = AntiAliasName(settings.Text("AntA"));

    const PsdEngineValue root = ReadPsdEngineData(engineData->raw.data(), engineData->raw.size());
    EngineText engine(root, layer);
    engine.Read();
    const std::string orientation = settings.Text("Ornt");
    if (orientation == "Vrtc" || orientation == "Hrzn")
        layer.orientation = orientation == "Vrtc" ? "vertical" : "horizontal";
    else
        layer.orientation = engine.Vertical() ? "vertical" : "horizontal";
    return layer;
}

}  // namespace graphic
}  // namespace sdk
