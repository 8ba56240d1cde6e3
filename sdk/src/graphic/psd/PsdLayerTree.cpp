#include "graphic/psd/PsdLayerTree.h"

#include <algorithm>
#include <utility>

#include "debug/Error.h"

namespace sdk {
namespace graphic {

namespace {

// Sets the areas of node and of everything below it.
void MeasureAreas(PsdLayerNode& node, const ImageLoaderPSD& loader)
{
    if (!node.group) {
        const ImageLoaderPSD::info_t& record = loader.LayerRecord(node.layer);
        if (record.width > 0 && record.height > 0)
            node.area = {record.x, record.y, static_cast<int64_t>(record.x) + record.width,
                         static_cast<int64_t>(record.y) + record.height};
        return;
    }
    for (PsdLayerNode& child : node.children) {
        MeasureAreas(child, loader);
        if (child.area.Empty())
            continue;
        if (node.area.Empty()) {
            node.area = child.area;
            continue;
        }
        node.area.left = std::min(node.area.left, child.area.left);
        node.area.top = std::min(node.area.top, child.area.top);
        node.area.right = std::max(node.area.right, child.area.right);
        node.area.bottom = std::max(node.area.bottom, child.area.bottom);
    }
    // An artboard covers its own rectangle, whatever its layers do.
    if (node.layer < 0)
        return;
    const PsdArtboard& artboard = loader.LayerRecord(node.layer).properties.artboard;
    if (artboard.present)
        node.area = {artboard.left, artboard.top, artboard.right, artboard.bottom};
}

}  // namespace

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
    MeasureAreas(open.front(), loader);
    return std::move(open.front());
}

}  // namespace graphic
}  // namespace sdk
