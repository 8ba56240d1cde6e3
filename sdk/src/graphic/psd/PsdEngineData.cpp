#include "graphic/psd/PsdEngineData.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "debug/Error.h"

namespace sdk {
namespace graphic {

const char kPsdEngineDataMalformed[] = "ImageLoaderPSD::TypeLayer:530";
const char kPsdEngineDataTooDeep[] = "ImageLoaderPSD::TypeLayer:535";
const char kPsdEngineDataTooMany[] = "ImageLoaderPSD::TypeLayer:540";

namespace {

bool IsSpace(uint8_t byte)
{
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f' || byte == 0;
}

// Where a name, a number or a word ends.
bool IsDelimiter(uint8_t byte)
{
    return IsSpace(byte) || std::strchr("()<>[]{}/%", byte) != nullptr;
}

bool IsDigit(uint8_t byte)
{
    return byte >= '0' && byte <= '9';
}

class EngineDataReader {
public:
    EngineDataReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    PsdEngineValue Document()
    {
        PsdEngineValue value;
        Value(value, 0);
        SkipSpace();
        if (at_ != size_)
            Fail(kPsdEngineDataMalformed);
        return value;
    }

private:
    [[noreturn]] static void Fail(const char* tag) { throw debug::runtime_error(tag); }

    void SkipSpace()
    {
        while (at_ < size_ && IsSpace(data_[at_]))
            ++at_;
    }

    // The next byte after white space; the text may not end here.
    uint8_t Next()
    {
        SkipSpace();
        if (at_ == size_)
            Fail(kPsdEngineDataMalformed);
        return data_[at_];
    }

    void Value(PsdEngineValue& value, int depth)
    {
        using Type = PsdEngineValue::Type;
        if (++values_ > kPsdEngineDataMostValues)
            Fail(kPsdEngineDataTooMany);
        const uint8_t first = Next();
        if (first == '<') {
            if (size_ - at_ < 2 || data_[at_ + 1] != '<')
                Fail(kPsdEngineDataMalformed);
            at_ += 2;
            Dictionary(value, depth + 1);
        } else if (first == '[') {
            ++at_;
            Array(value, depth + 1);
        } else if (first == '/') {
            value.type = Type::Name;
            value.name = Name();
        } else if (first == '(') {
            value.type = Type::String;
            value.text = String();
        } else if (IsDigit(first) || first == '-' || first == '+' || first == '.') {
            value.type = Type::Number;
            value.number = NumberToken();
        } else {
            value.type = Type::Boolean;
            value.number = Word() ? 1 : 0;
        }
    }

    void Dictionary(PsdEngineValue& value, int depth)
    {
        if (depth > kPsdEngineDataDeepest)
            Fail(kPsdEngineDataTooDeep);
        value.type = PsdEngineValue::Type::Dictionary;
        for (;;) {
            const uint8_t next = Next();
            if (next == '>') {
                if (size_ - at_ < 2 || data_[at_ + 1] != '>')
                    Fail(kPsdEngineDataMalformed);
                at_ += 2;
                return;
            }
            if (next != '/')
                Fail(kPsdEngineDataMalformed);
            std::string key = Name();
            value.items.emplace_back();
            value.items.back().key = std::move(key);
            Value(value.items.back(), depth);
        }
    }

    void Array(PsdEngineValue& value, int depth)
    {
        if (depth > kPsdEngineDataDeepest)
            Fail(kPsdEngineDataTooDeep);
        value.type = PsdEngineValue::Type::Array;
        while (Next() != ']') {
            value.items.emplace_back();
            Value(value.items.back(), depth);
        }
        ++at_;
    }

    // A name after its slash, up to the next delimiter; never empty.
    std::string Name()
    {
        const size_t start = ++at_;
        while (at_ < size_ && !IsDelimiter(data_[at_]))
            ++at_;
        if (at_ == start)
            Fail(kPsdEngineDataMalformed);
        return std::string(reinterpret_cast<const char*>(data_ + start), at_ - start);
    }

    // A string's bytes up to the ")" that no backslash escapes. A backslash keeps the byte after
    // it ("\(", "\)", "\\"), except that "\n", "\r", "\t", "\b" and "\f" stand for those control
    // bytes, as in PostScript.
    std::u16string String()
    {
        ++at_;
        std::string bytes;
        for (;;) {
            if (at_ == size_)
                Fail(kPsdEngineDataMalformed);
            uint8_t byte = data_[at_++];
            if (byte == ')')
                break;
            if (byte == '\\') {
                if (at_ == size_)
                    Fail(kPsdEngineDataMalformed);
                byte = Escaped(data_[at_++]);
            }
            bytes.push_back(static_cast<char>(byte));
        }
        std::u16string text;
        if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFE &&
            static_cast<uint8_t>(bytes[1]) == 0xFF) {
            if (bytes.size() % 2 != 0)
                Fail(kPsdEngineDataMalformed);
            text.reserve(bytes.size() / 2 - 1);
            for (size_t i = 2; i < bytes.size(); i += 2)
                text.push_back(static_cast<char16_t>((static_cast<uint8_t>(bytes[i]) << 8) |
                                                     static_cast<uint8_t>(bytes[i + 1])));
        } else {
            for (char byte : bytes)
                text.push_back(static_cast<uint8_t>(byte));
        }
        return text;
    }

    static uint8_t Escaped(uint8_t byte)
    {
        switch (byte) {
            case 'n':
                return '\n';
            case 'r':
                return '\r';
            case 't':
                return '\t';
            case 'b':
                return '\b';
            case 'f':
                return '\f';
            default:
                return byte;
        }
    }

    // A decimal number: a sign, digits and a point, with a digit at least. The first 19
    // significant digits count; the value is made from them and a power of ten.
    double NumberToken()
    {
        bool negative = false;
        if (data_[at_] == '-' || data_[at_] == '+')
            negative = data_[at_++] == '-';
        uint64_t mantissa = 0;
        int kept = 0, exponent = 0;
        bool digits = false, point = false;
        for (; at_ < size_ && !IsDelimiter(data_[at_]); ++at_) {
            const uint8_t byte = data_[at_];
            if (byte == '.' && !point) {
                point = true;
                continue;
            }
            if (!IsDigit(byte))
                Fail(kPsdEngineDataMalformed);
            digits = true;
            if (kept == 19) {
                exponent += point ? 0 : 1;  // a digit beyond those kept
                continue;
            }
            if (mantissa != 0 || byte != '0') {
                mantissa = mantissa * 10 + (byte - '0');
                ++kept;
            }
            exponent -= point ? 1 : 0;
        }
        if (!digits)
            Fail(kPsdEngineDataMalformed);
        double value = static_cast<double>(mantissa);
        if (mantissa != 0 && exponent < 0 && exponent >= -22)
            value /= std::pow(10.0, -exponent);  // an exact power: .01 and 1.2 come out as written
        else if (mantissa != 0 && exponent != 0)
            value *= std::pow(10.0, exponent);
        return negative ? -value : value;
    }

    // true or false; any other word is no value.
    bool Word()
    {
        const size_t start = at_;
        while (at_ < size_ && !IsDelimiter(data_[at_]))
            ++at_;
        const std::string word(reinterpret_cast<const char*>(data_ + start), at_ - start);
        if (word != "true" && word != "false")
            Fail(kPsdEngineDataMalformed);
        return word == "true";
    }

    const uint8_t* data_;
    const size_t size_;
    size_t at_ = 0;
    size_t values_ = 0;
};

}  // namespace

const PsdEngineValue* PsdEngineValue::Find(const char* itemKey) const
{
    if (type != Type::Dictionary)
        return nullptr;
    for (const PsdEngineValue& item : items) {
        if (item.key == itemKey)
            return &item;
    }
    return nullptr;
}

const PsdEngineValue* PsdEngineValue::Find(std::initializer_list<const char*> path) const
{
    const PsdEngineValue* value = this;
    for (const char* itemKey : path) {
        value = value->Find(itemKey);
        if (value == nullptr)
            return nullptr;
    }
    return value;
}

const PsdEngineValue* PsdEngineValue::At(size_t index) const
{
    if (type != Type::Array || index >= items.size())
        return nullptr;
    return &items[index];
}

double PsdEngineValue::Number(const char* itemKey, double fallback) const
{
    const PsdEngineValue* item = Find(itemKey);
    if (item == nullptr || (item->type != Type::Number && item->type != Type::Boolean))
        return fallback;
    return item->number;
}

bool PsdEngineValue::Bool(const char* itemKey, bool fallback) const
{
    const PsdEngineValue* item = Find(itemKey);
    if (item == nullptr || (item->type != Type::Number && item->type != Type::Boolean))
        return fallback;
    return item->number != 0;
}

PsdEngineValue ReadPsdEngineData(const uint8_t* data, size_t size)
{
    if (data == nullptr && size != 0)
        throw debug::runtime_error(kPsdEngineDataMalformed);
    return EngineDataReader(data, size).Document();
}

}  // namespace graphic
}  // namespace sdk
