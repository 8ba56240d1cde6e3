#include "conversion/psd/ManifestText.h"

#include <exception>

#include "conversion/psd/PsdLayerSelection.h"
#include "files/Format.h"
#include "files/Utf8Text.h"

using sdk::graphic::PsdTextStyle;
using sdk::graphic::PsdTypeLayer;

namespace {

// What a tag of the type layer's reading says, in words.
std::string ProblemInWords(const std::string& tag)
{
    struct Words {
        const char* tag;
        const char* words;
    };
    static const Words table[] = {
        {"ImageLoaderPSD::LayerBlock:470", "its type block is larger than any real one"},
        {"ImageLoaderPSD::TypeLayer:510", "its type block is cut short"},
        {"ImageLoaderPSD::TypeLayer:515",
         "its type block is of a version this program does not read"},
        {"ImageLoaderPSD::TypeLayer:520", "its text settings are damaged"},
        {"ImageLoaderPSD::TypeLayer:530", "its text's engine data is malformed"},
        {"ImageLoaderPSD::TypeLayer:535", "its text's engine data is nested without end"},
        {"ImageLoaderPSD::TypeLayer:540",
         "its text's engine data holds more values than any text has"},
        {"ImageLoaderPSD::TypeLayer:550",
         "its text's style runs do not fit the text and its fonts"},
    };
    for (const Words& entry : table) {
        if (tag == entry.tag)
            return std::string(entry.words) + " (" + tag + ")";
    }
    return "its type block is damaged (" + tag + ")";
}

void Style(JsonText& json, const PsdTextStyle& style)
{
    json.BeginObject(true);
    json.Key("start");
    json.Number(style.start);
    json.Key("length");
    json.Number(style.length);
    json.Key("font");
    json.String(sdk::files::Utf16ToUtf8(style.font));
    json.Key("size");
    json.Real(style.size, 3);
    json.Key("color");
    if (style.hasColor) {
        json.BeginArray();
        for (uint8_t component : style.color)
            json.Number(component);
        json.EndArray();
    } else {
        json.Null();
    }
    json.Key("fauxBold");
    json.Bool(style.fauxBold);
    json.Key("fauxItalic");
    json.Bool(style.fauxItalic);
    json.Key("tracking");
    json.Real(style.tracking, 3);
    json.Key("leading");
    if (style.autoLeading)
        json.Null();
    else
        json.Real(style.leading, 3);
    json.EndObject();
}

void StringOrNull(JsonText& json, const std::string& text)
{
    if (text.empty())
        json.Null();
    else
        json.String(text);
}

}  // namespace

bool ReadTypeLayerText(sdk::graphic::ImageLoaderPSD& psd, int32_t index, PsdTypeLayer& text,
                       std::string& problem)
{
    try {
        std::vector<uint8_t> block;
        if (!psd.LayerBlock(index, "TySh", block)) {
            problem = "its text is kept in the type block of old editors, which is not read";
            return false;
        }
        text = sdk::graphic::ReadPsdTypeLayer(block.data(), block.size());
        return true;
    } catch (const std::exception& error) {
        problem = ProblemInWords(error.what());
        return false;
    }
}

void WriteManifestText(JsonText& json, sdk::graphic::ImageLoaderPSD& psd, int32_t index,
                       std::vector<std::string>* notes)
{
    json.Key("text");
    PsdTypeLayer text;
    std::string problem;
    if (!ReadTypeLayerText(psd, index, text, problem)) {
        json.Null();
        if (notes != nullptr)
            notes->push_back(
                sdk::files::Format("layer %d \"%s\": its text is left out of the "
                                   "manifest: %s",
                                   index + 1, LayerPathShown(psd, index).c_str(), problem.c_str()));
        return;
    }
    json.BeginObject();
    json.Key("text");
    json.String(sdk::files::Utf16ToUtf8(text.text));
    json.Key("transform");
    json.BeginArray(true);
    for (double value : text.transform)
        json.Real(value, 6);
    json.EndArray();
    json.Key("orientation");
    json.String(text.orientation);
    json.Key("antiAlias");
    StringOrNull(json, text.antiAlias);
    json.Key("justification");
    json.String(text.justification);
    json.Key("warpStyle");
    StringOrNull(json, text.warpStyle);
    json.Key("styles");
    json.BeginArray();
    for (const PsdTextStyle& style : text.styles)
        Style(json, style);
    json.EndArray();
    json.EndObject();
}
