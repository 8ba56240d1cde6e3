#include "graphic/PngFilterChoice.h"

#include <png.h>


namespace sdk {
namespace graphic {

namespace {

// The filtered byte's distance from zero when read as signed: min(d, 256 - d) of its value d.
inline uint32_t Magnitude(int difference)
{
    const uint32_t d = static_cast<uint32_t>(difference) & 0xFFu;
    return d < 256 - d ? d : 256 - d;
}

// The Paeth predictor, written without branches so that the loops below vectorise.
inline int Paeth(int a, int b, int c)
{
    const int p = b - c;
    const int q = a - c;
    const int pa = p < 0 ? -p : p;
    const int pb = q < 0 ? -q : q;
    const int pc = (p + q) < 0 ? -(p + q) : (p + q);
    const int bc = pb <= pc ? b : c;
    return (pa <= pb && pa <= pc) ? a : bc;
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
        up += Magnitude(row[i] - previous[i]);
    for (size_t i = 0; i < lead; ++i) {
        sub += Magnitude(row[i]);
        average += Magnitude(row[i] - previous[i] / 2);
        paeth += Magnitude(row[i] - previous[i]);
    }
    for (size_t i = lead; i < bytes; ++i)
        sub += Magnitude(row[i] - row[i - bpp]);
    for (size_t i = lead; i < bytes; ++i)
        average += Magnitude(row[i] - (row[i - bpp] + previous[i]) / 2);
    for (size_t i = lead; i < bytes; ++i)
        paeth += Magnitude(row[i] - Paeth(row[i - bpp], previous[i], previous[i - bpp]));

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
