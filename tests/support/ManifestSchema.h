// Test support: a layer manifest checked against the published schema (docs/manifest.schema.json)
// by the schema checker the corpus checks use (Python's jsonschema). On platforms without it
// (the Windows build) nothing is checked.
#pragma once

#include <string>

namespace test_support {

// Expects the manifest at path to validate; the checker's complaints are the failure's message.
void ExpectManifestMatchesSchema(const std::string& path);

}  // namespace test_support
