// The outputs of one run, each with the input it belongs to, so that no input replaces a file
// that another input of the same run wrote. The workers of a run share one.
#pragma once

#include <map>
#include <mutex>
#include <string>

class RunOutputs {
public:
    // Paths are compared as the folder current now makes them absolute.
    RunOutputs();

    // Claims output for input. Raises "RunOutputs::Claim:31" when another input of the run
    // claimed the same file before; an input may claim its own outputs again.
    void Claim(const std::string& input, const std::string& output);

private:
    std::mutex mutex_;
    const std::string currentFolder_;
    std::map<std::string, std::string> inputOf_;  // output's identity -> input's identity
};
