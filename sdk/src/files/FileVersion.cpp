#include "files/FileVersion.h"

#include <exception>

#include "debug/DebugLog.h"
#include "files/FileSystem.h"
#include "files/Format.h"

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

std::string FileVersion::Title() const
{
    return Format("%s Version %s(%s)", product_name_.c_str(), product_version_.c_str(),
                  file_version_.c_str());
}

}  // namespace files
}  // namespace sdk
