#include "conversion/psd/PsdToText.h"

#include <exception>

#include "conversion/Option.h"
#include "conversion/output/OutputFiles.h"
#include "conversion/output/StatusText.h"
#include "conversion/psd/ManifestText.h"
#include "conversion/psd/PsdLayerSelection.h"
#include "debug/Error.h"
#include "files/Format.h"
#include "files/NativeText.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "render/BlendMode.h"
#include "render/compose/UndrawnParts.h"
#include "render/adjust/LayerAdjustment.h"
#include "stream/StreamFile.h"

namespace {

// The report file. Its lines are gathered in memory and written at the end, into a temporary
// file that then takes the report's place: a report that fails leaves the file that was there
// before. Every line ends with CR LF.
class ReportFile {
public:
    explicit ReportFile(const std::string& path) : file_(path)
    {
        try {
            file_.OpenReplace();
        } catch (const std::exception&) {
            throw sdk::debug::runtime_error("WriteTextInfo:41");
        }
    }

    void Line(const std::string& text)
    {
        text_ += text;
        text_ += "\r\n";
    }
    void Close()
    {
        try {
            file_.Write(text_.data(), static_cast<uint32_t>(text_.size()));
        } catch (const std::exception&) {
            throw sdk::debug::runtime_error("WriteTextInfo:52");
        }
        file_.Commit();
    }

private:
    sdk::stream::file_out file_;
    std::string text_;
};

std::string Number(int32_t value) { return std::to_string(value); }

// A type layer's characters on one line: backslashes doubled, paragraph ends as "\r", line feeds
// as "\n" and other control characters (U+0003, the break of a line within a paragraph, among
// them) as "\u0003".
std::string OneLine(const std::u16string& text)
{
    std::u16string line;
    for (char16_t unit : text) {
        if (unit == u'\\')
            line += u"\\\\";
        else if (unit == u'\r')
            line += u"\\r";
        else if (unit == u'\n')
            line += u"\\n";
        else if (unit < 0x20 || unit == 0x7F)
            for (char c : sdk::files::Format("\\u%04X", static_cast<unsigned>(unit)))
                line += static_cast<char16_t>(c);
        else
            line += unit;
    }
    return sdk::files::Utf16ToNative(line);
}

// A size with at most two decimals, without trailing zeros.
std::string Size(double value)
{
    std::string text = sdk::files::Format("%.2f", value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

// The type layer's text and its first style's font and size, or why they cannot be read.
void TypeLayerLines(ReportFile& report, sdk::graphic::ImageLoaderPSD& psd, int32_t index)
{
    sdk::graphic::PsdTypeLayer text;
    std::string problem;
    if (!ReadTypeLayerText(psd, index, text, problem)) {
        report.Line("\tText    = not read: " + problem);
        return;
    }
    report.Line("\tText    = " + OneLine(text.text));
    if (!text.styles.empty())
        report.Line("\tFont    = " + sdk::files::Utf16ToNative(text.styles[0].font) + ", " +
                    Size(text.styles[0].size) + " px");
}

}  // namespace

const char* BlendModeName(const std::string& key)
{
    struct Entry {
        const char* key;
        const char* name;
    };
    static const Entry names[] = {
        {"norm", "通常"},       {"mul ", "乗算"},         {"scrn", "スクリーン"},
        {"over", "オーバーレイ"}, {"idiv", "覆い焼き"},     {"div ", "焼き込み"},
        {"dark", "比較（暗）"},   {"lite", "比較（明）"},   {"diff", "差の絶対値"},
        {"smud", "除外"},       {"hLit", "ハードライト"}, {"sLit", "ソフトライト"},
    };
    for (const Entry& entry : names) {
        if (key == entry.key)
            return entry.name;
    }
    return nullptr;
}

// How the renderer takes a layer: its kind, visibility, blend mode, opacities, clipping and
// masks, and what of it is not drawn.
static std::string ShownLine(sdk::graphic::ImageLoaderPSD& psd, int32_t index)
{
    using Kind = sdk::graphic::PsdLayerProperties::Kind;
    using Section = sdk::graphic::PsdLayerProperties::Section;
    const sdk::graphic::PsdLayerProperties& layer = psd.LayerRecord(index).properties;
    static const char* const kinds[] = {"pixel layer", "type layer", "shape layer", "smart object",
                                        "fill layer", "adjustment layer", "group"};
    std::string line = layer.section == Section::Divider ? "group end"
                                                         : kinds[static_cast<int>(layer.kind)];
    if (layer.section == Section::Divider)
        return line;
    if (layer.kind == Kind::Adjustment)
        line += " (" + sdk::render::AdjustmentKindOf(psd, index) + ")";
    line += layer.visible ? ", visible" : ", hidden";
    sdk::render::BlendMode mode;
    const std::string key(layer.blendKey, 4);
    line += ", mode " +
            std::string(sdk::render::BlendModeFromKey(layer.blendKey, mode)
                            ? sdk::render::BlendModeName(mode)
                            : "unknown, drawn as normal") +
            " [" + key + "]";
    line += ", opacity " + Number(layer.opacity);
    if (layer.kind != Kind::Group)
        line += ", fill " + Number(layer.fillOpacity);
    if (layer.clipping)
        line += ", clipped";
    if (layer.mask.present)
        line += layer.mask.disabled ? ", mask (disabled)" : ", mask";
    if (layer.hasVectorMask)
        line += layer.vectorMask.disabled ? ", vector mask (disabled)" : ", vector mask";
    std::string undrawn;
    for (const std::string& part : sdk::render::UndrawnParts(psd, index))
        undrawn += (undrawn.empty() ? "" : ", ") + part;
    if (!undrawn.empty())
        line += "; not drawn: " + undrawn;
    return line;
}

void WriteTextInfo(ConvertContext& context, const PsdDocument& document,
                   sdk::graphic::ImageLoader& loader, int32_t layer_count)
{
    const std::string output = document.base + ".txt";
    AddStatusLine(context, StatusLine(document.inputPath, output));
    PrepareOutput(context, document.inputPath, output);
    ReportFile report(output);

    if (option.textImageInfo) {
        const int32_t channels = document.channels;
        report.Line("[Base]");
        report.Line("\tPath         = " + document.inputPath);
        report.Line(std::string("\tColorType    = ") + (channels < 3 ? "gray scale" : "color"));
        report.Line(std::string("\tAlphaChannel = ") + (channels % 2 == 0 ? "exist" : "no"));
        report.Line("\tWidth        = " + Number(document.width));
        report.Line("\tHeight       = " + Number(document.height));
        report.Line("\tLayer Count  = " + Number(layer_count));
        // What the colours became, for a document that has a profile or whose colours changed.
        if (option.reportColor && (document.color.hasProfile || document.color.mode != "none")) {
            if (document.color.hasProfile)
                report.Line("\tColorProfile = " +
                            sdk::files::Utf16ToNative(document.color.profile));
            report.Line("\tColorOutput  = " + document.color.mode);
        }
        auto* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(&loader);
        if (option.compose && layer_count > 0 && psd) {
            const bool whole = sdk::render::UndrawnLayers(*psd).empty();
            report.Line(std::string("\tComposed     = from the layers") +
                        (whole ? "" : "; some are not drawn in full (see their Shown lines)"));
        }
        report.Line("");
        context.progress.StepIt();
    }
    if (option.textLayerInfo) {
        auto* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(&loader);
        std::vector<LayerVisibility> visibility;
        if (option.skipHidden && psd)
            visibility = LayerVisibilities(*psd);
        for (int32_t i = 0; i < layer_count; ++i) {
            sdk::graphic::ImageInfo info;
            loader.LayerInfo(i, info);
            report.Line("[Layer " + Number(i + 1) + "]");
            if (option.textName)
                report.Line("\tName    = " + info.title);
            if (option.textPosition) {
                report.Line("\tWidth   = " + Number(info.width));
                report.Line("\tHeight  = " + Number(info.height));
                report.Line("\tOffsetX = " + Number(info.x));
                report.Line("\tOffsetY = " + Number(info.y));
            }
            if (option.textMode) {
                const char* name = BlendModeName(info.mode);
                report.Line("\tMode    = " + (name != nullptr ? std::string(name) + " " : "") +
                            "[" + info.mode + "]");
            }
            if ((option.compose || option.asShown) && psd)
                report.Line("\tShown   = " + ShownLine(*psd, i));
            // The text of a type layer, in the command-line tool's own reports.
            if (option.reportText && psd &&
                psd->LayerRecord(i).properties.kind == sdk::graphic::PsdLayerProperties::Kind::Type)
                TypeLayerLines(report, *psd, i);
            if (!visibility.empty() && visibility[static_cast<size_t>(i)] != LayerVisibility::Visible)
                report.Line(visibility[static_cast<size_t>(i)] == LayerVisibility::Hidden
                                ? "\tHidden  = yes, left out"
                                : "\tHidden  = in a hidden group, left out");
            report.Line("");
        }
        context.progress.StepIt();
    }
    report.Close();
    ReportWritten(context, document.inputPath, output, OutputKind::Text);
}
