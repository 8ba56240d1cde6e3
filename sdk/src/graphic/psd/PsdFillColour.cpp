#include "graphic/psd/PsdFillColour.h"

#include <cmath>
#include <cstring>
#include <string>

#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

namespace {

// A cursor over descriptor bytes that stops at the first read past the end.
class DescriptorBytes {
public:
    DescriptorBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Good() const { return good_; }
    uint32_t U32()
    {
        if (!Take(4))
            return 0;
        return stream::BigEndian32(data_ + at_ - 4);
    }
    double Double()
    {
        if (!Take(8))
            return 0;
        const uint64_t bits = (static_cast<uint64_t>(stream::BigEndian32(data_ + at_ - 8)) << 32) |
                              stream::BigEndian32(data_ + at_ - 4);
        double value = 0;
        memcpy(&value, &bits, sizeof value);
        return value;
    }
    bool Skip(uint64_t count) { return Take(count); }
    // A key or class id: a length, or 0 and then four characters.
    std::string Key()
    {
        uint32_t length = U32();
        if (length == 0)
            length = 4;
        if (!Take(length))
            return std::string();
        return std::string(reinterpret_cast<const char*>(data_ + at_ - length), length);
    }
    // Four characters without a length, such as an item's type.
    std::string Chars4()
    {
        if (!Take(4))
            return std::string();
        return std::string(reinterpret_cast<const char*>(data_ + at_ - 4), 4);
    }
    // A Unicode string: a count of UTF-16 units, then the units.
    bool SkipText() { return Skip(static_cast<uint64_t>(U32()) * 2); }

private:
    bool Take(uint64_t count)
    {
        if (!good_ || count > size_ - at_) {
            good_ = false;
            return false;
        }
        at_ += static_cast<size_t>(count);
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool good_ = true;
};

uint8_t Byte(double value)
{
    if (!(value > 0))
        return 0;
    return value >= 255 ? 255 : static_cast<uint8_t>(std::lround(value));
}

// Reads a descriptor (after its name and class id), finding the red, green and blue values or
// the gray value of a colour object. Items of kinds that this reader does not follow end it;
// depth bounds the nesting of objects.
bool ReadDescriptor(DescriptorBytes& bytes, const std::string& descriptorClass, int depth,
                    uint8_t (&rgb)[3])
{
    const uint32_t count = bytes.U32();
    double values[3] = {-1, -1, -1};
    double gray = -1;
    for (uint32_t i = 0; i < count && bytes.Good(); ++i) {
        const std::string key = bytes.Key();
        const std::string type = bytes.Chars4();
        if (type == "Objc" || type == "GlbO") {
            if (depth >= 4 || !bytes.SkipText())
                return false;
            const std::string objectClass = bytes.Key();
            if (ReadDescriptor(bytes, objectClass, depth + 1, rgb))
                return true;
        } else if (type == "doub") {
            const double value = bytes.Double();
            if (key == "Rd  ")
                values[0] = value;
            else if (key == "Grn ")
                values[1] = value;
            else if (key == "Bl  ")
                values[2] = value;
            else if (key == "Gry ")
                gray = value;
        } else if (type == "long") {
            bytes.Skip(4);
        } else if (type == "bool") {
            bytes.Skip(1);
        } else if (type == "UntF") {
            bytes.Skip(12);
        } else if (type == "enum") {
            bytes.Key();
            bytes.Key();
        } else if (type == "TEXT") {
            bytes.SkipText();
        } else {
            return false;
        }
    }
    if (!bytes.Good())
        return false;
    if (descriptorClass == "RGBC" && values[0] >= 0 && values[1] >= 0 && values[2] >= 0) {
        for (int i = 0; i < 3; ++i)
            rgb[i] = Byte(values[i]);
        return true;
    }
    if (descriptorClass == "Grsc" && gray >= 0) {
        // Gray as a percentage of black.
        rgb[0] = rgb[1] = rgb[2] = Byte(255 - gray * 2.55);
        return true;
    }
    return false;
}

}  // namespace

bool ReadPsdFillColour(const uint8_t* data, size_t size, uint8_t (&rgb)[3])
{
    // A version, then the descriptor: its name, its class id and its items.
    DescriptorBytes bytes(data, size);
    if (bytes.U32() != 16 || !bytes.SkipText())
        return false;
    const std::string descriptorClass = bytes.Key();
    return bytes.Good() && ReadDescriptor(bytes, descriptorClass, 0, rgb);
}

}  // namespace graphic
}  // namespace sdk
