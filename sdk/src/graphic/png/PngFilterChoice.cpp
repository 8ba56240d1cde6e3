#include "graphic/png/PngFilterChoice.h"

#include <png.h>


namespace sdk {
namespace graphic {

namespace {

// The filtered byte's distance from zero when read as signed: min(d, 256 - d) of its value d.
// Worked out in bytes, as every filtered byte is, so that the loops below handle sixteen bytes
// at a time.
inline uint8_t Magnitude(uint8_t d)
{
    const uint8_t negated = static_cast<uint8_t>(-d);
    return d < negated ? d : negated;
}

// The Paeth predictor, written without branches so that the loops below vectorise; the
// differences it compares need 16 bits.
inline uint8_t Paeth(int16_t a, int16_t b, int16_t c)
{
    const int16_t p = static_cast<int16_t>(b - c);
    const int16_t q = static_cast<int16_t>(a - c);
    const int16_t pq = static_cast<int16_t>(p + q);
    const int16_t pa = p < 0 ? static_cast<int16_t>(-p) : p;
    const int16_t pb = q < 0 ? static_cast<int16_t>(-q) : q;
    const int16_t pc = pq < 0 ? static_cast<int16_t>(-pq) : pq;
    const int16_t bc = pb <= pc ? b : c;
    return static_cast<uint8_t>((pa <= pb && pa <= pc) ? a : bc);
}

// The filtered byte of value and its prediction.
inline uint8_t Minus(uint8_t value, uint8_t prediction)
{
    return static_cast<uint8_t>(value - prediction);
}

}  // namespace

int ChooseRowFilter(const uint8_t* row, const uint8_t* previous, size_t bytes, size_t bpp,
                    int allowed)
{
    // One simple loop per filter: each vectorises on its own. The sums fit in 32 bits: a row
    // holds at most 4 bytes for each of 1,000,000 pixels, each adding at most 128.
    const size_t lead = bpp < bytes ? bpp : bytes;
    uint32_t none = 0, sub = 0, up = 0, average = 0, paeth = 0;
    for (size_t i = 0; i < bytes; ++i)
        none += Magnitude(row[i]);
    for (size_t i = 0; i < bytes; ++i)
        up += Magnitude(Minus(row[i], previous[i]));
    for (size_t i = 0; i < lead; ++i) {
        sub += Magnitude(row[i]);
        average += Magnitude(Minus(row[i], static_cast<uint8_t>(previous[i] / 2)));
        paeth += Magnitude(Minus(row[i], previous[i]));
    }
    for (size_t i = lead; i < bytes; ++i)
        sub += Magnitude(Minus(row[i], row[i - bpp]));
    for (size_t i = lead; i < bytes; ++i) {
        // The mean of two bytes, rounded down, without leaving bytes: (a + b) / 2.
        const uint8_t a = row[i - bpp];
        const uint8_t b = previous[i];
        average += Magnitude(Minus(row[i], static_cast<uint8_t>((a & b) + ((a ^ b) >> 1))));
    }
    for (size_t i = lead; i < bytes; ++i)
        paeth += Magnitude(Minus(row[i], Paeth(row[i - bpp], previous[i], previous[i - bpp])));

    int best = PNG_FILTER_NONE;
    uint32_t smallest = none;
    const struct {
        int filter;
        uint32_t sum;
    } candidates[] = {{PNG_FILTER_SUB, sub},
                      {PNG_FILTER_UP, up},
                      {PNG_FILTER_AVG, average},
                      {PNG_FILTER_PAETH, paeth}};
    for (const auto& candidate : candidates) {
        if ((allowed & candidate.filter) != 0 && candidate.sum < smallest) {
            smallest = candidate.sum;
            best = candidate.filter;
        }
    }
    return best;
}

}  // namespace graphic
}  // namespace sdk
