#include "graphic/psd/PsdFieldReader.h"

#include <cstring>

#include "debug/Error.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

const uint8_t* PsdFieldReader::Take(size_t count)
{
    if (data_ == nullptr || count > size_ - at_)
        throw debug::runtime_error(cutShort_);
    at_ += count;
    return data_ + at_ - count;
}

uint16_t PsdFieldReader::U16()
{
    return stream::BigEndian16(Take(2));
}

uint32_t PsdFieldReader::U32()
{
    return stream::BigEndian32(Take(4));
}

uint64_t PsdFieldReader::U64()
{
    const uint64_t high = U32();
    return (high << 32) | U32();
}

double PsdFieldReader::Double()
{
    const uint64_t bits = U64();
    double value = 0;
    memcpy(&value, &bits, sizeof value);
    return value;
}

std::string PsdFieldReader::Pascal()
{
    const size_t length = U8();
    return std::string(reinterpret_cast<const char*>(Take(length)), length);
}

std::u16string PsdFieldReader::Unicode()
{
    const uint64_t count = U32();
    if (count > (size_ - at_) / 2)
        throw debug::runtime_error(cutShort_);
    const uint8_t* units = Take(static_cast<size_t>(count) * 2);
    std::u16string text;
    text.reserve(static_cast<size_t>(count));
    for (size_t i = 0; i < count; ++i)
        text.push_back(static_cast<char16_t>(stream::BigEndian16(units + i * 2)));
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
}

PsdDescriptorValue PsdFieldReader::Descriptor()
{
    if (data_ == nullptr)
        throw debug::runtime_error(cutShort_);
    return ReadPsdVersionedDescriptor(data_, size_, at_, damagedDescriptor_);
}

}  // namespace graphic
}  // namespace sdk
