// PSD to PNG: the merged image, and one PNG per layer. The PNGs are made while the document's
// images are decoded (StagedOutput) and written here at their turn, each after its status line.
#pragma once

#include <string>
#include <vector>

#include "conversion/ConvertContext.h"
#include "conversion/output/StagedOutput.h"
#include "conversion/psd/PsdDocument.h"

// Writes the merged image's PNG at its turn.
void CommitMergedPng(ConvertContext& context, const PsdDocument& document, StagedOutput& png);
// Names the PNG of every picture of the document that has one (PsdLayer::output): below the
// output base, by the naming scheme, after the groups that hold it. A file name longer than the
// file system takes is cut at a character to fit with its ending; a name taken already is
// numbered.
void NameLayerPngs(PsdDocument& document);
// Writes the layers' PNGs at their turn, in layer order: pngs[i] is document.layers[i]'s.
void CommitLayerPngs(ConvertContext& context, const PsdDocument& document,
                     const std::vector<StagedOutput*>& pngs);

// A layer name made safe to join below the output base: it may add folder levels below the
// base, but never reach outside it. Separators ("\" and "/") split the name into parts; empty
// parts are dropped (no root, no doubled separator), ":" and control characters (tab, line
// breaks) become "_" (no drive, no stream, one line per name in a listing), a part made only of
// dots ("." or "..") has its dots turned into "_", a part that Windows takes for a device ("con",
// "NUL.x", "com1") gets a "_" in front, and a part longer than a file name may be is cut at a
// character, on every platform alike. The parts are joined with the platform's separator.
std::string SafeLayerName(const std::string& name);

// path + ending with its last name cut, where it is too long, to fit with the ending in a name
// and, where the system bounds paths, in a path. A folder that leaves no room for the name is
// left to fail as it does.
std::string FitLastName(const std::string& path, const std::string& ending);

// The file name part of a layer's PNG: separator, then the name or the serial number, ".png".
std::string LayerFileName(char separator, bool serial, int32_t index, const std::string& title);
// What the groups holding a layer (outermost first) put before its file name part: for each,
// the separator and its safe name ("_" for a name that leaves nothing): "\Group\Sub" as
// folders, "_Group_Sub" joined into the file name.
std::string GroupPathPart(char separator, const std::vector<std::string>& groups);
