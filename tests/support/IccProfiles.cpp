#include "support/IccProfiles.h"

#include <lcms2.h>

#include <algorithm>
#include <string>

namespace test_support {

namespace {

Bytes Saved(cmsHPROFILE profile, const char* description)
{
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", description);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    Bytes bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    // The header's creation time (bytes 24 to 35) made 2000-01-01 00:00:00, so that a profile
    // made twice is the same bytes.
    const uint8_t created[12] = {0x07, 0xD0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
    std::copy(created, created + 12, bytes.begin() + 24);
    return bytes;
}

// The ink profile's table: device CMYK (0 no ink) to Lab through sRGB.
int SampleInk(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo)
{
    const double c = in[0] / 65535.0, m = in[1] / 65535.0, y = in[2] / 65535.0, k = in[3] / 65535.0;
    const double rgb[3] = {(1 - 0.5 * c) * (1 - k), (1 - m) * (1 - k), (1 - y) * (1 - k)};
    cmsUInt16Number srgb[3];
    for (int i = 0; i < 3; ++i)
        srgb[i] = static_cast<cmsUInt16Number>(rgb[i] * 65535 + 0.5);
    cmsDoTransform(static_cast<cmsHTRANSFORM>(cargo), srgb, out, 1);
    return 1;
}

}  // namespace

Bytes SrgbProfile()
{
    return Saved(cmsCreate_sRGBProfile(), "sRGB built-in");
}

namespace {

// An RGB profile of the D65 white, a green primary at x, y and sRGB's red and blue, gamma gamma.
Bytes RgbProfile(double greenX, double greenY, double gamma, const char* description)
{
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1}, {greenX, greenY, 1}, {0.15, 0.06, 1}};
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return Saved(profile, description);
}

}  // namespace

Bytes WideRgbProfile()
{
    return RgbProfile(0.21, 0.71, 2.2, "Wide RGB");
}

Bytes LinearSrgbProfile()
{
    return RgbProfile(0.30, 0.60, 1.0, "Linear sRGB");
}

Bytes GrayGammaProfile(double gamma)
{
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsFreeToneCurve(curve);
    return Saved(profile, ("Gray gamma " + std::to_string(gamma).substr(0, 3)).c_str());
}

Bytes InkProfile()
{
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, cmsSigColorSpaceClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());

    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab =
        cmsCreateTransform(srgb, TYPE_RGB_16, lab, TYPE_Lab_16, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsPipeline* table = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    cmsStageSampleCLut16bit(grid, SampleInk, toLab, 0);
    // The A and B curves, identities, which the table's type requires around its grid.
    cmsPipelineInsertStage(table, cmsAT_END, cmsStageAllocToneCurves(nullptr, 4, nullptr));
    cmsPipelineInsertStage(table, cmsAT_END, grid);
    cmsPipelineInsertStage(table, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsWriteTag(profile, cmsSigAToB0Tag, table);
    cmsPipelineFree(table);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    return Saved(profile, "Test ink");
}

}  // namespace test_support
