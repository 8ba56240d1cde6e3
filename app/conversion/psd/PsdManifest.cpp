#include "conversion/psd/PsdManifest.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "conversion/Option.h"
#include "conversion/output/JsonText.h"
#include "conversion/output/OutputFiles.h"
#include "conversion/output/StatusText.h"
#include "conversion/psd/ManifestLayerSettings.h"
#include "conversion/psd/ManifestText.h"
#include "conversion/psd/PsdLayerSelection.h"
#include "conversion/psd/ManifestSmartObject.h"
#include "debug/Error.h"
#include "files/Format.h"
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

// The layer panel's colour labels, by their number.
const char* const kColorLabels[] = {"none",   "red",  "orange", "yellow",
                                    "green", "blue", "violet", "gray"};

class ManifestWriter {
public:
    ManifestWriter(ConvertContext& context, const PsdDocument& document, ImageLoaderPSD& psd,
                   const std::string& path)
        : context_(context),
          document_(document),
          psd_(psd),
          folder_(sdk::files::GetFolder(path)),
          notes_(context.remarks != nullptr ? &context.remarks->notes : nullptr)
    {
        for (const PsdLayer& layer : document.layers) {
            if (layer.png)
                (layer.groupPicture ? pictures_ : layerFiles_)[layer.index] = layer.output;
        }
    }

    // parentShown: whether every group around the children is visible.
    void Nodes(const PsdLayerNode& parent, bool parentShown = true)
    {
        json.BeginArray();
        // Top first, as the layer panel lists them; the file keeps them bottom first.
        for (auto child = parent.children.rbegin(); child != parent.children.rend(); ++child)
            Node(*child, parentShown);
        json.EndArray();
    }

    JsonText json;
    // The layers whose settings could not be read, each "layer N "path": keys".
    std::vector<std::string> unread;

private:
    void Node(const PsdLayerNode& node, bool parentShown)
    {
        const ImageLoaderPSD::info_t& record = psd_.LayerRecord(node.layer);
        const PsdLayerProperties& properties = record.properties;
        const bool shown = parentShown && properties.visible;
        json.BeginObject();
        json.Key("name");
        json.String(properties.unicodeName.empty()
                        ? sdk::files::NativeToUtf8(record.title)
                        : sdk::files::Utf16ToUtf8(properties.unicodeName));
        json.Key("kind");
        json.String(KindName(properties, node.group));
        json.Key("id");
        if (properties.hasLayerId)
            json.Number(properties.layerId);
        else
            json.Null();
        json.Key("visible");
        json.Bool(properties.visible);
        json.Key("shown");
        json.Bool(shown);
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
        Locks(properties.locks);
        json.Key("colorLabel");
        if (properties.colorLabel < sizeof kColorLabels / sizeof kColorLabels[0])
            json.String(kColorLabels[properties.colorLabel]);
        else
            json.Null();
        json.Key("rect");
        json.BeginObject(true);
        if (node.group) {
            // A group's picture covers what the effects of its layers reach.
            // Under --skip-hidden, what its written layers cover: nothing in a hidden group.
            const sdk::graphic::PsdLayerArea area =
                pictures_.count(node.layer) ? sdk::render::GroupAreaAsShown(psd_, node.layer)
                : !option.skipHidden        ? node.area
                : shown                     ? ShownArea(node)
                                            : sdk::graphic::PsdLayerArea();
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
        // A type layer's text and styles.
        if (!node.group && properties.kind == PsdLayerProperties::Kind::Type)
            WriteManifestText(json, psd_, node.layer, notes_);
        if (!node.group)
            WriteManifestSmartObject(
                json, context_, document_, psd_, node.layer,
                [this](const std::string& output) { return Relative(output); });
        std::vector<std::string> keys;
        WriteLayerSettings(json, psd_, node.layer, keys);
        if (!keys.empty()) {
            std::string named;
            for (const std::string& key : keys)
                named += (named.empty() ? "" : ", ") + key;
            unread.push_back(sdk::files::Format("layer %d \"%s\": %s", node.layer + 1,
                                                LayerPathShown(psd_, node.layer).c_str(),
                                                named.c_str()));
        }
        if (node.group) {
            json.Key("children");
            Nodes(node, shown);
        }
        json.EndObject();
    }

    // What a group's layers cover that are visible, in visible groups.
    sdk::graphic::PsdLayerArea ShownArea(const PsdLayerNode& group) const
    {
        sdk::graphic::PsdLayerArea area;
        for (const PsdLayerNode& child : group.children) {
            if (!psd_.LayerRecord(child.layer).properties.visible)
                continue;
            const sdk::graphic::PsdLayerArea part = child.group ? ShownArea(child) : child.area;
            if (part.Empty())
                continue;
            if (area.Empty()) {
                area = part;
                continue;
            }
            area.left = std::min(area.left, part.left);
            area.top = std::min(area.top, part.top);
            area.right = std::max(area.right, part.right);
            area.bottom = std::max(area.bottom, part.bottom);
        }
        return area;
    }

    void Locks(uint32_t locks)
    {
        json.Key("locks");
        json.BeginObject(true);
        const char* const names[] = {"transparency", "pixels", "position", "artboards"};
        for (uint32_t bit = 0; bit < 4; ++bit) {
            json.Key(names[bit]);
            json.Bool((locks & (1u << bit)) != 0);
        }
        json.Key("all");
        json.Bool((locks & 0x80000000u) != 0);
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
    std::vector<std::string>* notes_;            // where notes go, or null
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
    json.Number(kManifestVersion);
    json.Key("width");
    json.Number(document.width);
    json.Key("height");
    json.Number(document.height);
    json.Key("colorMode");
    json.String(ColorModeName(psd->Format().colorMode));
    json.Key("depth");
    json.Number(psd->Format().depth);
    json.Key("resolution");
    const sdk::graphic::PsdResolution& resolution = psd->Resolution();
    if (resolution.present) {
        // Pixels per inch, and the unit the editor shows them in.
        json.BeginObject(true);
        json.Key("x");
        json.Real(resolution.horizontal, 3);
        json.Key("y");
        json.Real(resolution.vertical, 3);
        json.Key("displayUnit");
        json.String(resolution.horizontalUnit == 2 ? "pixelsPerCentimeter" : "pixelsPerInch");
        json.EndObject();
    } else {
        json.Null();
    }
    if (option.reportColor) {
        if (document.color.hasProfile) {
            json.Key("colorProfile");
            json.String(sdk::files::Utf16ToUtf8(document.color.profile));
        }
        json.Key("colorOutput");
        json.String(document.color.mode);
    }
    // The layer comps; none when they cannot be read, which a note says.
    json.Key("comps");
    json.BeginArray();
    const std::vector<sdk::graphic::PsdLayerComp>& comps = psd->LayerComps();
    for (size_t i = 0; i < comps.size(); ++i) {
        const sdk::graphic::PsdLayerComp& comp = comps[i];
        json.BeginObject();
        json.Key("name");
        json.String(sdk::files::Utf16ToUtf8(comp.name));
        json.Key("id");
        json.Number(comp.id);
        json.Key("visibility");
        json.Bool(comp.visibility);
        json.Key("position");
        json.Bool(comp.position);
        json.Key("appearance");
        json.Bool(comp.appearance);
        if (!comp.comment.empty()) {
            json.Key("comment");
            json.String(sdk::files::Utf16ToUtf8(comp.comment));
        }
        json.Key("applied");
        json.Bool(static_cast<int32_t>(i) == document.comp);
        json.EndObject();
    }
    json.EndArray();
    const std::string& damage = psd->LayerCompsDamage();
    if (!damage.empty() && context.remarks)
        context.remarks->notes.push_back("the document's list of layer comps is damaged (" +
                                         damage + "): the manifest lists none");
    json.Key("layers");
    writer.Nodes(psd->LayerTree());
    json.EndObject();
    const std::string text = json.Text();
    if (!writer.unread.empty() && context.remarks) {
        std::string layers;
        for (const std::string& layer : writer.unread)
            layers += (layers.empty() ? "" : "; ") + layer;
        context.remarks->notes.push_back(
            "the manifest gives null for settings that cannot be read: " + layers);
    }

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
