// Converts a list of files with several workers. Files that share an output base go to one
// worker in input order, so parallel and serial runs write the same files; each file's outcome
// goes to the run's log together, in input order.
#pragma once

#include <vector>

#include "cli/FailureExplanation.h"
#include "cli/InputFiles.h"
#include "cli/RunLog.h"

struct BatchSetting {
    int jobs = 1;
    // Each file's outputs go below the output folder as the file lies below the folder named
    // (InputFile::subfolder); otherwise all into the output folder itself.
    bool keepSubfolders = false;
    // A file whose output names an earlier file of the run takes (a.psb after a.psd in one
    // folder) gets names of its own, its extension added (a_psb.png); otherwise the two are
    // converted one after the other and the later one fails rather than replace an output.
    bool ownNames = false;
    // A failure names its layer by its name after its groups ("Group/layer"), not by its record.
    bool layerPaths = false;
    ExplanationSetting explanation;
};

// Converts files under the global options as one run: no file replaces an output that another
// file of the run wrote. Hands each file's outcome to log, and draws the progress line when it
// is enabled. On an interrupt, standard error is told how many files were done.
void RunBatch(const std::vector<InputFile>& files, const BatchSetting& setting, RunLog& log);
