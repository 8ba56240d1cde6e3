// The files a command line names, as a drop on the window would list them.
#pragma once

#include <string>
#include <vector>

#include "conversion/ListedFiles.h"

// A file to convert, and where it lies below the folder the command line named.
struct InputFile {
    std::string path;
    // The folders between the named folder and the file ("chars/heroes" for
    // art/chars/heroes/a.psd when art was named); empty for a file named itself.
    std::string subfolder;
};

// A file named or found that is left out, and why, in words ("not a regular file ...").
struct SkippedInput {
    std::string path;
    std::string why;
};

struct InputList {
    // In order: each named file, each folder's files; a file met again (named twice, or named and
    // found below a named folder) keeps only its first place.
    std::vector<InputFile> files;
    // For the user: named paths that are missing or skipped, folders that could not be read,
    // links to folders that were not followed, files left out.
    std::vector<std::string> notes;
    std::vector<SkippedInput> skipped;  // files named or found that are left out
    std::vector<std::string> missing;   // named paths that are neither file nor folder
    bool folderNamed = false;           // a named path is a folder
};

// Folders contribute every file below them whose extension is .bmp, .png or .psd (any case),
// and with the extended listing .psb, in the order the window lists a dropped folder. Files
// that are not regular files (pipes, devices) are left out with a note, as are .psb files
// without the extended listing.
InputList CollectInputs(const std::vector<std::string>& paths,
                        Listing listing = Listing::kStandard);
