// The error record of a fault, composed without the heap or the standard streams, so that it
// can be written from the very place where the fault was caught.
#include <cstring>

#include "debug/FaultHandler.h"

namespace sdk {
namespace debug {

namespace {

class RecordWriter {
public:
    RecordWriter(char* buffer, size_t size) : buffer_(buffer), size_(size) {}
    void Text(const char* text)
    {
        for (; *text != '\0'; ++text) {
            if (length_ + 1 < size_)
                buffer_[length_++] = *text;
        }
    }
    void Hex8(uint32_t value)
    {
        char digits[9];
        for (int i = 7; i >= 0; --i, value >>= 4)
            digits[i] = "0123456789ABCDEF"[value & 15];
        digits[8] = '\0';
        Text(digits);
    }
    void SignedDecimal(int32_t value)
    {
        char digits[12];
        int pos = 11;
        digits[pos] = '\0';
        int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
        do {
            digits[--pos] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0)
            digits[--pos] = '-';
        Text(digits + pos);
    }
    size_t Finish()
    {
        if (size_ != 0)
            buffer_[length_] = '\0';
        return length_;
    }

private:
    char* buffer_;
    size_t size_;
    size_t length_ = 0;
};

}  // namespace

size_t FormatFaultRecord(const system_error& fault, const char* line_end, char* buffer,
                         size_t size)
{
    RecordWriter record(buffer, size);
    record.Text("ERROR: sdk::debug::system_error(");
    record.Text(fault.what());
    record.Text(")");
    record.Text(line_end);
    record.Text("\tERROR_CODE: 0x");
    record.Hex8(fault.Code());
    record.Text(line_end);
    record.Text("\tERROR_ADDR: ");
    record.SignedDecimal(static_cast<int32_t>(fault.Address()));
    record.Text(" (0x");
    record.Hex8(fault.Address());
    record.Text(")");
    record.Text(line_end);
    return record.Finish();
}

}  // namespace debug
}  // namespace sdk
