// The product name, product version and file version of an executable. A failure to read them
// never stops the program: the texts then stay empty and the failure is logged.
#pragma once

#include <string>

namespace sdk {
namespace files {

class FileVersion {
public:
    // An empty path means the program's own executable. Reads at once; a failure is written to
    // the diagnostic log and leaves all three texts empty.
    explicit FileVersion(const std::string& path = std::string());

    // Reads the three texts; raises when the file has no usable version information.
    void Load(const std::string& path);

    const std::string& ProductName() const { return product_name_; }
    const std::string& ProductVersion() const { return product_version_; }
    const std::string& FileVersionText() const { return file_version_; }

    // The program's title: "<product> Version <product version>(<file version>)".
    std::string Title() const;

private:
    std::string product_name_;
    std::string product_version_;
    std::string file_version_;
};

}  // namespace files
}  // namespace sdk
