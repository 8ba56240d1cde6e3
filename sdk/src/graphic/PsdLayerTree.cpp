#include "graphic/PsdLayerTree.h"

#include <utility>

#include "debug/Error.h"

namespace sdk {
namespace graphic {

PsdLayerNode BuildPsdLayerTree(ImageLoaderPSD& loader)
{
    using Section = PsdLayerProperties::Section;
    // The groups being filled, outermost first; the document is the first.
    std::vector<PsdLayerNode> open(1);
    open.front().group = true;
    for (int32_t i = 0; i < loader.LayerCount(); ++i) {
        const Section section = loader.LayerRecord(i).properties.section;
        if (section == Section::Divider) {
            if (static_cast<int32_t>(open.size()) > kMaxPsdGroupDepth)
                throw debug::runtime_error("ImageLoaderPSD::LayerTree:450");
            open.emplace_back();
            continue;
        }
        PsdLayerNode node;
        node.layer = i;
        if (section == Section::OpenFolder || section == Section::ClosedFolder) {
            node.group = true;
            if (open.size() > 1) {
                node.children = std::move(open.back().children);
                open.pop_back();
            }
        }
        open.back().children.push_back(std::move(node));
    }
    // Dividers never closed: their children belong to the group around them.
    while (open.size() > 1) {
        std::vector<PsdLayerNode> children = std::move(open.back().children);
        open.pop_back();
        for (PsdLayerNode& child : children)
            open.back().children.push_back(std::move(child));
    }
    return std::move(open.front());
}

}  // namespace graphic
}  // namespace sdk
