// What the PSD outputs of one input share: its names, its merged image and its loaded layers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphic/Image.h"
#include "graphic/ImageInfo.h"

struct PsdLayer {
    int32_t index;  // the layer's place in the document, counted from 0
    sdk::graphic::Image image;
    sdk::graphic::ImageInfo info;
};

struct PsdDocument {
    std::string inputPath;
    std::string base;  // output base
    sdk::graphic::Image merged;
    std::vector<PsdLayer> layers;  // loaded layers in index order
};
