#include "graphic/psd/PsdPlacedLayer.h"

#include <cstring>
#include <vector>

#include "debug/Error.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdDescriptor.h"
#include "graphic/psd/PsdFieldReader.h"

namespace sdk {
namespace graphic {

namespace {

const char kUnknown[] = "ImageLoaderPSD::PlacedLayer:600";
const char kCutShort[] = "ImageLoaderPSD::PlacedLayer:610";
const char kDamagedDescriptor[] = "ImageLoaderPSD::PlacedLayer:620";
const char kIncomplete[] = "ImageLoaderPSD::PlacedLayer:630";

// The content's size from the warp's bounds, where the block says it no other way.
void SizeFromWarp(const PsdDescriptorValue& warp, PsdPlacement& placement)
{
    const PsdDescriptorValue* bounds = warp.Find("bounds");
    if (!bounds || bounds->type != PsdDescriptorValue::Type::Object)
        return;
    placement.width = bounds->Number("Rght", 0) - bounds->Number("Left", 0);
    placement.height = bounds->Number("Btom", 0) - bounds->Number("Top ", 0);
}

PsdPlacement ReadDescribed(PsdFieldReader& fields)
{
    if (memcmp(fields.Take(4), "soLD", 4) != 0)
        throw debug::runtime_error(kUnknown);
    const uint32_t version = fields.U32();
    if (version != 4 && version != 5)
        throw debug::runtime_error(kUnknown);
    const PsdDescriptorValue settings = fields.Descriptor();
    PsdPlacement placement;
    placement.id = settings.Text("Idnt");
    placement.placedId = settings.Text("placed");
    placement.page = static_cast<int32_t>(settings.Number("PgNm", 1));
    placement.totalPages = static_cast<int32_t>(settings.Number("totalPages", 1));
    placement.type = static_cast<int32_t>(settings.Number("Type", 0));
    const PsdDescriptorValue* corners = settings.Find("Trnf");
    if (placement.id.empty() || !corners || corners->type != PsdDescriptorValue::Type::List ||
        corners->items.size() != 8)
        throw debug::runtime_error(kIncomplete);
    for (size_t i = 0; i < 8; ++i) {
        const PsdDescriptorValue& corner = corners->items[i];
        if (corner.type != PsdDescriptorValue::Type::Number &&
            corner.type != PsdDescriptorValue::Type::UnitNumber)
            throw debug::runtime_error(kIncomplete);
        placement.corners[i] = corner.number;
    }
    const PsdDescriptorValue* size = settings.Find("Sz  ");
    const PsdDescriptorValue* warp = settings.Find("warp");
    if (size && size->type == PsdDescriptorValue::Type::Object) {
        placement.width = size->Number("Wdth", 0);
        placement.height = size->Number("Hght", 0);
    } else if (warp && warp->type == PsdDescriptorValue::Type::Object) {
        SizeFromWarp(*warp, placement);
    }
    placement.resolution = settings.Number("Rslt", 0);
    return placement;
}

PsdPlacement ReadLegacy(PsdFieldReader& fields)
{
    if (memcmp(fields.Take(4), "plcL", 4) != 0 || fields.U32() != 3)
        throw debug::runtime_error(kUnknown);
    PsdPlacement placement;
    const size_t length = *fields.Take(1);
    placement.id.assign(reinterpret_cast<const char*>(fields.Take(length)), length);
    placement.page = static_cast<int32_t>(fields.U32());
    placement.totalPages = static_cast<int32_t>(fields.U32());
    fields.U32();  // the anti-aliasing
    placement.type = static_cast<int32_t>(fields.U32());
    for (double& corner : placement.corners)
        corner = fields.Double();
    fields.U32();  // the warp's version
    SizeFromWarp(fields.Descriptor(), placement);
    if (placement.id.empty())
        throw debug::runtime_error(kIncomplete);
    return placement;
}

}  // namespace

PsdPlacement ReadPsdPlacement(const char (&key)[4], const uint8_t* data, size_t size)
{
    PsdFieldReader fields(data, size, kCutShort, kDamagedDescriptor);
    if (memcmp(key, "SoLd", 4) == 0 || memcmp(key, "SoLE", 4) == 0)
        return ReadDescribed(fields);
    if (memcmp(key, "PlLd", 4) == 0 || memcmp(key, "plLd", 4) == 0)
        return ReadLegacy(fields);
    throw debug::runtime_error(kUnknown);
}

bool ReadPsdLayerPlacement(ImageLoaderPSD& psd, int32_t index, PsdPlacement& placement)
{
    std::vector<uint8_t> bytes;
    for (const char* key : {"SoLd", "SoLE", "PlLd", "plLd"}) {
        if (!psd.LayerBlock(index, key, bytes))
            continue;
        char block[4];
        memcpy(block, key, 4);
        placement = ReadPsdPlacement(block, bytes.data(), bytes.size());
        return true;
    }
    return false;
}

std::string PsdPlacementDamage(const std::string& tag)
{
    if (tag == kUnknown)
        return "its placement block is of an unknown kind or version";
    if (tag == kCutShort)
        return "its placement block ends inside its fields";
    if (tag == kDamagedDescriptor)
        return "the descriptor of its placement block is damaged";
    if (tag == kIncomplete)
        return "its placement block names no linked file or lacks the four corners";
    return std::string();
}

}  // namespace graphic
}  // namespace sdk
