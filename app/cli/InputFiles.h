// The files a command line names, as a drop on the window would list them.
#pragma once

#include <string>
#include <vector>

#include "conversion/ListedFiles.h"

struct InputList {
    // In order: each named file, each folder's files; a file met again (named twice, or named and
    // found below a named folder) keeps only its first place.
    std::vector<std::string> files;
    // For the user: named paths that are missing or skipped, folders that could not be read,
    // links to folders that were not followed, files left out.
    std::vector<std::string> notes;
    bool missing = false;  // a named path is neither file nor folder
    int skipped = 0;       // files named or found that are left out
};

// Folders contribute every file below them whose extension is .bmp, .png or .psd (any case),
// and with the extended listing .psb, in the order the window lists a dropped folder. Files
// that are not regular files (pipes, devices) are left out with a note, as are .psb files
// without the extended listing.
InputList CollectInputs(const std::vector<std::string>& paths,
                        Listing listing = Listing::kStandard);
