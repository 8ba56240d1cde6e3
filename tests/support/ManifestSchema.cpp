#include "support/ManifestSchema.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/TempDir.h"

namespace test_support {

void ExpectManifestMatchesSchema(const std::string& path)
{
#ifdef QUILLMARK_MANIFEST_SCHEMA_CHECK
    TempDir capture;
    const std::string command = std::string(QUILLMARK_MANIFEST_SCHEMA_CHECK) + " '" + path +
                                "' >'" + (capture / "out") + "' 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_EQ(0, status) << ReadWholeFile(capture / "out");
#else
    (void)path;
#endif
}

}  // namespace test_support
