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

// Converts files under the global options; prints status lines to out and, when progress is
// not null, a progress line to it.
BatchResult RunBatch(const std::vector<std::string>& files, int jobs, std::FILE* out,
                     std::FILE* progress);
