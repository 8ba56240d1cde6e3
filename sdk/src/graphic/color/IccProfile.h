// An ICC colour profile as a document or a user hands it over: its bytes, checked before any
// colour engine sees them, and what a user is told of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sdk {
namespace graphic {

struct IccProfile {
    // The colour spaces a profile may describe the numbers of.
    enum class Space { Gray, Rgb, Cmyk, Lab, Other };

    std::vector<uint8_t> bytes;
    Space space = Space::Other;
    std::u16string description;  // the profile's own name for itself; may be empty
};

// The largest profile taken: real ones are a few kilobytes to a few megabytes.
const size_t kLargestIccProfile = 16 * 1024 * 1024;

// The profile of bytes, or null with the reason in problem: a header whose size is not the
// data's, a tag table or a tag that does not fit in it, a profile that is not a device,
// colour-space or display profile, or one that the colour engine cannot read.
std::shared_ptr<const IccProfile> ReadIccProfile(const uint8_t* data, size_t size,
                                                 std::string& problem);
inline std::shared_ptr<const IccProfile> ReadIccProfile(const std::vector<uint8_t>& bytes,
                                                        std::string& problem)
{
    return ReadIccProfile(bytes.data(), bytes.size(), problem);
}

// A profile file; null with the reason in problem when it cannot be read or is no profile.
std::shared_ptr<const IccProfile> ReadIccProfileFile(const std::string& path, std::string& problem);

}  // namespace graphic
}  // namespace sdk
