// The command line of quillconv-cli: every option maps onto a field of the run's options.
#pragma once

#include <string>
#include <vector>

#include "conversion/Option.h"

struct CliSettings {
    cOption options;
    std::vector<std::string> paths;
    int jobs = 0;  // 0: one per processor
    bool dryRun = false;
    // The window's ways: its reading, its status texts, its failures for layers without pixels,
    // its matte, its frame rate, one flat output folder. Otherwise the command line's defaults.
    bool likeWindow = false;
    bool flat = false;  // -o puts every output into the folder itself (with likeWindow too)
    bool json = false;  // JSON objects on standard output instead of the status lines
    // No progress line and no summary; with the command line's defaults no output lines either.
    bool quiet = false;
    bool verbose = false;  // the diagnostic records of failures on standard error too
    bool help = false;
    bool version = false;
    // For standard error: options given that have no effect with the conversions chosen.
    std::vector<std::string> notes;
};

// Fills settings from the arguments; false with a one-line reason on a usage error.
bool ParseArguments(const std::vector<std::string>& arguments, CliSettings& settings,
                    std::string& reason);

// The text that --help prints.
const char* HelpText();
