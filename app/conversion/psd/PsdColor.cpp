#include "conversion/psd/PsdColor.h"

#include <cstring>

#include "graphic/psd/ImageLoaderPSD.h"

using sdk::graphic::ColorLayout;
using sdk::graphic::IccProfile;
using sdk::graphic::PngColorTag;
using sdk::graphic::PsdFormat;

namespace {

// Numbers that lie this close to sRGB's (in 8-bit levels) are sRGB's.
const int32_t kSrgbAlready = 2;

// A profile's name as PNG takes it: printable ASCII, single spaces, at most 79 bytes.
std::string PngProfileName(const std::u16string& description)
{
    std::string name;
    for (char16_t wide : description) {
        if (wide < 0x20 || wide > 0x7E)
            continue;
        const char c = static_cast<char>(wide);
        if (c == ' ' && (name.empty() || name.back() == ' '))
            continue;
        name += c;
    }
    if (name.size() > 79)
        name.resize(79);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name.empty() ? "ICC profile" : name;
}

PngColorTag SrgbTag()
{
    PngColorTag tag;
    tag.kind = PngColorTag::Kind::Srgb;
    return tag;
}

// The embedded profile when it is sound and describes the document's colours (space), else null
// with a note.
std::shared_ptr<const IccProfile> EmbeddedProfile(sdk::graphic::ImageLoaderPSD& psd,
                                                  IccProfile::Space space,
                                                  std::vector<std::string>& notes)
{
    const char kLeftAside[] = "the document's colour profile is left aside: ";
    if (psd.IccProfileTooLarge()) {
        notes.push_back(kLeftAside + std::string("it is larger than ") +
                        std::to_string(sdk::graphic::kLargestIccProfile >> 20) + " MB");
        return nullptr;
    }
    if (psd.IccProfileBytes().empty() || psd.ColorsUntagged())
        return nullptr;
    std::string problem;
    std::shared_ptr<const IccProfile> profile =
        sdk::graphic::ReadIccProfile(psd.IccProfileBytes(), problem);
    if (!profile) {
        notes.push_back(std::string(kLeftAside) + problem);
        return nullptr;
    }
    if (profile->space != space) {
        notes.push_back(kLeftAside +
                        std::string("it is not a profile of the document's colour mode"));
        return nullptr;
    }
    return profile;
}

// Gray and colour documents: converted at the end, or carried.
void PlanNumbers(PsdColor& color, const IccProfile& profile, bool gray, ColorChoice asked,
                 bool sixteen, std::vector<std::string>& notes)
{
    auto close = [](int32_t distance) { return distance >= 0 && distance <= kSrgbAlready; };
    const int32_t distance = sdk::graphic::DistanceFromSrgb(profile);
    if (asked == ColorChoice::Auto) {
        // Gray of gamma 2.2 passes for sRGB's too: viewers take it so.
        const bool srgbAlready =
            close(distance) || (gray && close(sdk::graphic::DistanceFromGamma22(profile)));
        asked = srgbAlready ? ColorChoice::None : ColorChoice::Srgb;
    }
    if (asked == ColorChoice::None)
        return;
    if (asked == ColorChoice::Keep) {
        color.mode = "keep";
        color.tag.kind = PngColorTag::Kind::Icc;
        color.tag.name = PngProfileName(profile.description);
        color.tag.profile = profile.bytes;
        return;
    }
    color.mode = "srgb";
    color.tag = SrgbTag();
    if (close(distance))
        return;  // sRGB's numbers already: nothing to convert
    std::string problem;
    const ColorLayout opaque = gray ? ColorLayout::Gray : ColorLayout::Bgr;
    const ColorLayout withAlpha = gray ? ColorLayout::AlphaGray : ColorLayout::AlphaBgr;
    color.opaque = sdk::graphic::TransformToSrgb(profile, opaque, opaque, problem);
    if (color.opaque)
        color.withAlpha = sdk::graphic::TransformToSrgb(profile, withAlpha, withAlpha, problem);
    if (color.withAlpha && sixteen) {
        color.opaque16 = sdk::graphic::TransformToSrgb(profile, opaque, opaque, problem, 2);
        if (color.opaque16)
            color.withAlpha16 =
                sdk::graphic::TransformToSrgb(profile, withAlpha, withAlpha, problem, 2);
    }
    if (!color.opaque || !color.withAlpha || (sixteen && !color.withAlpha16)) {
        notes.push_back("the document's colour profile is left aside: " + problem);
        color = PsdColor();
    }
}

}  // namespace

void PsdColor::Convert(const uint8_t* row, uint8_t* out, int32_t channels, int32_t width,
                       int32_t sampleBytes) const
{
    const bool alpha = channels % 2 == 0;
    const sdk::graphic::ColorTransform* transform = sampleBytes == 2
                                                        ? (alpha ? withAlpha16 : opaque16).get()
                                                        : (alpha ? withAlpha : opaque).get();
    if (transform != nullptr)
        transform->Convert(row, out, width);
    else if (row != out)
        std::memcpy(out, row, static_cast<size_t>(width) * channels * sampleBytes);
}

PsdColor PlanPsdColor(sdk::graphic::ImageLoaderPSD& psd, ColorChoice asked,
                      const std::shared_ptr<const IccProfile>& cmykProfile,
                      std::vector<std::string>& notes, bool sixteen)
{
    PsdColor color;
    psd.SetInkConversion(nullptr);
    const PsdFormat& format = psd.Format();
    switch (format.colorMode) {
        case PsdFormat::kLab:
            // Made sRGB by the CIE formulas as it is decoded.
            if (asked != ColorChoice::None) {
                color.mode = "srgb";
                color.tag = SrgbTag();
            }
            return color;
        case PsdFormat::kCmyk: {
            std::shared_ptr<const IccProfile> profile =
                EmbeddedProfile(psd, IccProfile::Space::Cmyk, notes);
            if (profile) {
                color.profile = profile->description;
                color.hasProfile = true;
            }
            if (asked == ColorChoice::None)
                return color;
            if (!profile)
                profile = cmykProfile;
            if (!profile) {
                notes.push_back(
                    "the CMYK document has no colour profile: its ink is made colour by "
                    "the simple formula (--cmyk-profile names a profile for such "
                    "documents)");
                return color;
            }
            std::string problem;
            std::shared_ptr<const sdk::graphic::ColorTransform> ink = sdk::graphic::TransformToSrgb(
                *profile, ColorLayout::Ink, ColorLayout::Bgr, problem);
            std::shared_ptr<const sdk::graphic::ColorTransform> ink16;
            if (ink && sixteen)
                ink16 = sdk::graphic::TransformToSrgb(*profile, ColorLayout::Ink, ColorLayout::Bgr,
                                                      problem, 2);
            if (!ink || (sixteen && !ink16)) {
                notes.push_back("the CMYK profile is left aside: " + problem);
                return color;
            }
            psd.SetInkConversion(ink, ink16);
            color.mode = "srgb";
            color.tag = SrgbTag();
            return color;
        }
        case PsdFormat::kGrayscale:
        case PsdFormat::kRgb:
        case PsdFormat::kIndexed: {
            const bool gray = format.colorMode == PsdFormat::kGrayscale;
            std::shared_ptr<const IccProfile> profile = EmbeddedProfile(
                psd, gray ? IccProfile::Space::Gray : IccProfile::Space::Rgb, notes);
            if (!profile) {
                // Untagged numbers are taken for sRGB's, as every viewer takes them.
                if (asked == ColorChoice::Srgb) {
                    color.mode = "srgb";
                    color.tag = SrgbTag();
                }
                return color;
            }
            color.profile = profile->description;
            color.hasProfile = true;
            if (format.depth == 32) {
                // Linear numbers, given sRGB's curve as they were made 8-bit.
                std::string problem;
                profile = sdk::graphic::WithSrgbCurves(*profile, problem);
                if (!profile) {
                    if (asked != ColorChoice::None && asked != ColorChoice::Auto)
                        notes.push_back("the document's colour profile is left aside: " + problem);
                    return color;
                }
            }
            const std::u16string description = color.profile;
            PlanNumbers(color, *profile, gray, asked, sixteen, notes);
            color.profile = description;
            color.hasProfile = true;
            return color;
        }
        default:
            // Bitmap, multichannel and duotone: their gray has no profile that PNG could use.
            return color;
    }
}
