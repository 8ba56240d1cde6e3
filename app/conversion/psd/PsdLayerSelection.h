// Which pictures of a PSD document its MNG frames and layer PNGs show: every layer record, or
// those with pixels when empty ones are skipped (its APNG frames: always only those); without hidden layers and the layers of hidden
// groups when those are skipped; and, as the options lay the layer PNGs out along the groups,
// with the names of the groups that hold each layer or with each outermost group drawn as one
// picture in place of its layers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/psd/PsdDocument.h"
#include "graphic/ImageLoader.h"
#include "graphic/psd/ImageLoaderPSD.h"

enum class LayerVisibility { Visible, Hidden, InHiddenGroup };

// Whether each record is shown: hidden by its own flag, or visible itself but inside a hidden
// group. Raises what the reader's layer tree raises.
std::vector<LayerVisibility> LayerVisibilities(sdk::graphic::ImageLoaderPSD& psd);

// The record's name after the names of the groups that hold it, outermost first, joined by "/"
// as the editor's layer panel nests them ("Group/Sub/name"). A group's end, which the panel does
// not show, is named by its group. Just the record's name when the groups cannot be told.
std::string LayerPathShown(sdk::graphic::ImageLoaderPSD& psd, int32_t record);

// Fills document.layers (the output names are left to the PNG conversion). Raises what the
// reader's layer tree raises when the options need the groups.
void SelectPsdLayers(sdk::graphic::ImageLoader& loader, PsdDocument& document);
