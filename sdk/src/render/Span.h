// A run of columns of a row: from .. to - 1.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace sdk {
namespace render {

struct Span {
    int32_t from = 0;
    int32_t to = 0;
    bool Empty() const { return from >= to; }
};

// The smallest span holding both.
inline Span Hull(Span a, Span b)
{
    if (a.Empty())
        return b;
    if (b.Empty())
        return a;
    return Span{std::min(a.from, b.from), std::max(a.to, b.to)};
}

// Columns as a list of spans, in order, apart from one another.
using Spans = std::vector<Span>;

// Sorts spans and joins those that overlap or touch; empty ones are dropped.
void Merge(Spans& spans);

}  // namespace render
}  // namespace sdk
