#include "graphic/color/ColorTransform.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <vector>

#include "graphic/color/ColorTables.h"
#include "graphic/color/LittleCms.h"

namespace sdk {
namespace graphic {

namespace {

// Transforms kept for later documents: a run's documents rarely bring more profiles than this.
const size_t kTransformsKept = 8;

cmsUInt32Number EngineFormat(ColorLayout layout, int32_t sampleBytes)
{
    const cmsUInt32Number bytes = BYTES_SH(static_cast<cmsUInt32Number>(sampleBytes));
    switch (layout) {
        case ColorLayout::Gray:
            return COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | bytes;
        case ColorLayout::AlphaGray:
            return COLORSPACE_SH(PT_GRAY) | EXTRA_SH(1) | CHANNELS_SH(1) | bytes | SWAPFIRST_SH(1);
        case ColorLayout::Bgr:
            return COLORSPACE_SH(PT_RGB) | CHANNELS_SH(3) | bytes | DOSWAP_SH(1);
        case ColorLayout::AlphaBgr:
            return COLORSPACE_SH(PT_RGB) | EXTRA_SH(1) | CHANNELS_SH(3) | bytes | DOSWAP_SH(1);
        case ColorLayout::Ink:
            return COLORSPACE_SH(PT_CMYK) | CHANNELS_SH(4) | bytes | FLAVOR_SH(1);
    }
    return 0;
}


IccProfile::Space SpaceOf(ColorLayout layout)
{
    return IsGray(layout)               ? IccProfile::Space::Gray
           : layout == ColorLayout::Ink ? IccProfile::Space::Cmyk
                                        : IccProfile::Space::Rgb;
}

// sRGB's tone curve: the parametric curve of type 4.
cmsToneCurve* SrgbCurve()
{
    const cmsFloat64Number parameters[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(ColorContext(), 4, parameters);
}

// Gray of a tone curve (sRGB's, or the gamma given), white D50.
ProfileHandle GrayProfile(double gamma)
{
    cmsToneCurve* curve = gamma > 0 ? cmsBuildGamma(ColorContext(), gamma) : SrgbCurve();
    if (curve == nullptr)
        return nullptr;
    ProfileHandle profile(cmsCreateGrayProfileTHR(ColorContext(), cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return profile;
}

ProfileHandle SrgbProfile(ColorLayout layout)
{
    if (IsGray(layout))
        return GrayProfile(0);
    return ProfileHandle(cmsCreate_sRGBProfileTHR(ColorContext()));
}

ProfileHandle Open(const IccProfile& profile)
{
    return ProfileHandle(cmsOpenProfileFromMemTHR(
        ColorContext(), profile.bytes.data(), static_cast<cmsUInt32Number>(profile.bytes.size())));
}

TransformHandle Join(cmsHPROFILE from, ColorLayout in, cmsHPROFILE to, ColorLayout out,
                     int32_t sampleBytes = 1)
{
    cmsUInt32Number flags = cmsFLAGS_BLACKPOINTCOMPENSATION;
    if (HasAlpha(in) && HasAlpha(out))
        flags |= cmsFLAGS_COPY_ALPHA;
    return TransformHandle(
        cmsCreateTransformTHR(ColorContext(), from, EngineFormat(in, sampleBytes), to,
                              EngineFormat(out, sampleBytes), INTENT_RELATIVE_COLORIMETRIC, flags));
}

// The largest difference between the numbers in and what the transform from the profile to the
// reference makes of them, over every gray or a grid of colours.
int32_t Distance(const IccProfile& profile, cmsHPROFILE reference)
{
    const bool gray = profile.space == IccProfile::Space::Gray;
    if (!gray && profile.space != IccProfile::Space::Rgb)
        return -1;
    const ColorLayout layout = gray ? ColorLayout::Gray : ColorLayout::Bgr;
    ProfileHandle from = Open(profile);
    if (!from || !reference)
        return -1;
    TransformHandle transform = Join(from.get(), layout, reference, layout);
    if (!transform)
        return -1;
    std::vector<uint8_t> in;
    if (gray) {
        for (int32_t v = 0; v < 256; ++v)
            in.push_back(static_cast<uint8_t>(v));
    } else {
        for (int32_t b = 0; b < 256; b += 15)
            for (int32_t g = 0; g < 256; g += 15)
                for (int32_t r = 0; r < 256; r += 15)
                    in.insert(in.end(), {static_cast<uint8_t>(b), static_cast<uint8_t>(g),
                                         static_cast<uint8_t>(r)});
    }
    std::vector<uint8_t> out(in.size());
    const int32_t pixels = static_cast<int32_t>(in.size() / (gray ? 1 : 3));
    cmsDoTransform(transform.get(), in.data(), out.data(), static_cast<cmsUInt32Number>(pixels));
    int32_t most = 0;
    for (size_t i = 0; i < in.size(); ++i)
        most = std::max(most, std::abs(static_cast<int32_t>(in[i]) - out[i]));
    return most;
}

struct Kept {
    std::vector<uint8_t> profile;
    ColorLayout in, out;
    int32_t sampleBytes;
    std::shared_ptr<const ColorTransform> transform;
};

std::mutex keptLock;
std::deque<Kept> kept;  // the most recently used first

}  // namespace

bool IsGray(ColorLayout layout)
{
    return layout == ColorLayout::Gray || layout == ColorLayout::AlphaGray;
}

bool HasAlpha(ColorLayout layout)
{
    return layout == ColorLayout::AlphaGray || layout == ColorLayout::AlphaBgr;
}

int32_t SamplesPerPixel(ColorLayout layout)
{
    switch (layout) {
        case ColorLayout::Gray:
            return 1;
        case ColorLayout::AlphaGray:
            return 2;
        case ColorLayout::Bgr:
            return 3;
        case ColorLayout::AlphaBgr:
        case ColorLayout::Ink:
            return 4;
    }
    return 0;
}

ColorTransform::ColorTransform(void* handle, ColorLayout in, ColorLayout out)
    : handle_(handle), in_(in), out_(out)
{
}

ColorTransform::~ColorTransform()
{
    cmsDeleteTransform(handle_);
}

void ColorTransform::Convert(const uint8_t* in, uint8_t* out, int32_t pixels) const
{
    if (pixels <= 0)
        return;
    if (tables_)
        tables_->Convert(in, out, pixels);
    else
        cmsDoTransform(handle_, in, out, static_cast<cmsUInt32Number>(pixels));
}

std::shared_ptr<const ColorTransform> TransformToSrgb(const IccProfile& profile, ColorLayout in,
                                                      ColorLayout out, std::string& problem,
                                                      int32_t sampleBytes)
{
    if (sampleBytes != 1 && sampleBytes != 2) {
        problem = "samples are of 8 or 16 bits";
        return nullptr;
    }
    if (profile.space != SpaceOf(in) || (IsGray(out) && !IsGray(in))) {
        problem = "its colours are not those of the document";
        return nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(keptLock);
        for (auto entry = kept.begin(); entry != kept.end(); ++entry) {
            if (entry->in == in && entry->out == out && entry->sampleBytes == sampleBytes &&
                entry->profile == profile.bytes) {
                Kept found = *entry;
                kept.erase(entry);
                kept.push_front(found);
                return found.transform;
            }
        }
    }
    ProfileHandle from = Open(profile);
    ProfileHandle to = SrgbProfile(out);
    TransformHandle handle =
        from && to ? Join(from.get(), in, to.get(), out, sampleBytes) : nullptr;
    if (!handle) {
        problem = "the colour engine cannot convert its colours to sRGB";
        return nullptr;
    }
    std::shared_ptr<ColorTransform> transform(new ColorTransform(handle.release(), in, out));
    if (sampleBytes == 1)
        transform->tables_ = ColorTables::For(profile, transform->handle_, in, out);
    std::lock_guard<std::mutex> lock(keptLock);
    kept.push_front(Kept{profile.bytes, in, out, sampleBytes, transform});
    if (kept.size() > kTransformsKept)
        kept.pop_back();
    return transform;
}

int32_t DistanceFromSrgb(const IccProfile& profile)
{
    const ProfileHandle srgb = SrgbProfile(
        profile.space == IccProfile::Space::Gray ? ColorLayout::Gray : ColorLayout::Bgr);
    return Distance(profile, srgb.get());
}

int32_t DistanceFromGamma22(const IccProfile& profile)
{
    if (profile.space != IccProfile::Space::Gray)
        return -1;
    const ProfileHandle gamma = GrayProfile(2.2);
    return Distance(profile, gamma.get());
}

std::shared_ptr<const IccProfile> WithSrgbCurves(const IccProfile& profile, std::string& problem)
{
    ProfileHandle source = Open(profile);
    ProfileHandle made;
    if (source && profile.space == IccProfile::Space::Gray) {
        made = GrayProfile(0);
    } else if (source && profile.space == IccProfile::Space::Rgb) {
        const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                         cmsSigBlueColorantTag};
        cmsCIExyYTRIPLE primaries;
        cmsCIExyY* xyY[3] = {&primaries.Red, &primaries.Green, &primaries.Blue};
        bool found = true;
        for (int i = 0; i < 3 && found; ++i) {
            const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(source.get(), tags[i]));
            found = xyz != nullptr && xyz->X + xyz->Y + xyz->Z > 0;
            if (found)
                cmsXYZ2xyY(xyY[i], xyz);
        }
        cmsToneCurve* curve = found ? SrgbCurve() : nullptr;
        if (curve != nullptr) {
            cmsToneCurve* curves[3] = {curve, curve, curve};
            made.reset(cmsCreateRGBProfileTHR(ColorContext(), cmsD50_xyY(), &primaries, curves));
            cmsFreeToneCurve(curve);
        }
    }
    cmsUInt32Number size = 0;
    if (!made || !cmsSaveProfileToMem(made.get(), nullptr, &size) || size == 0) {
        problem = "its colours cannot be given sRGB's tone curve";
        return nullptr;
    }
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(made.get(), bytes.data(), &size);
    std::shared_ptr<const IccProfile> result = ReadIccProfile(bytes, problem);
    if (!result)
        return nullptr;
    std::shared_ptr<IccProfile> named = std::make_shared<IccProfile>(*result);
    named->description = profile.description;
    return named;
}

}  // namespace graphic
}  // namespace sdk
