#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace test_support {

namespace {
const char kVariable[] = "QUILLMARK_TEST_CHILD_FOLDER";

void SetVariable(const std::string& value)
{
#if defined(_WIN32)
    _putenv_s(kVariable, value.c_str());
#else
    if (value.empty())
        unsetenv(kVariable);
    else
        setenv(kVariable, value.c_str(), 1);
#endif
}
}  // namespace

ChildProcessFolder::ChildProcessFolder()
{
    const char* inherited = std::getenv(kVariable);
    if (inherited != nullptr && *inherited != '\0') {
        path_ = inherited;
        return;
    }
    own_.reset(new TempDir);
    path_ = own_->Path();
    SetVariable(path_);
}

ChildProcessFolder::~ChildProcessFolder()
{
    if (own_)
        SetVariable(std::string());
}

std::string ChildProcessFolder::operator/(const std::string& name) const
{
    return path_ + "/" + name;
}

void UseFreshProcessForDeathTests() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

}  // namespace test_support
