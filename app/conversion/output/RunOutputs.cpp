#include "conversion/output/RunOutputs.h"

#include "debug/Error.h"
#include "files/FileSystem.h"
#include "files/Path.h"

using sdk::files::PathIdentity;

RunOutputs::RunOutputs() : currentFolder_(sdk::files::CurrentFolder()) {}

void RunOutputs::Claim(const std::string& input, const std::string& output)
{
    const std::string input_identity = PathIdentity(input, currentFolder_);
    std::lock_guard<std::mutex> lock(mutex_);
    const auto claimed = inputOf_.emplace(PathIdentity(output, currentFolder_), input_identity);
    if (!claimed.second && claimed.first->second != input_identity)
        throw sdk::debug::runtime_error("RunOutputs::Claim:31");
}
