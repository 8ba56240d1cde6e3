// Converts a list of files with several workers. Files that share an output base go to one
// worker in input order, so parallel and serial runs write the same files; each file's status
// lines are printed together, in input order.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct BatchResult {
    int converted = 0;
    int failed = 0;
};

// Converts files under the global options as one run: no file replaces an output that another
// file of the run wrote. Writes the status lines to out and, through the terminal, a line in
// words on standard error for each file that fails or gives nothing, and the progress line when
// it is enabled. On an interrupt, standard error is told how many files were done.
BatchResult RunBatch(const std::vector<std::string>& files, int jobs, std::FILE* out);
