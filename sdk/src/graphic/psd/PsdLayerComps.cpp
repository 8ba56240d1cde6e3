#include "graphic/psd/PsdLayerComps.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "debug/Error.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdLayerTree.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

namespace {

using Type = PsdDescriptorValue::Type;

const char kCompsDamaged[] = "ImageLoaderPSD::LayerComps:710";
const char kRecordsDamaged[] = "ImageLoaderPSD::LayerComps:720";
const char kNoSuchComp[] = "ImageLoaderPSD::ApplyLayerComp:730";

// More bytes than the comps of any document take, resource or metadata block.
const int64_t kLargestComps = 16 << 20;
// Farther than a layer of the largest document can be moved, in pixels.
const double kFarthest = 1 << 24;

// The whole number of a Number item, when it has one that an int32_t holds.
bool WholeNumber(const PsdDescriptorValue& value, int32_t& number)
{
    if (value.type != Type::Number && value.type != Type::UnitNumber)
        return false;
    if (!(std::fabs(value.number) <= std::numeric_limits<int32_t>::max()))
        return false;
    number = static_cast<int32_t>(std::lround(value.number));
    return true;
}

// The offset under key ("Ofst": "Hrzn", "Vrtc") of object, when it has one. A distance that is
// not a number, or farther than any document reaches, is damage.
PsdCompOffset OffsetOf(const PsdDescriptorValue& object, const char* tag)
{
    PsdCompOffset offset;
    const PsdDescriptorValue* point = object.Find("Ofst");
    if (!point || point->type != Type::Object)
        return offset;
    const double x = point->Number("Hrzn", 0);
    const double y = point->Number("Vrtc", 0);
    if (!(std::fabs(x) <= kFarthest && std::fabs(y) <= kFarthest))
        throw debug::runtime_error(tag);
    offset.present = true;
    offset.x = static_cast<int32_t>(std::lround(x));
    offset.y = static_cast<int32_t>(std::lround(y));
    return offset;
}

// A percentage as 0 .. 255; false for one that is not a number.
bool Opacity(const PsdDescriptorValue& options, const char* key, uint8_t& opacity)
{
    const double percent = options.Number(key, std::nan(""));
    if (!std::isfinite(percent))
        return false;
    opacity =
        static_cast<uint8_t>(std::lround(std::min(std::max(percent, 0.0), 100.0) * 255 / 100));
    return true;
}

PsdLayerCompRecord ReadRecord(const PsdDescriptorValue& settings, const char* tag)
{
    PsdLayerCompRecord record;
    if (const PsdDescriptorValue* list = settings.Find("compList")) {
        for (const PsdDescriptorValue& item : list->items) {
            int32_t id = 0;
            if (WholeNumber(item, id))
                record.comps.push_back(id);
        }
    }
    const PsdDescriptorValue* visible = settings.Find("enab");
    if (visible && visible->type == Type::Number) {
        record.hasVisible = true;
        record.visible = visible->number != 0;
    }
    record.offset = OffsetOf(settings, tag);
    const PsdDescriptorValue* mask = settings.Find("imageMask");
    if (mask && mask->type == Type::Object)
        record.maskOffset = OffsetOf(*mask, tag);
    const PsdDescriptorValue* vectorMask = settings.Find("vectorMask");
    if (vectorMask && vectorMask->type == Type::Object)
        record.vectorMaskOffset = OffsetOf(*vectorMask, tag);

    const PsdDescriptorValue* options = settings.Find("blendOptions");
    if (options && options->type == Type::Object) {
        record.appearance = true;
        record.hasOpacity = Opacity(*options, "Opct", record.opacity);
        record.hasFillOpacity = Opacity(*options, "fillOpacity", record.fillOpacity);
        const PsdDescriptorValue* mode = options->Find("Md  ");
        if (mode && mode->type == Type::Enumerated)
            record.hasBlendKey = PsdBlendKeyOfName(mode->text, record.blendKey);
    }
    const PsdDescriptorValue* effects = settings.Find("Lefx");
    if (effects && effects->type == Type::Object) {
        record.appearance = true;
        record.effects = std::make_shared<const PsdDescriptorValue>(*effects);
    }
    return record;
}

// Whether the rectangle at x, y moved by dx, dy stays within the coordinates a record holds.
bool Movable(int32_t x, int32_t y, int64_t width, int64_t height, int32_t dx, int32_t dy)
{
    const int64_t most = std::numeric_limits<int32_t>::max();
    const int64_t least = std::numeric_limits<int32_t>::min();
    const int64_t left = static_cast<int64_t>(x) + dx, top = static_cast<int64_t>(y) + dy;
    return left >= least && top >= least && left + std::max<int64_t>(width, 0) <= most &&
           top + std::max<int64_t>(height, 0) <= most;
}

void MovePoint(PsdPathPoint& point, double dx, double dy)
{
    point.x += dx;
    point.y += dy;
}

}  // namespace

std::vector<PsdLayerComp> ReadPsdLayerComps(const uint8_t* data, size_t size, const char* tag)
{
    size_t at = 0;
    const PsdDescriptorValue descriptor = ReadPsdVersionedDescriptor(data, size, at, tag);
    std::vector<PsdLayerComp> comps;
    const PsdDescriptorValue* list = descriptor.Find("list");
    if (!list)
        return comps;
    for (const PsdDescriptorValue& item : list->items) {
        const PsdDescriptorValue* id = item.Find("compID");
        PsdLayerComp comp;
        if (item.type != Type::Object || !id || !WholeNumber(*id, comp.id))
            continue;
        const PsdDescriptorValue* name = item.Find("Nm  ");
        if (name && name->type == Type::Text)
            comp.name = name->wide;
        const PsdDescriptorValue* comment = item.Find("comment");
        if (comment && comment->type == Type::Text)
            comp.comment = comment->wide;
        int32_t captured = 0;
        const PsdDescriptorValue* info = item.Find("capturedInfo");
        if (info && WholeNumber(*info, captured)) {
            comp.visibility = (captured & 1) != 0;
            comp.position = (captured & 2) != 0;
            comp.appearance = (captured & 4) != 0;
        }
        comps.push_back(std::move(comp));
    }
    return comps;
}

std::vector<PsdLayerCompRecord> ReadPsdLayerCompRecords(const uint8_t* data, size_t size,
                                                        const char* tag)
{
    std::vector<PsdLayerCompRecord> records;
    if (size < 4)
        throw debug::runtime_error(tag);
    const uint32_t count = stream::BigEndian32(data);
    size_t at = 4;
    for (uint32_t i = 0; i < count; ++i) {
        // Signature, key, the duplication byte and padding, the length: 16 bytes.
        if (size - at < 16 || memcmp(data + at, "8BIM", 4) != 0)
            throw debug::runtime_error(tag);
        const bool comps = memcmp(data + at + 4, "cmls", 4) == 0;
        const uint32_t length = stream::BigEndian32(data + at + 12);
        at += 16;
        if (length > size - at)
            throw debug::runtime_error(tag);
        if (comps) {
            size_t within = 0;
            const PsdDescriptorValue descriptor =
                ReadPsdVersionedDescriptor(data + at, length, within, tag);
            const PsdDescriptorValue* settings = descriptor.Find("layerSettings");
            if (settings) {
                for (const PsdDescriptorValue& item : settings->items) {
                    if (item.type == Type::Object)
                        records.push_back(ReadRecord(item, tag));
                }
            }
            return records;
        }
        at += length;
    }
    return records;
}

const std::vector<PsdLayerComp>& ImageLoaderPSD::LayerComps()
{
    std::lock_guard<std::mutex> lock(compsMutex);
    if (compsRead)
        return comps;
    compsRead = true;
    const PsdBlockPlace& place = layerCompsResource;
    if (place.length == 0)
        return comps;
    try {
        std::vector<uint8_t> data;
        if (place.length > kLargestComps || !BlockPart(place, 0, place.length, data))
            throw debug::runtime_error(kCompsDamaged);
        comps = ReadPsdLayerComps(data.data(), data.size(), kCompsDamaged);
    } catch (const debug::runtime_error& error) {
        comps.clear();
        compsDamage = error.what();
    }
    return comps;
}

const std::string& ImageLoaderPSD::LayerCompsDamage()
{
    LayerComps();
    return compsDamage;
}

std::vector<PsdLayerCompRecord> ImageLoaderPSD::LayerCompRecords(int32_t index)
{
    for (const PsdBlockPlace& place : LayerRecord(index).properties.describingBlocks) {
        if (memcmp(place.key, "shmd", 4) != 0)
            continue;
        std::vector<uint8_t> data;
        if (place.length > kLargestComps || !BlockPart(place, 0, place.length, data))
            throw debug::runtime_error(kRecordsDamaged);
        return ReadPsdLayerCompRecords(data.data(), data.size(), kRecordsDamaged);
    }
    return {};
}

std::vector<PsdLayerCompDamage> ImageLoaderPSD::ApplyLayerComp(int32_t id)
{
    const std::vector<PsdLayerComp>& all = LayerComps();
    const auto comp = std::find_if(all.begin(), all.end(),
                                   [id](const PsdLayerComp& one) { return one.id == id; });
    if (comp == all.end())
        throw debug::runtime_error(kNoSuchComp);
    std::vector<PsdLayerCompDamage> damage;
    for (int32_t i = 0; i < LayerCount(); ++i) {
        // The parts of every record of the comp, a later one's over an earlier one's.
        PsdLayerCompRecord wanted;
        bool recorded = false;
        try {
            for (const PsdLayerCompRecord& record : LayerCompRecords(i)) {
                if (std::find(record.comps.begin(), record.comps.end(), id) == record.comps.end())
                    continue;
                recorded = true;
                if (record.hasVisible) {
                    wanted.hasVisible = true;
                    wanted.visible = record.visible;
                }
                for (auto part : {&PsdLayerCompRecord::offset, &PsdLayerCompRecord::maskOffset,
                                  &PsdLayerCompRecord::vectorMaskOffset}) {
                    if ((record.*part).present)
                        wanted.*part = record.*part;
                }
                if (record.appearance) {
                    const std::shared_ptr<const PsdDescriptorValue> effects =
                        wanted.appearance && !record.effects ? wanted.effects : record.effects;
                    wanted.appearance = true;
                    wanted.effects = effects;
                }
                if (record.hasOpacity) {
                    wanted.hasOpacity = true;
                    wanted.opacity = record.opacity;
                }
                if (record.hasFillOpacity) {
                    wanted.hasFillOpacity = true;
                    wanted.fillOpacity = record.fillOpacity;
                }
                if (record.hasBlendKey) {
                    wanted.hasBlendKey = true;
                    memcpy(wanted.blendKey, record.blendKey, 4);
                }
            }
        } catch (const debug::runtime_error& error) {
            damage.push_back({i, error.what()});
            continue;
        }
        if (!recorded)
            continue;

        info_t& layer = layers[static_cast<size_t>(i)];
        PsdLayerProperties& properties = layer.properties;
        // The pixel mask moves with the layer (the record does not say whether it is linked; the
        // editor links them), the vector mask unless it is unlinked; each by its own distance
        // where the record has one. A move out of the coordinates a record holds is damage.
        const PsdCompOffset& offset = wanted.offset;
        const PsdCompOffset& mask = wanted.maskOffset.present ? wanted.maskOffset : wanted.offset;
        PsdCompOffset vector = wanted.vectorMaskOffset;
        if (!vector.present && !properties.vectorMask.notLinked)
            vector = wanted.offset;
        PsdLayerMask& pixels = properties.mask;
        if (comp->position &&
            (!Movable(layer.x, layer.y, layer.width, layer.height, offset.x, offset.y) ||
             (pixels.present &&
              !Movable(pixels.x, pixels.y, pixels.width, pixels.height, mask.x, mask.y)))) {
            damage.push_back({i, kRecordsDamaged});
            continue;
        }

        if (comp->visibility && wanted.hasVisible)
            properties.visible = wanted.visible;

        if (comp->position) {
            layer.x += offset.x;
            layer.y += offset.y;
            if (pixels.present) {
                pixels.x += mask.x;
                pixels.y += mask.y;
            }
            if (properties.hasEffectsOrigin) {
                properties.effectsOrigin[0] += offset.x;
                properties.effectsOrigin[1] += offset.y;
            }
            // Vector mask points are fractions of the document's size.
            if (properties.hasVectorMask && (vector.x != 0 || vector.y != 0) && merged.width > 0 &&
                merged.height > 0) {
                const double dx = static_cast<double>(vector.x) / merged.width;
                const double dy = static_cast<double>(vector.y) / merged.height;
                for (PsdSubpath& subpath : properties.vectorMask.subpaths) {
                    for (PsdPathKnot& knot : subpath.knots) {
                        MovePoint(knot.before, dx, dy);
                        MovePoint(knot.anchor, dx, dy);
                        MovePoint(knot.after, dx, dy);
                    }
                }
            }
        }

        if (comp->appearance && wanted.appearance) {
            if (wanted.hasOpacity)
                properties.opacity = wanted.opacity;
            if (wanted.hasFillOpacity)
                properties.fillOpacity = wanted.fillOpacity;
            if (wanted.hasBlendKey)
                memcpy(properties.blendKey, wanted.blendKey, 4);
            // The comp's style takes the place of the effects blocks; without one the layer has
            // none.
            std::vector<PsdBlockPlace>& blocks = properties.drawingBlocks;
            blocks.erase(std::remove_if(blocks.begin(), blocks.end(),
                                        [](const PsdBlockPlace& place) {
                                            return memcmp(place.key, "lfx2", 4) == 0 ||
                                                   memcmp(place.key, "lmfx", 4) == 0;
                                        }),
                         blocks.end());
            properties.compEffects = wanted.effects;
            properties.hasEffects = wanted.effects != nullptr;
        }
    }
    // The group structure measured the layers where they were.
    std::lock_guard<std::mutex> lock(treeMutex);
    tree.reset();
    return damage;
}

}  // namespace graphic
}  // namespace sdk
