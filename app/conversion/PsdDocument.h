// What the PSD outputs of one input share: its names, the size and layout of its merged image,
// and the layers that its MNG and layer PNGs show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphic/ImageInfo.h"

struct PsdLayer {
    int32_t index;  // the layer's place in the document, counted from 0
    sdk::graphic::ImageInfo info;
};

struct PsdDocument {
    std::string inputPath;
    std::string base;  // output base
    // The merged image: width, height and bytes per pixel.
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;
    std::vector<PsdLayer> layers;  // the layers of the MNG and the layer PNGs, in index order
};
