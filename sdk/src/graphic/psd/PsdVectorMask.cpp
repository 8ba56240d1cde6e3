#include "graphic/psd/PsdVectorMask.h"

#include <utility>

#include "debug/Error.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

namespace {

const size_t kRecordSize = 26;
const size_t kHeaderSize = 8;

enum : uint16_t {
    kClosedLength = 0,
    kClosedKnotLinked = 1,
    kClosedKnotUnlinked = 2,
    kOpenLength = 3,
    kOpenKnotLinked = 4,
    kOpenKnotUnlinked = 5,
    kPathFillRule = 6,
    kClipboard = 7,
    kInitialFillRule = 8,
};

enum : uint32_t { kFlagInvert = 1, kFlagNotLinked = 2, kFlagDisabled = 4 };

bool IsKnot(uint16_t type)
{
    return type == kClosedKnotLinked || type == kClosedKnotUnlinked || type == kOpenKnotLinked ||
           type == kOpenKnotUnlinked;
}

// A point of 8 bytes: vertical, then horizontal, each signed with 24 bits after the binary point.
PsdPathPoint ReadPoint(const uint8_t* bytes)
{
    const double unit = 1.0 / (1 << 24);
    PsdPathPoint point;
    point.y = static_cast<int32_t>(stream::BigEndian32(bytes)) * unit;
    point.x = static_cast<int32_t>(stream::BigEndian32(bytes + 4)) * unit;
    return point;
}

// The operation of a length record. Older editors leave everything after the knot count zero.
int16_t ReadOperation(const uint8_t* record)
{
    bool stored = false;
    for (size_t i = 4; i < kRecordSize; ++i)
        stored = stored || record[i] != 0;
    if (!stored)
        return PsdSubpath::kNone;
    const int16_t operation = static_cast<int16_t>(stream::BigEndian16(record + 4));
    if (operation < PsdSubpath::kNone || operation > PsdSubpath::kIntersect)
        return PsdSubpath::kUnion;
    return operation;
}

}  // namespace

PsdVectorMask ReadPsdVectorMask(const uint8_t* data, size_t length, const char* tag)
{
    if (data == nullptr || length < kHeaderSize || stream::BigEndian32(data) != 3)
        throw debug::runtime_error(tag);
    const uint32_t flags = stream::BigEndian32(data + 4);
    PsdVectorMask mask;
    mask.invert = (flags & kFlagInvert) != 0;
    mask.notLinked = (flags & kFlagNotLinked) != 0;
    mask.disabled = (flags & kFlagDisabled) != 0;

    const uint8_t* records = data + kHeaderSize;
    const size_t count = (length - kHeaderSize) / kRecordSize;
    size_t index = 0;
    while (index < count) {
        const uint8_t* record = records + index * kRecordSize;
        const uint16_t type = stream::BigEndian16(record);
        ++index;
        if (type == kInitialFillRule) {
            mask.startsFilled = stream::BigEndian16(record + 2) != 0;
            continue;
        }
        if (type != kClosedLength && type != kOpenLength)
            continue;  // fill rule and clipboard records, stray knots, kinds unknown
        const size_t knots = stream::BigEndian16(record + 2);
        if (knots > count - index)
            throw debug::runtime_error(tag);
        PsdSubpath subpath;
        subpath.closed = type == kClosedLength;
        subpath.operation = ReadOperation(record);
        subpath.knots.reserve(knots);
        for (size_t k = 0; k < knots; ++k, ++index) {
            const uint8_t* knot = records + index * kRecordSize;
            if (!IsKnot(stream::BigEndian16(knot)))
                throw debug::runtime_error(tag);
            PsdPathKnot point;
            point.before = ReadPoint(knot + 2);
            point.anchor = ReadPoint(knot + 10);
            point.after = ReadPoint(knot + 18);
            subpath.knots.push_back(point);
        }
        mask.subpaths.push_back(std::move(subpath));
    }
    return mask;
}

}  // namespace graphic
}  // namespace sdk
