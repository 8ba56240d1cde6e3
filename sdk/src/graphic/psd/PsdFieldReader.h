// The fixed fields of a block read in order: big-endian numbers, strings and descriptors, each
// checked against the bytes left. The first read past the end raises the block's own tag, so a
// damaged block never moves the reader outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "graphic/psd/PsdDescriptor.h"

namespace sdk {
namespace graphic {

class PsdFieldReader {
public:
    // cutShort: the tag raised when the bytes end inside a field; damagedDescriptor: the tag of
    // a descriptor that cannot be read (cutShort when null).
    PsdFieldReader(const uint8_t* data, size_t size, const char* cutShort,
                   const char* damagedDescriptor = nullptr)
        : data_(data),
          size_(size),
          cutShort_(cutShort),
          damagedDescriptor_(damagedDescriptor ? damagedDescriptor : cutShort)
    {
    }

    size_t At() const { return at_; }
    // The next count bytes, which the reader moves past.
    const uint8_t* Take(size_t count);
    uint8_t U8() { return *Take(1); }
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    double Double();
    // A Pascal string: a length byte and the characters, not padded.
    std::string Pascal();
    // A count of UTF-16 units and the units; the zero units that end it are no part of it.
    std::u16string Unicode();
    // A descriptor version (16) and a descriptor.
    PsdDescriptorValue Descriptor();

private:
    const uint8_t* data_;
    const size_t size_;
    const char* cutShort_;
    const char* damagedDescriptor_;
    size_t at_ = 0;
};

}  // namespace graphic
}  // namespace sdk
