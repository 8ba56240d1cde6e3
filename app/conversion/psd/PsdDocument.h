// What the PSD outputs of one input share: its names, the size and layout of its merged image,
// and the pictures that its MNG and layer PNGs show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "conversion/psd/PsdColor.h"
#include "graphic/ImageInfo.h"

// One picture of the document decoded for its outputs: a layer record's pixels (its MNG frame,
// its APNG frame, its PNG, or any of them together), or a group drawn as one picture (a PNG
// only).
struct PsdLayer {
    int32_t index = 0;  // the record's place in the document, counted from 0
    sdk::graphic::ImageInfo info;      // for a group picture: the group's name and rectangle
    bool frame = false;            // a frame of the MNG
    bool apngFrame = false;        // a frame of the APNG
    bool png = false;              // a layer PNG
    bool groupPicture = false;     // the group whose folder record is index, drawn
    // The names of the groups that hold the layer, outermost first, when its PNG goes below
    // them; otherwise empty.
    std::vector<std::string> groups;
    std::string output;  // the PNG's path
};

// One embedded file of the document written as it is stored (--smart-objects).
struct PsdSmartObject {
    size_t file = 0;     // its record among the reader's LinkedFiles
    std::string output;  // its path
};

struct PsdDocument {
    std::string inputPath;
    std::string base;  // output base
    // The merged image: width, height and bytes per pixel.
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;
    // What its colours become in the outputs.
    PsdColor color;
    // The merged image, the layer PNGs and the group pictures have 16-bit samples.
    bool sixteen = false;
    // The layer comp the layers are shown in: its place in the document's list of comps; -1 when
    // none is applied.
    int32_t comp = -1;
    // The pictures of the animations and the layer PNGs, in record order (a group's picture
    // after its folder record's own pixels).
    std::vector<PsdLayer> layers;
    // The embedded files written, each once, in the order of their records; and the path
    // written for each linked file's unique id, which the manifest's placed layers refer to.
    std::vector<PsdSmartObject> smartObjects;
    std::map<std::string, std::string> smartObjectFiles;

    int32_t Frames() const { return Count(&PsdLayer::frame); }
    int32_t Pngs() const { return Count(&PsdLayer::png); }
    int32_t ApngFrames() const { return Count(&PsdLayer::apngFrame); }

private:
    int32_t Count(bool PsdLayer::*member) const
    {
        int32_t count = 0;
        for (const PsdLayer& layer : layers)
            count += layer.*member ? 1 : 0;
        return count;
    }
};
