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
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Fills settings from the arguments; false with a one-line reason on a usage error.
bool ParseArguments(const std::vector<std::string>& arguments, CliSettings& settings,
                    std::string& reason);

// The text that --help prints.
const char* HelpText();
