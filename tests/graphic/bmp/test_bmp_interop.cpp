// Other decoders and encoders agree with ours: Pillow and ImageMagick read what the writer
// writes, and the reader reads what Pillow writes. Linux only; skipped when the tools are missing.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphic/dispatch/LoaderDispatch.h"
#include "graphic/bmp/ImageSaverBMP.h"
#include "support/BmpBuilder.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

using sdk::graphic::Image;
using test_support::Bytes;

namespace {

// check FOLDER NAME...: NAME.bmp decodes to the RGB bytes of NAME.rgb.
// make FOLDER: palette, grey, colour and colour-with-alpha BMPs with the RGB bytes of each.
const char* const kScript = R"(import sys
from PIL import Image
folder = sys.argv[2]
def raw(name):
    return open(f"{folder}/{name}.rgb", "rb").read()
if sys.argv[1] == "check":
    bad = [n for n in sys.argv[3:] if Image.open(f"{folder}/{n}.bmp").convert("RGB").tobytes() != raw(n)]
    print("Pillow disagrees on", bad) if bad else None
    sys.exit(1 if bad else 0)
w, h = 7, 5
rgb = Image.new("RGB", (w, h))
rgb.putdata([(x * 36, y * 60, (x * y * 29) % 256) for y in range(h) for x in range(w)])
p = Image.new("P", (w, h))
p.putpalette([200, 10, 20, 30, 220, 40, 50, 60, 240, 7, 8, 9, 250, 251, 252, 90, 80, 70])
p.putdata([(x + y) % 6 for y in range(h) for x in range(w)])
rgba = rgb.copy()
rgba.putalpha(128)
for name, image in (("pil_rgb", rgb), ("pil_p", p), ("pil_l", rgb.convert("L")), ("pil_rgba", rgba)):
    image.save(f"{folder}/{name}.bmp")
    open(f"{folder}/{name}.rgb", "wb").write(image.convert("RGB").tobytes())
)";

std::string FindPillow()
{
    for (const char* python : {"python3", "/usr/bin/python3"})
        if (std::system((std::string(python) + " -c 'import PIL' >/dev/null 2>&1").c_str()) == 0)
            return python;
    return "";
}

// R, G, B of each pixel as a BMP decoder sees the file our writer makes of the image.
Bytes SeenAsRgb(const Image& image)
{
    Bytes rgb;
    const Bytes raster = test_support::RasterOf(image);
    for (size_t i = 0; i < raster.size(); i += image.Channels()) {
        const uint8_t* p = &raster[i];
        switch (image.Channels()) {
        case 1: rgb.insert(rgb.end(), {p[0], p[0], p[0]}); break;
        case 2: rgb.insert(rgb.end(), {p[1], p[0], 0}); break;  // grey as red, alpha as green
        case 3: rgb.insert(rgb.end(), {p[2], p[1], p[0]}); break;
        default: rgb.insert(rgb.end(), {p[3], p[2], p[1]}); break;
        }
    }
    return rgb;
}

Bytes ReadFile(const std::string& path)
{
    const std::string text = test_support::ReadWholeFile(path);
    return Bytes(text.begin(), text.end());
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    test_support::WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
}

// What ImageMagick decodes the BMP at path to, as R, G, B bytes.
Bytes MagickRgb(const std::string& path)
{
    const std::string command = "convert '" + path + "' -depth 8 'rgb:" + path + ".magick'";
    return std::system(command.c_str()) == 0 ? ReadFile(path + ".magick") : Bytes{};
}

TEST(BmpInterop, PillowAndImageMagickReadWhatTheWriterWrites)
{
    const std::string python = FindPillow();
    if (python.empty())
        GTEST_SKIP() << "python3 with PIL (python3-pil) is not installed";
    const bool magick = std::system("convert -version >/dev/null 2>&1") == 0;
    test_support::TempDir folder;
    std::string names;
    for (int32_t channels = 1; channels <= 4; ++channels) {
        for (int32_t width : {1, 6, 7}) {
            Bytes bytes(static_cast<size_t>(channels * width * 3));
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = static_cast<uint8_t>(37 * i + 11 * channels);
            const Image image = test_support::MakeImage(channels, width, 3, bytes);
            const std::string name = "w" + std::to_string(channels) + "x" + std::to_string(width);
            sdk::graphic::SaveBMP(image, folder / (name + ".bmp"));
            WriteFile(folder / (name + ".rgb"), SeenAsRgb(image));
            if (channels != 2)  // Pillow knows no 16-bit masks other than 5-6-5 and 5-5-5
                names += " " + name;
            if (magick) {
                EXPECT_EQ(MagickRgb(folder / (name + ".bmp")), SeenAsRgb(image)) << name;
            }
        }
    }
    WriteFile(folder / "bmp_check.py", Bytes(kScript, kScript + strlen(kScript)));
    EXPECT_EQ(std::system((python + " '" + (folder / "bmp_check.py") + "' check '" +
                           folder.Path() + "'" + names).c_str()), 0);
}

TEST(BmpInterop, ReaderReadsWhatPillowWrites)
{
    const std::string python = FindPillow();
    if (python.empty())
        GTEST_SKIP() << "python3 with PIL (python3-pil) is not installed";
    test_support::TempDir folder;
    WriteFile(folder / "bmp_check.py", Bytes(kScript, kScript + strlen(kScript)));
    ASSERT_EQ(std::system((python + " '" + (folder / "bmp_check.py") + "' make '" +
                           folder.Path() + "'").c_str()), 0);
    // Palette of 6 entries, grey palette, 24-bit, and 32-bit BI_RGB whose fourth byte is alpha.
    for (const char* name : {"pil_p", "pil_l", "pil_rgb", "pil_rgba"}) {
        Image image;
        sdk::graphic::Load(image, folder / (std::string(name) + ".bmp"));
        EXPECT_EQ(SeenAsRgb(image), ReadFile(folder / (std::string(name) + ".rgb"))) << name;
    }
}

TEST(BmpInterop, ReaderAgreesWithImageMagickOnOddFiles)
{
    if (std::system("convert -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    // Top-down 16-bit (5-5-5) and 32-bit (B, G, R, unused) BI_RGB, and a palette of 40 entries.
    std::vector<test_support::BmpBuilder> files(2, test_support::BmpBuilder());
    for (int i = 0; i < 2; ++i) {
        files[i].width = 5;
        files[i].height = -2;
        files[i].bitCount = static_cast<uint16_t>(16 * (i + 1));
        for (int row = 0; row < 2; ++row) {
            Bytes bytes(static_cast<size_t>(10 * (i + 1)));
            for (size_t b = 0; b < bytes.size(); ++b)
                bytes[b] = static_cast<uint8_t>(53 * b + 101 * row);
            files[i].AddRow(bytes);
        }
    }
    files.push_back(test_support::BmpBuilder::Indexed8(7, 3, 40));
    test_support::TempDir folder;
    for (const test_support::BmpBuilder& bmp : files) {
        WriteFile(folder / "odd.bmp", bmp.Build());
        Image image;
        sdk::graphic::Load(image, folder / "odd.bmp");
        EXPECT_EQ(SeenAsRgb(image), MagickRgb(folder / "odd.bmp")) << bmp.bitCount << " bits";
    }
}

TEST(BmpInterop, ImageMagickReadsTheBgraFormWithItsAlpha)
{
    if (std::system("convert -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    Bytes bytes(4 * 5 * 3);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(41 * i + 3);
    const Image image = test_support::MakeImage(4, 5, 3, bytes);
    test_support::TempDir folder;
    sdk::graphic::SaveBMP(image, folder / "bgra.bmp", sdk::graphic::BmpForm::Bgra);
    const std::string path = folder / "bgra.bmp";
    ASSERT_EQ(std::system(("convert '" + path + "' -depth 8 'rgba:" + path + ".rgba'").c_str()), 0);
    Bytes rgba;
    for (size_t i = 0; i < bytes.size(); i += 4)
        rgba.insert(rgba.end(), {bytes[i + 3], bytes[i + 2], bytes[i + 1], bytes[i]});
    EXPECT_EQ(ReadFile(path + ".rgba"), rgba);
}

}  // namespace

#endif  // _WIN32
