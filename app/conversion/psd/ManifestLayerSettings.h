// What the manifest says about how a layer changes or paints what it covers, beyond its pixels,
// each as the renderer reads it (so the manifest says what is drawn):
//
// - "adjustment", for an adjustment layer: its kind ("levels", "curves", ...) and the kind's
//   settings;
// - "fill", for a layer filled from its settings: a colour, a gradient or a pattern;
// - "effectsEnabled" and "effects", for a layer (or group) with layer effects: the effects'
//   master switch, and each effect with its kind, whether it is enabled, its blend mode,
//   opacity and main settings, in the order the document lists them.
//
// Percentages the editor shows as such (an effect's opacity, a gradient's scale and stop
// locations, ...) are written in percent; colours as [red, green, blue] in 0 .. 255; lengths in
// document pixels; angles in degrees counter-clockwise from the right.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/output/JsonText.h"
#include "graphic/psd/ImageLoaderPSD.h"

// Writes the members above that layer (or group) record index has into the node object open in
// json. Settings that cannot be read (a damaged block, or effects only the older "lrFX" block
// keeps) are written null and their keys added to unread; they never raise.
void WriteLayerSettings(JsonText& json, sdk::graphic::ImageLoaderPSD& psd, int32_t index,
                        std::vector<std::string>& unread);
