#include "conversion/psd/PsdManifest.h"

#include <algorithm>
#include <map>

#include "conversion/Option.h"
#include "conversion/output/JsonText.h"
#include "conversion/output/OutputFiles.h"
#include "conversion/output/StatusText.h"
#include "conversion/psd/ManifestSmartObject.h"
#include "debug/Error.h"
#include "files/NativeText.h"
#include "files/Path.h"
#include "files/Utf8Text.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdLayerTree.h"
#include "render/BlendMode.h"
#include "render/compose/LayerAsShown.h"

using sdk::graphic::ImageLoaderPSD;
using sdk::graphic::PsdLayerNode;
using sdk::graphic::PsdLayerProperties;

namespace {

const char* ColorModeName(uint8_t mode)
{
    using Format = sdk::graphic::PsdFormat;
    switch (mode) {
    case Format::kBitmap: return "bitmap";
    case Format::kGrayscale: return "grayscale";
    case Format::kIndexed: return "indexed";
    case Format::kRgb: return "rgb";
    case Format::kCmyk: return "cmyk";
    case Format::kMultichannel: return "multichannel";
    case Format::kDuotone: return "duotone";
    case Format::kLab: return "lab";
    default: return "unknown";
    }
}

const char* KindName(const PsdLayerProperties& properties, bool group)
{
    using Kind = PsdLayerProperties::Kind;
    if (group)
        return "group";
    switch (properties.kind) {
    case Kind::Type: return "type";
    case Kind::Shape: return "shape";
    case Kind::SmartObject: return "smartObject";
    case Kind::Fill: return "fill";
    case Kind::Adjustment: return "adjustment";
    default: return "pixel";
    }
}

class ManifestWriter {
public:
    ManifestWriter(ConvertContext& context, const PsdDocument& document, ImageLoaderPSD& psd,
                   const std::string& path)
        : context_(context), document_(document), psd_(psd), folder_(sdk::files::GetFolder(path))
    {
        for (const PsdLayer& layer : document.layers) {
            if (layer.png)
                (layer.groupPicture ? pictures_ : layerFiles_)[layer.index] = layer.output;
        }
    }

    void Nodes(const PsdLayerNode& parent)
    {
        json.BeginArray();
        // Top first, as the layer panel lists them; the file keeps them bottom first.
        for (auto child = parent.children.rbegin(); child != parent.children.rend(); ++child)
            Node(*child);
        json.EndArray();
    }

    JsonText json;

private:
    void Node(const PsdLayerNode& node)
    {
        const ImageLoaderPSD::info_t& record = psd_.LayerRecord(node.layer);
        const PsdLayerProperties& properties = record.properties;
        json.BeginObject();
        json.Key("name");
        json.String(properties.unicodeName.empty()
                        ? sdk::files::NativeToUtf8(record.title)
                        : sdk::files::Utf16ToUtf8(properties.unicodeName));
        json.Key("kind");
        json.String(KindName(properties, node.group));
        json.Key("visible");
        json.Bool(properties.visible);
        json.Key("opacity");
        json.Number(properties.opacity);
        json.Key("fillOpacity");
        json.Number(properties.fillOpacity);
        json.Key("blendMode");
        json.BeginObject(true);
        json.Key("key");
        json.String(std::string(properties.blendKey, 4));
        json.Key("name");
        sdk::render::BlendMode mode;
        if (sdk::render::BlendModeFromKey(properties.blendKey, mode))
            json.String(sdk::render::BlendModeName(mode));
        else
            json.Null();
        json.EndObject();
        json.Key("clipping");
        json.Bool(properties.clipping);
        json.Key("mask");
        // The user's pixel mask; not the one the editor keeps made from a vector mask.
        json.Bool(properties.mask.present && (!properties.mask.fromVectorData ||
                                              properties.mask.real));
        json.Key("vectorMask");
        json.Bool(properties.hasVectorMask);
        json.Key("rect");
        json.BeginObject(true);
        if (node.group) {
            // A group's picture covers what the effects of its layers reach.
            const sdk::graphic::PsdLayerArea area =
                pictures_.count(node.layer) ? sdk::render::GroupAreaAsShown(psd_, node.layer)
                                            : node.area;
            Rect(area.Empty() ? 0 : area.left, area.Empty() ? 0 : area.top, area.Width(),
                 area.Height());
        } else {
            // What the layer covers: a fill that stores no pixels covers what it is drawn over;
            // as shown, its effects what they reach.
            const sdk::graphic::PsdLayerArea area =
                option.asShown ? sdk::render::LayerAreaWithEffects(psd_, node.layer)
                               : sdk::render::LayerAreaAsShown(psd_, node.layer);
            Rect(area.Empty() ? record.x : area.left, area.Empty() ? record.y : area.top,
                 area.Width(), area.Height());
        }
        json.EndObject();
        if (!node.group && option.asShown) {
            // The rectangle the document stores for the layer's pixels.
            json.Key("storedRect");
            json.BeginObject(true);
            Rect(record.x, record.y, std::max(record.width, 0), std::max(record.height, 0));
            json.EndObject();
        }
        json.Key("file");
        const std::map<int32_t, std::string>& files = node.group ? pictures_ : layerFiles_;
        const auto file = files.find(node.layer);
        if (file != files.end())
            json.String(Relative(file->second));
        else
            json.Null();
        if (!node.group)
            WriteManifestSmartObject(
                json, context_, document_, psd_, node.layer,
                [this](const std::string& output) { return Relative(output); });
        if (node.group) {
            json.Key("children");
            Nodes(node);
        }
        json.EndObject();
    }

    void Rect(int64_t x, int64_t y, int64_t width, int64_t height)
    {
        json.Key("x");
        json.Number(x);
        json.Key("y");
        json.Number(y);
        json.Key("width");
        json.Number(width);
        json.Key("height");
        json.Number(height);
    }

    // An output's path from the manifest's folder, with "/" between its parts.
    std::string Relative(const std::string& output) const
    {
        std::string relative = sdk::files::NativeToUtf8(output.substr(
            output.compare(0, folder_.size(), folder_) == 0 ? folder_.size() : 0));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        return relative;
    }

    ConvertContext& context_;
    const PsdDocument& document_;
    ImageLoaderPSD& psd_;
    const std::string folder_;
    std::map<int32_t, std::string> layerFiles_;  // by record: a layer's own PNG
    std::map<int32_t, std::string> pictures_;    // by folder record: a group's picture
};

}  // namespace

void WriteManifest(ConvertContext& context, const PsdDocument& document,
                   sdk::graphic::ImageLoader& loader)
{
    auto* psd = dynamic_cast<ImageLoaderPSD*>(&loader);
    if (psd == nullptr)
        throw sdk::debug::logic_error("WriteManifest:40");
    const std::string output = document.base + ".json";
    ManifestWriter writer(context, document, *psd, output);
    JsonText& json = writer.json;
    json.BeginObject();
    json.Key("version");
    json.Number(1);
    json.Key("width");
    json.Number(document.width);
    json.Key("height");
    json.Number(document.height);
    json.Key("colorMode");
    json.String(ColorModeName(psd->Format().colorMode));
    json.Key("depth");
    json.Number(psd->Format().depth);
    if (option.reportColor) {
        if (document.color.hasProfile) {
            json.Key("colorProfile");
            json.String(sdk::files::Utf16ToUtf8(document.color.profile));
        }
        json.Key("colorOutput");
        json.String(document.color.mode);
    }
    json.Key("layers");
    writer.Nodes(psd->LayerTree());
    json.EndObject();
    const std::string text = json.Text();

    AddStatusLine(context, StatusLine(document.inputPath, output));
    PrepareOutput(context, document.inputPath, output);
    WriteOutputFile(output, [&](sdk::stream::stream_out& file) {
        const size_t piece = 1 << 20;
        for (size_t at = 0; at < text.size(); at += piece) {
            const size_t count = std::min(piece, text.size() - at);
            file.Write(text.data() + at, static_cast<uint32_t>(count));
        }
    });
    ReportWritten(context, document.inputPath, output, OutputKind::Manifest);
    context.progress.StepIt();
}
