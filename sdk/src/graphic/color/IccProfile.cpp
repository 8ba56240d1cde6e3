#include "graphic/color/IccProfile.h"

#include <cwchar>
#include <string>
#include <vector>

#include "files/FileSystem.h"
#include "graphic/color/LittleCms.h"
#include "stream/ByteOrder.h"
#include "stream/StreamFile.h"

namespace sdk {
namespace graphic {

namespace {

const size_t kHeaderSize = 128;

bool IsSignature(const uint8_t* p, const char* signature)
{
    return p[0] == static_cast<uint8_t>(signature[0]) &&
           p[1] == static_cast<uint8_t>(signature[1]) &&
           p[2] == static_cast<uint8_t>(signature[2]) && p[3] == static_cast<uint8_t>(signature[3]);
}

// The header and the tag table: the profile's own size, its signature, its class, and every tag
// within the profile. Empty when they fit.
std::string LayoutProblem(const uint8_t* data, size_t size)
{
    if (size < kHeaderSize + 4)
        return "it is too short to be one";
    const uint32_t claimed = stream::BigEndian32(data);
    if (claimed > size || claimed < kHeaderSize + 4)
        return "its header gives a size of " + std::to_string(claimed) + " bytes for " +
               std::to_string(size);
    if (!IsSignature(data + 36, "acsp"))
        return "it has no profile signature";
    const uint8_t* kind = data + 12;
    if (!IsSignature(kind, "scnr") && !IsSignature(kind, "mntr") && !IsSignature(kind, "prtr") &&
        !IsSignature(kind, "spac"))
        return "it is not a profile of a colour space or device";
    const uint64_t tags = stream::BigEndian32(data + kHeaderSize);
    if (tags > (claimed - kHeaderSize - 4) / 12)
        return "its tag table does not fit in it";
    for (uint64_t i = 0; i < tags; ++i) {
        const uint8_t* entry = data + kHeaderSize + 4 + 12 * i;
        const uint64_t offset = stream::BigEndian32(entry + 4);
        const uint64_t length = stream::BigEndian32(entry + 8);
        if (offset < kHeaderSize + 4 + 12 * tags || offset + length > claimed)
            return "a tag of it lies outside it";
    }
    return "";
}

IccProfile::Space SpaceOf(cmsColorSpaceSignature space)
{
    switch (space) {
        case cmsSigGrayData:
            return IccProfile::Space::Gray;
        case cmsSigRgbData:
            return IccProfile::Space::Rgb;
        case cmsSigCmykData:
            return IccProfile::Space::Cmyk;
        case cmsSigLabData:
            return IccProfile::Space::Lab;
        default:
            return IccProfile::Space::Other;
    }
}

// The profile's description in English where it has one; control characters are left out.
std::u16string Description(cmsHPROFILE profile)
{
    const cmsUInt32Number bytes =
        cmsGetProfileInfo(profile, cmsInfoDescription, "en", "US", nullptr, 0);
    if (bytes == 0 || bytes > 64 * 1024)
        return u"";
    std::vector<wchar_t> wide(bytes / sizeof(wchar_t) + 1, L'\0');
    cmsGetProfileInfo(profile, cmsInfoDescription, "en", "US", wide.data(), bytes);
    wide.back() = L'\0';
    std::u16string text;
    for (size_t i = 0; i < wide.size() && wide[i] != L'\0'; ++i) {
        const uint32_t code = static_cast<uint32_t>(wide[i]);
        if (code < 0x20 || code == 0x7F)
            continue;
        if (code < 0x10000) {
            text += static_cast<char16_t>(code);
        } else if (code <= 0x10FFFF) {
            text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    const size_t end = text.find_last_not_of(u' ');
    return end == std::u16string::npos ? u"" : text.substr(0, end + 1);
}

}  // namespace

std::shared_ptr<const IccProfile> ReadIccProfile(const uint8_t* data, size_t size,
                                                 std::string& problem)
{
    if (size > kLargestIccProfile) {
        problem = "it is larger than " + std::to_string(kLargestIccProfile >> 20) + " MB";
        return nullptr;
    }
    problem = LayoutProblem(data, size);
    if (!problem.empty())
        return nullptr;
    const uint32_t claimed = stream::BigEndian32(data);
    ProfileHandle handle(cmsOpenProfileFromMemTHR(ColorContext(), data, claimed));
    if (!handle) {
        problem = "the colour engine cannot read it";
        return nullptr;
    }
    std::shared_ptr<IccProfile> profile = std::make_shared<IccProfile>();
    profile->bytes.assign(data, data + claimed);
    profile->space = SpaceOf(cmsGetColorSpace(handle.get()));
    profile->description = Description(handle.get());
    if (profile->space == IccProfile::Space::Other) {
        problem = "it describes a colour space other than gray, RGB, CMYK or Lab";
        return nullptr;
    }
    return profile;
}

std::shared_ptr<const IccProfile> ReadIccProfileFile(const std::string& path, std::string& problem)
{
    // Asked first, so that a name that is no file is not logged as a failure of the system.
    if (!files::IsRegularFile(path)) {
        problem = "there is no such file";
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    try {
        stream::file_in file(path);
        file.OpenRead();
        const int32_t size = file.GetSize();
        if (size < 0 || static_cast<size_t>(size) > kLargestIccProfile) {
            problem = "it is larger than " + std::to_string(kLargestIccProfile >> 20) + " MB";
            return nullptr;
        }
        bytes.resize(static_cast<size_t>(size));
        if (size > 0)
            file.Read(bytes.data(), static_cast<uint32_t>(size));
    } catch (...) {
        problem = "it cannot be read";
        return nullptr;
    }
    return ReadIccProfile(bytes, problem);
}

}  // namespace graphic
}  // namespace sdk
