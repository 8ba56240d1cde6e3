#include "conversion/psd/PsdLayerSelection.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <vector>

#include "conversion/Option.h"
#include "graphic/ImageLimits.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdLayerTree.h"
#include "render/compose/LayerAsShown.h"

using sdk::graphic::ImageInfo;
using sdk::graphic::PsdLayerNode;
using sdk::graphic::PsdLayerProperties;

namespace {

// Where a record sits in the group structure.
struct RecordPlace {
    const PsdLayerNode* node = nullptr;  // null for a divider, which is no node of the tree
    std::vector<int32_t> groups;         // the folder records of the groups holding it
};

void Place(const PsdLayerNode& parent, std::vector<int32_t>& groups,
           std::vector<RecordPlace>& places)
{
    for (const PsdLayerNode& child : parent.children) {
        RecordPlace& place = places[static_cast<size_t>(child.layer)];
        place.node = &child;
        place.groups = groups;
        if (child.group) {
            groups.push_back(child.layer);
            Place(child, groups, places);
            groups.pop_back();
        }
    }
}

void MarkHidden(const PsdLayerNode& parent, bool parentHidden,
                const sdk::graphic::ImageLoaderPSD& psd, std::vector<LayerVisibility>& marks)
{
    for (const PsdLayerNode& child : parent.children) {
        const bool own = !psd.LayerRecord(child.layer).properties.visible;
        LayerVisibility& mark = marks[static_cast<size_t>(child.layer)];
        mark = own ? LayerVisibility::Hidden
                   : parentHidden ? LayerVisibility::InHiddenGroup : LayerVisibility::Visible;
        if (child.group)
            MarkHidden(child, parentHidden || own, psd, marks);
    }
}

// Whether the options need the document's group structure to choose its pictures.
bool SelectionNeedsGroups()
{
    return option.skipHidden || option.groups != GroupLayout::Flat;
}

}  // namespace

std::vector<LayerVisibility> LayerVisibilities(sdk::graphic::ImageLoaderPSD& psd)
{
    std::vector<LayerVisibility> marks(static_cast<size_t>(psd.LayerCount()));
    // A divider is no node of the tree: it is shown or hidden by its own flag.
    for (int32_t i = 0; i < psd.LayerCount(); ++i)
        marks[static_cast<size_t>(i)] = psd.LayerRecord(i).properties.visible
                                            ? LayerVisibility::Visible
                                            : LayerVisibility::Hidden;
    MarkHidden(psd.LayerTree(), false, psd, marks);
    return marks;
}

std::string LayerPathShown(sdk::graphic::ImageLoaderPSD& psd, int32_t record)
{
    const int32_t count = psd.LayerCount();
    if (record < 0 || record >= count)
        return std::string();
    // A divider is paired with the folder record above it, as the tree pairs them: the nearest
    // one not taken by a divider nearer to it.
    using Section = PsdLayerProperties::Section;
    int32_t shown = record;
    if (psd.LayerRecord(record).properties.section == Section::Divider) {
        int32_t open = 0;
        for (int32_t i = record; i < count; ++i) {
            const Section section = psd.LayerRecord(i).properties.section;
            if (section == Section::Divider)
                ++open;
            else if ((section == Section::OpenFolder || section == Section::ClosedFolder) &&
                     --open == 0) {
                shown = i;
                break;
            }
        }
    }
    std::vector<RecordPlace> places(static_cast<size_t>(count));
    try {
        std::vector<int32_t> groups;
        Place(psd.LayerTree(), groups, places);
    } catch (const std::exception&) {
        places.assign(static_cast<size_t>(count), RecordPlace());
    }
    std::string path;
    ImageInfo info;
    for (int32_t group : places[static_cast<size_t>(shown)].groups) {
        psd.LayerInfo(group, info);
        path += info.title + "/";
    }
    psd.LayerInfo(shown, info);
    return path + info.title;
}

void SelectPsdLayers(sdk::graphic::ImageLoader& loader, PsdDocument& document)
{
    if (!option.psdToMng && !option.psdToPngLayers && !option.psdToApng)
        return;
    const int32_t count = loader.LayerCount();
    auto* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(&loader);
    const bool structure = psd != nullptr && SelectionNeedsGroups();
    std::vector<RecordPlace> places(structure ? static_cast<size_t>(count) : 0);
    std::vector<LayerVisibility> visibility;
    if (structure) {
        std::vector<int32_t> groups;
        Place(psd->LayerTree(), groups, places);
        visibility = LayerVisibilities(*psd);
    }

    for (int32_t i = 0; i < count; ++i) {
        PsdLayer layer;
        layer.index = i;
        loader.LayerInfo(i, layer.info);
        // As shown, a fill that stores no pixels covers what it is drawn over, and a layer's
        // effects what they reach.
        if (option.asShown && psd) {
            const sdk::graphic::PsdLayerArea area = sdk::render::LayerAreaWithEffects(*psd, i);
            if (!area.Empty() && area.Width() <= sdk::graphic::kMaxRowWidth) {
                layer.info.x = static_cast<int32_t>(area.left);
                layer.info.y = static_cast<int32_t>(area.top);
                layer.info.width = static_cast<int32_t>(area.Width());
                layer.info.height = static_cast<int32_t>(area.Height());
            }
        }
        const bool empty = layer.info.width < 1 || layer.info.height < 1;
        const RecordPlace* place = structure ? &places[static_cast<size_t>(i)] : nullptr;
        const PsdLayerProperties* properties =
            psd != nullptr ? &psd->LayerRecord(i).properties : nullptr;
        const bool hidden =
            structure && visibility[static_cast<size_t>(i)] != LayerVisibility::Visible;
        const bool left_out = (option.skipEmptyLayers && empty) || (option.skipHidden && hidden);
        layer.frame = option.psdToMng && !left_out;
        layer.png = option.psdToPngLayers && !left_out;
        // An APNG frame cannot be empty: layers without pixels are always left out.
        layer.apngFrame = option.psdToApng && !empty && !left_out;
        if (place != nullptr && option.groups != GroupLayout::Flat) {
            // The groups are folders or pictures now: their own records give no layer PNG, and
            // the layers of a group drawn as one picture give none either.
            if (properties->section != PsdLayerProperties::Section::None)
                layer.png = false;
            if (option.groups == GroupLayout::Images && !place->groups.empty())
                layer.png = false;
            if (option.groups == GroupLayout::Folders) {
                for (int32_t group : place->groups) {
                    ImageInfo info;
                    loader.LayerInfo(group, info);
                    layer.groups.push_back(info.title);
                }
            }
        }
        if (layer.frame || layer.png || layer.apngFrame)
            document.layers.push_back(layer);

        // An outermost group drawn as one picture, over the rectangle of its layers.
        const PsdLayerNode* node = place != nullptr ? place->node : nullptr;
        if (option.groups == GroupLayout::Images && option.psdToPngLayers && node != nullptr &&
            node->group && place->groups.empty() && !node->area.Empty() &&
            !(option.skipHidden && hidden)) {
            PsdLayer picture;
            picture.index = i;
            picture.info = layer.info;
            picture.png = true;
            picture.groupPicture = true;
            // A rectangle too large for these fields is refused when the picture is drawn.
            const int64_t most = INT32_MAX;
            const sdk::graphic::PsdLayerArea area = sdk::render::GroupAreaAsShown(*psd, i);
            picture.info.x = static_cast<int32_t>(area.left);
            picture.info.y = static_cast<int32_t>(area.top);
            picture.info.width = static_cast<int32_t>(std::min(area.Width(), most));
            picture.info.height = static_cast<int32_t>(std::min(area.Height(), most));
            document.layers.push_back(picture);
        }
    }
}
