#include "render/Span.h"

namespace sdk {
namespace render {

void Merge(Spans& spans)
{
    spans.erase(std::remove_if(spans.begin(), spans.end(), [](Span span) { return span.Empty(); }),
                spans.end());
    if (spans.size() < 2)
        return;
    std::sort(spans.begin(), spans.end(), [](Span a, Span b) { return a.from < b.from; });
    size_t kept = 0;
    for (size_t i = 1; i < spans.size(); ++i) {
        if (spans[i].from <= spans[kept].to)
            spans[kept].to = std::max(spans[kept].to, spans[i].to);
        else
            spans[++kept] = spans[i];
    }
    spans.resize(kept + 1);
}

}  // namespace render
}  // namespace sdk
