// ICC profiles read and checked, and rows converted through them into sRGB.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "graphic/color/ColorTransform.h"
#include "graphic/color/IccProfile.h"
#include "support/IccProfiles.h"

using sdk::graphic::ColorLayout;
using sdk::graphic::IccProfile;
using test_support::Bytes;

namespace {

std::shared_ptr<const IccProfile> Read(const Bytes& bytes)
{
    std::string problem;
    std::shared_ptr<const IccProfile> profile = sdk::graphic::ReadIccProfile(bytes, problem);
    EXPECT_TRUE(profile) << problem;
    return profile;
}

void Put32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

std::vector<uint8_t> Converted(const IccProfile& profile, ColorLayout in, ColorLayout out,
                               std::vector<uint8_t> pixels)
{
    std::string problem;
    auto transform = sdk::graphic::TransformToSrgb(profile, in, out, problem);
    EXPECT_TRUE(transform) << problem;
    const int32_t count = static_cast<int32_t>(pixels.size()) / sdk::graphic::SamplesPerPixel(in);
    std::vector<uint8_t> result(static_cast<size_t>(count) * sdk::graphic::SamplesPerPixel(out));
    if (transform)
        transform->Convert(pixels.data(), result.data(), count);
    return result;
}

// Whether each value lies within tolerance of what is expected.
::testing::AssertionResult Near(const std::vector<uint8_t>& actual,
                                const std::vector<int>& expected, int tolerance)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "size " << actual.size();
    for (size_t i = 0; i < actual.size(); ++i)
        if (std::abs(actual[i] - expected[i]) > tolerance)
            return ::testing::AssertionFailure()
                   << "byte " << i << " is " << int(actual[i]) << ", not " << expected[i];
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(IccProfile, SoundProfilesTellTheirSpaceAndName)
{
    auto srgb = Read(test_support::SrgbProfile());
    auto gray = Read(test_support::GrayGammaProfile(2.2));
    auto ink = Read(test_support::InkProfile());
    ASSERT_TRUE(srgb && gray && ink);
    EXPECT_EQ(srgb->space, IccProfile::Space::Rgb);
    EXPECT_EQ(gray->space, IccProfile::Space::Gray);
    EXPECT_EQ(ink->space, IccProfile::Space::Cmyk);
    EXPECT_EQ(ink->description, u"Test ink");
    EXPECT_EQ(srgb->bytes, test_support::SrgbProfile());
}

TEST(IccProfile, DamagedProfilesAreRefusedWithAReason)
{
    const Bytes good = test_support::WideRgbProfile();
    auto refused = [](const Bytes& bytes) {
        std::string problem;
        const bool read = sdk::graphic::ReadIccProfile(bytes, problem) != nullptr;
        return !read && !problem.empty();
    };
    EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + 100)));  // shorter than a header
    Bytes longer = good;
    Put32(longer, 0, static_cast<uint32_t>(good.size() + 1));  // claims more than it holds
    EXPECT_TRUE(refused(longer));
    Bytes unsigned_ = good;
    unsigned_[36] = 'x';  // no "acsp"
    EXPECT_TRUE(refused(unsigned_));
    Bytes link = good;
    std::copy_n("link", 4, link.begin() + 12);  // a device link joins two spaces
    EXPECT_TRUE(refused(link));
    Bytes tagOutside = good;
    Put32(tagOutside, 128 + 4 + 8, 0xFFFFFFF0u);  // the first tag's offset
    EXPECT_TRUE(refused(tagOutside));
    Bytes manyTags = good;
    Put32(manyTags, 128, 0x10000000u);
    EXPECT_TRUE(refused(manyTags));
    std::string problem;
    EXPECT_FALSE(sdk::graphic::ReadIccProfileFile("no such profile.icc", problem));
    EXPECT_FALSE(problem.empty());
}

TEST(ColorTransform, WideRgbBecomesSrgbWithItsAlphaKept)
{
    auto wide = Read(test_support::WideRgbProfile());
    ASSERT_TRUE(wide);
    // B G R: a neutral stays neutral; an orange grows redder in sRGB's narrower gamut.
    const std::vector<uint8_t> out =
        Converted(*wide, ColorLayout::Bgr, ColorLayout::Bgr, {128, 128, 128, 50, 100, 200});
    EXPECT_TRUE(Near({out.begin(), out.begin() + 3}, {128, 128, 128}, 1));
    EXPECT_GT(out[5], 215);
    EXPECT_EQ(Converted(*wide, ColorLayout::AlphaBgr, ColorLayout::AlphaBgr, {77, 1, 2, 3})[0], 77);
    EXPECT_GT(sdk::graphic::DistanceFromSrgb(*wide), 20);
    EXPECT_EQ(sdk::graphic::DistanceFromSrgb(*Read(test_support::SrgbProfile())), 0);
}

TEST(ColorTransform, GrayStaysGrayOnSrgbsCurve)
{
    auto flat = Read(test_support::GrayGammaProfile(1.0));
    auto usual = Read(test_support::GrayGammaProfile(2.2));
    ASSERT_TRUE(flat && usual);
    // Linear 50 % gray is sRGB 188; the alpha of A G is kept.
    EXPECT_TRUE(Near(Converted(*flat, ColorLayout::AlphaGray, ColorLayout::AlphaGray, {9, 128}),
                     {9, 188}, 1));
    EXPECT_EQ(sdk::graphic::DistanceFromGamma22(*usual), 0);
    EXPECT_GT(sdk::graphic::DistanceFromGamma22(*flat), 20);
    EXPECT_GT(sdk::graphic::DistanceFromSrgb(*usual), 0);
}

TEST(ColorTransform, InkBecomesColourThroughTheProfileAndTransformsAreShared)
{
    auto ink = Read(test_support::InkProfile());
    ASSERT_TRUE(ink);
    // C M Y K as stored, 255 no ink: none, full cyan (half the red in this profile), full black.
    EXPECT_TRUE(Near(Converted(*ink, ColorLayout::Ink, ColorLayout::Bgr,
                               {255, 255, 255, 255, 0, 255, 255, 255, 255, 255, 255, 0}),
                     {255, 255, 255, 255, 255, 128, 0, 0, 0}, 3));
    std::string problem;
    EXPECT_EQ(sdk::graphic::TransformToSrgb(*ink, ColorLayout::Ink, ColorLayout::Bgr, problem),
              sdk::graphic::TransformToSrgb(*ink, ColorLayout::Ink, ColorLayout::Bgr, problem));
    // A profile of other colours than the rows' has no transform.
    EXPECT_FALSE(sdk::graphic::TransformToSrgb(*ink, ColorLayout::Bgr, ColorLayout::Bgr, problem));
    EXPECT_FALSE(problem.empty());
}

TEST(ColorTransform, LinearProfilesTakeSrgbsCurve)
{
    auto linear = Read(test_support::LinearSrgbProfile());
    ASSERT_TRUE(linear);
    std::string problem;
    auto curved = sdk::graphic::WithSrgbCurves(*linear, problem);
    ASSERT_TRUE(curved) << problem;
    EXPECT_GT(sdk::graphic::DistanceFromSrgb(*linear), 20);
    EXPECT_LE(sdk::graphic::DistanceFromSrgb(*curved), 1);
}
