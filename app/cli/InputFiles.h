// The files a command line names, as a drop on the window would list them.
#pragma once

#include <string>
#include <vector>

struct InputList {
    std::vector<std::string> files;    // in order: each named file, each folder's files
    std::vector<std::string> missing;  // named paths that are neither file nor folder
    std::vector<std::string> skipped;  // named files with another extension
};

// Folders contribute every file below them whose extension is .bmp, .png or .psd (any case),
// in the order the window lists a dropped folder.
InputList CollectInputs(const std::vector<std::string>& paths);

// True for the extensions the file list accepts.
bool HasListedExtension(const std::string& path);
