// Test support for behaviour that only a fresh process shows (the diagnostic log is created once
// per process, a fault ends the process). Such tests run their statement in a death-test child
// that starts the test program anew; this folder is handed down to it through the environment,
// so parent and child work in the same place.
#pragma once

#include <memory>
#include <string>

#include "support/TempDir.h"

namespace test_support {

class ChildProcessFolder {
public:
    ChildProcessFolder();
    ~ChildProcessFolder();
    ChildProcessFolder(const ChildProcessFolder&) = delete;
    ChildProcessFolder& operator=(const ChildProcessFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const;

private:
    std::unique_ptr<TempDir> own_;  // only in the parent
    std::string path_;
};

// Runs the following death tests in a freshly started process on every platform.
void UseFreshProcessForDeathTests();

}  // namespace test_support
