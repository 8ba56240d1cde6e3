// PSD to PNG: the merged image, and one PNG per layer.
#pragma once

#include <string>

#include "conversion/ConvertContext.h"
#include "conversion/PsdDocument.h"

void SaveMergedPng(ConvertContext& context, const PsdDocument& document);
void SaveLayerPngs(ConvertContext& context, const PsdDocument& document);

// A layer name made safe to join below the output base: it may add folder levels below the
// base, but never reach outside it. Separators ("\" and "/") split the name into parts; empty
// parts are dropped (no root, no doubled separator), ":" becomes "_" (no drive, no stream), and
// a part made only of dots ("." or "..") has its dots turned into "_". The parts are joined
// with the platform's separator.
std::string SafeLayerName(const std::string& name);

// The file name part of a layer's PNG: separator, then the name or the serial number, ".png".
std::string LayerFileName(char separator, bool serial, int32_t index, const std::string& title);
