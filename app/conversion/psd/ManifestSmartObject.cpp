#include "conversion/psd/ManifestSmartObject.h"

#include <exception>

#include "conversion/psd/PsdLayerSelection.h"
#include "files/Format.h"
#include "files/Utf8Text.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdLinkedFiles.h"
#include "graphic/psd/PsdPlacedLayer.h"

using sdk::graphic::PsdLinkedFile;
using sdk::graphic::PsdPlacement;

namespace {

// A four-character code without the zero bytes some writers pad it with; null when nothing is
// left.
void Code(JsonText& json, const char (&code)[4])
{
    std::string text;
    for (char c : code) {
        if (c != 0)
            text += c;
    }
    if (text.empty())
        json.Null();
    else
        json.String(text);
}

}  // namespace

void WriteManifestSmartObject(JsonText& json, ConvertContext& context, const PsdDocument& document,
                              sdk::graphic::ImageLoaderPSD& psd, int32_t index,
                              const std::function<std::string(const std::string&)>& relative)
{
    PsdPlacement placement;
    try {
        if (!sdk::graphic::ReadPsdLayerPlacement(psd, index, placement))
            return;
    } catch (const std::exception& error) {
        json.Key("smartObject");
        json.Null();
        if (context.remarks) {
            const std::string words = sdk::graphic::PsdPlacementDamage(error.what());
            context.remarks->notes.push_back(sdk::files::Format(
                "layer %d \"%s\": %s (%s); its smartObject in the manifest is null", index + 1,
                LayerPathShown(psd, index).c_str(),
                words.empty() ? "its placement block cannot be read" : words.c_str(),
                error.what()));
        }
        return;
    }

    json.Key("smartObject");
    json.BeginObject();
    json.Key("id");
    json.String(placement.id);
    json.Key("file");
    const auto written = document.smartObjectFiles.find(placement.id);
    if (written != document.smartObjectFiles.end())
        json.String(relative(written->second));
    else
        json.Null();
    const PsdLinkedFile* file = psd.FindLinkedFile(placement.id);
    json.Key("name");
    if (file)
        json.String(sdk::files::Utf16ToUtf8(file->name));
    else
        json.Null();
    json.Key("fileType");
    if (file)
        Code(json, file->type);
    else
        json.Null();
    json.Key("embedded");
    if (file)
        json.Bool(file->embedded);
    else
        json.Null();
    if (file && !file->embedded) {
        json.Key("externalPath");
        if (file->externalPath.empty())
            json.Null();
        else
            json.String(sdk::files::Utf16ToUtf8(file->externalPath));
    }
    json.Key("corners");
    json.BeginArray(true);
    for (double corner : placement.corners)
        json.Real(corner);
    json.EndArray();
    json.Key("size");
    json.BeginObject(true);
    json.Key("width");
    json.Real(placement.width);
    json.Key("height");
    json.Real(placement.height);
    json.EndObject();
    json.EndObject();
}
