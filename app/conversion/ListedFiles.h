// The files the programs take: the extensions of the file list, and what a dropped or named path
// adds to it. The window's drops and the command line's paths both go through here.
#pragma once

#include <string>
#include <vector>

#include "files/FileSystem.h"

// The inputs the list takes, by extension (any case).
enum class InputKind { kNone, kPsd, kPng, kBmp };

// Which extensions are listed: the window's .bmp, .png and .psd, or with the command-line tool's
// extended reading also .psb, the large document format, taken as a PSD.
enum class Listing { kStandard, kExtended };

// The kind that path's extension names; kNone for an extension the list does not take.
InputKind InputKindOf(const std::string& path, Listing listing = Listing::kStandard);

// True for the extensions the file list takes.
bool HasListedExtension(const std::string& path, Listing listing = Listing::kStandard);

// What a path named as an input is.
enum class NamedPath { kFolder, kFile, kMissing };

// Appends to files what path adds to the list: for a folder, every file below it with a listed
// extension, in the order the listing gives them (folders that cannot be read, and links to
// folders, are added to problems when it is not null); for a file, the file itself when its
// extension is listed; for anything else, nothing.
NamedPath ExpandNamedPath(const std::string& path, std::vector<std::string>& files,
                          std::vector<sdk::files::ListingProblem>* problems = nullptr,
                          Listing listing = Listing::kStandard);
