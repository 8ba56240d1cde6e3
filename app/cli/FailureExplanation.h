// What a file's failure means for the user of the command-line tool: one line in words, saying
// what happened and what to do, from the error's tag (or from what the file turned out to be
// when no error was raised).
#pragma once

#include <string>

#include "conversion/ConvertFile.h"

// How the run names what went wrong.
struct ExplanationSetting {
    bool windowTexts = false;       // the texts of the window's ways (--like-window)
    bool flatOutputFolder = false;  // -o puts every output into the one folder
};

// The explanation of failure for the input at path, in words (its tag is not part of it).
std::string ExplainFailure(const std::string& path, const ConversionFailure& failure,
                           const ExplanationSetting& setting);
