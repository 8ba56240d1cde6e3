#include "files/FileVersion.h"

#include <exception>

#include "debug/DebugLog.h"
#include "files/FileSystem.h"

namespace sdk {
namespace files {

FileVersion::FileVersion(const std::string& path)
{
    try {
        Load(path.empty() ? GetModulePath() : path);
    } catch (const std::exception& error) {
        debug::LogError(error);
    }
}

}  // namespace files
}  // namespace sdk
