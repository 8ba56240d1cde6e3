#include "graphic/psd/PsdDescriptor.h"

#include <cstring>

#include "debug/Error.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

namespace {

// The blend modes as descriptors name them (enumeration "BlnM"), with the keys of layer records.
struct ModeKey {
    const char* value;
    const char* key;
};

const ModeKey kModeKeys[] = {
    {"passThrough", "pass"},
    {"Nrml", "norm"},
    {"Dslv", "diss"},
    {"Drkn", "dark"},
    {"Mltp", "mul "},
    {"CBrn", "idiv"},
    {"linearBurn", "lbrn"},
    {"darkerColor", "dkCl"},
    {"Lghn", "lite"},
    {"Scrn", "scrn"},
    {"CDdg", "div "},
    {"linearDodge", "lddg"},
    {"lighterColor", "lgCl"},
    {"Ovrl", "over"},
    {"SftL", "sLit"},
    {"HrdL", "hLit"},
    {"vividLight", "vLit"},
    {"linearLight", "lLit"},
    {"pinLight", "pLit"},
    {"hardMix", "hMix"},
    {"Dfrn", "diff"},
    {"Xclu", "smud"},
    {"blendSubtraction", "fsub"},
    {"blendDivide", "fdiv"},
    {"H   ", "hue "},
    {"Strt", "sat "},
    {"Clr ", "colr"},
    {"Lmns", "lum "},
};

// Deeper than any descriptor the editor writes (layer effects nest about six levels).
const int kDeepest = 32;
// More values than any real block holds; every value takes at least four bytes, so this bounds
// the memory of a damaged block long before its size does.
const size_t kMostValues = 1 << 18;

class DescriptorReader {
public:
    DescriptorReader(const uint8_t* data, size_t size, size_t at, const char* tag)
        : data_(data), size_(size), at_(at), tag_(tag)
    {
    }

    size_t At() const { return at_; }

    uint32_t U32()
    {
        Need(4);
        at_ += 4;
        return stream::BigEndian32(data_ + at_ - 4);
    }

    // The items of a descriptor after its name and class id: a count, then key, type, value.
    void Items(PsdDescriptorValue& object, int depth)
    {
        if (depth > kDeepest)
            Fail();
        object.type = PsdDescriptorValue::Type::Object;
        const uint32_t count = U32();
        for (uint32_t i = 0; i < count; ++i) {
            std::string key = Key();
            object.items.emplace_back();
            object.items.back().key = std::move(key);
            Value(Chars4(), object.items.back(), depth);
        }
    }

    void Descriptor(PsdDescriptorValue& object, int depth)
    {
        SkipUnicode();
        object.classId = Key();
        Items(object, depth);
    }

private:
    [[noreturn]] void Fail() const { throw debug::runtime_error(tag_); }

    void Need(uint64_t count) const
    {
        if (count > size_ - at_)
            Fail();
    }

    void Skip(uint64_t count)
    {
        Need(count);
        at_ += static_cast<size_t>(count);
    }

    std::string Chars(uint32_t length)
    {
        Need(length);
        at_ += length;
        return std::string(reinterpret_cast<const char*>(data_ + at_ - length), length);
    }

    std::string Chars4() { return Chars(4); }

    // A key or class id: a length, or 0 and four characters.
    std::string Key()
    {
        const uint32_t length = U32();
        return Chars(length == 0 ? 4 : length);
    }

    std::u16string Unicode()
    {
        const uint32_t count = U32();
        Need(static_cast<uint64_t>(count) * 2);
        std::u16string text;
        text.reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            text.push_back(static_cast<char16_t>((data_[at_ + i * 2] << 8) | data_[at_ + i * 2 + 1]));
        at_ += static_cast<size_t>(count) * 2;
        // Texts usually end with a zero unit, which is no part of them.
        while (!text.empty() && text.back() == 0)
            text.pop_back();
        return text;
    }

    void SkipUnicode() { Skip(static_cast<uint64_t>(U32()) * 2); }

    double Double()
    {
        Need(8);
        const uint64_t bits = (static_cast<uint64_t>(stream::BigEndian32(data_ + at_)) << 32) |
                              stream::BigEndian32(data_ + at_ + 4);
        at_ += 8;
        double value = 0;
        memcpy(&value, &bits, sizeof value);
        return value;
    }

    void Count()
    {
        if (++values_ > kMostValues)
            Fail();
    }

    void Value(const std::string& type, PsdDescriptorValue& value, int depth)
    {
        using Type = PsdDescriptorValue::Type;
        Count();
        if (type == "Objc" || type == "GlbO") {
            Descriptor(value, depth + 1);
        } else if (type == "ObAr") {
            // An array of objects (a custom warp's mesh): a count of them, then a descriptor
            // whose items hold their values side by side.
            U32();
            Descriptor(value, depth + 1);
        } else if (type == "VlLs") {
            if (depth + 1 > kDeepest)
                Fail();
            value.type = Type::List;
            const uint32_t count = U32();
            for (uint32_t i = 0; i < count; ++i) {
                value.items.emplace_back();
                Value(Chars4(), value.items.back(), depth + 1);
            }
        } else if (type == "doub") {
            value.type = Type::Number;
            value.number = Double();
        } else if (type == "UntF") {
            value.type = Type::UnitNumber;
            value.unit = Chars4();
            value.number = Double();
        } else if (type == "UnFl") {
            // A unit and a list of numbers in it.
            value.type = Type::List;
            const std::string unit = Chars4();
            const uint32_t count = U32();
            Need(static_cast<uint64_t>(count) * 8);
            for (uint32_t i = 0; i < count; ++i) {
                Count();
                value.items.emplace_back();
                value.items.back().type = Type::UnitNumber;
                value.items.back().unit = unit;
                value.items.back().number = Double();
            }
        } else if (type == "long") {
            value.type = Type::Number;
            value.number = static_cast<int32_t>(U32());
        } else if (type == "comp") {
            value.type = Type::Number;
            const uint64_t high = U32();
            value.number = static_cast<double>(static_cast<int64_t>((high << 32) | U32()));
        } else if (type == "bool") {
            value.type = Type::Number;
            Need(1);
            value.number = data_[at_++] != 0 ? 1 : 0;
        } else if (type == "enum") {
            value.type = Type::Enumerated;
            value.unit = Key();
            value.text = Key();
        } else if (type == "TEXT") {
            value.type = Type::Text;
            value.wide = Unicode();
            for (char16_t unit : value.wide)
                value.text.push_back(unit < 128 ? static_cast<char>(unit) : '?');
        } else if (type == "tdta") {
            value.type = Type::Raw;
            const uint32_t length = U32();
            Need(length);
            value.raw.assign(data_ + at_, data_ + at_ + length);
            at_ += length;
        } else if (type == "alis" || type == "Pth ") {
            value.type = Type::Other;
            Skip(U32());
        } else if (type == "type" || type == "GlbC") {
            value.type = Type::Other;
            SkipUnicode();
            Key();
        } else if (type == "obj ") {
            Reference(value);
        } else {
            Fail();
        }
    }

    // A reference: a list of parts, each naming a class and how the item is picked.
    void Reference(PsdDescriptorValue& value)
    {
        value.type = PsdDescriptorValue::Type::Other;
        const uint32_t count = U32();
        for (uint32_t i = 0; i < count; ++i) {
            Count();
            const std::string part = Chars4();
            if (part == "prop") {
                SkipUnicode();
                Key();
                Key();
            } else if (part == "Clss") {
                SkipUnicode();
                Key();
            } else if (part == "Enmr") {
                SkipUnicode();
                Key();
                Key();
                Key();
            } else if (part == "rele") {
                SkipUnicode();
                Key();
                Skip(4);
            } else if (part == "Idnt" || part == "indx") {
                Skip(4);
            } else if (part == "name") {
                SkipUnicode();
                Key();
                SkipUnicode();
            } else {
                Fail();
            }
        }
    }

    const uint8_t* data_;
    const size_t size_;
    size_t at_;
    const char* tag_;
    size_t values_ = 0;
};

}  // namespace

const PsdDescriptorValue* PsdDescriptorValue::Find(const char* itemKey) const
{
    for (const PsdDescriptorValue& item : items) {
        if (item.key == itemKey)
            return &item;
    }
    return nullptr;
}

double PsdDescriptorValue::Number(const char* itemKey, double fallback) const
{
    const PsdDescriptorValue* item = Find(itemKey);
    if (!item || (item->type != Type::Number && item->type != Type::UnitNumber))
        return fallback;
    return item->number;
}

bool PsdDescriptorValue::Bool(const char* itemKey, bool fallback) const
{
    const PsdDescriptorValue* item = Find(itemKey);
    if (!item || item->type != Type::Number)
        return fallback;
    return item->number != 0;
}

std::string PsdDescriptorValue::Text(const char* itemKey, const std::string& fallback) const
{
    const PsdDescriptorValue* item = Find(itemKey);
    if (!item || (item->type != Type::Enumerated && item->type != Type::Text))
        return fallback;
    return item->text;
}

PsdDescriptorValue ReadPsdDescriptor(const uint8_t* data, size_t size, size_t& at,
                                     const char* tag)
{
    if (at > size)
        throw debug::runtime_error(tag);
    DescriptorReader reader(data, size, at, tag);
    PsdDescriptorValue value;
    reader.Descriptor(value, 0);
    at = reader.At();
    return value;
}

PsdDescriptorValue ReadPsdVersionedDescriptor(const uint8_t* data, size_t size, size_t& at,
                                              const char* tag)
{
    if (at > size || size - at < 4 || stream::BigEndian32(data + at) != 16)
        throw debug::runtime_error(tag);
    at += 4;
    return ReadPsdDescriptor(data, size, at, tag);
}

bool PsdBlendKeyOfName(const std::string& name, char (&key)[4])
{
    for (const ModeKey& known : kModeKeys) {
        if (name == known.value) {
            memcpy(key, known.key, 4);
            return true;
        }
    }
    return false;
}

}  // namespace graphic
}  // namespace sdk
