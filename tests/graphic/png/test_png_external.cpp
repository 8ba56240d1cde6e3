// Independent checks of the writer's files: pngcheck validates every PNG and MNG form (images
// written in bands too), and PIL decodes the PNG pixels. Skipped, saying why, where a checker is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "graphic/png/ImageSaverPNG.h"
#include "graphic/png/PngBandEncoder.h"
#include "stream/StreamFile.h"
#include "support/TempDir.h"

using namespace sdk::graphic;

#ifdef _WIN32

TEST(PngExternal, CheckersAreNotRunFromTheWindowsBuild)
{
    GTEST_SKIP() << "pngcheck and PIL are run from the Linux build only";
}

#else

namespace {

// Whether a shell command exits with 0; its standard output goes to output.
bool RunCommand(const std::string& command, std::string* output = nullptr)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return false;
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        if (output != nullptr)
            output->append(buffer, got);
    return pclose(pipe) == 0;
}

Image Noise(int32_t channels, int32_t width, int32_t height)
{
    Image image(channels, width, height);
    for (int32_t i = 0; i < image.Size(); ++i)
        image.Data()[i] = static_cast<uint8_t>(i * 151 + (i >> 3) * 17 + channels);
    return image;
}

// Writes path through a saver with the given compression flags.
void WriteFile(const std::string& path, int compression,
               const std::function<void(ImageSaverPNG&)>& write)
{
    sdk::stream::file_out out(path);
    out.OpenWrite();
    ImageSaverPNG saver(out);
    saver.bestCompression = compression == 1;
    saver.fastCompression = compression == 2;
    write(saver);
}

}  // namespace

TEST(PngExternal, PngcheckAcceptsEveryFormWritten)
{
    if (!RunCommand("command -v pngcheck >/dev/null 2>&1"))
        GTEST_SKIP() << "pngcheck is not installed";
    test_support::TempDir dir;
    ImageInfo extras;
    extras.x = -5;
    extras.y = 9;
    extras.title = "Layer 1";
    extras.comment = "made by a test";
    extras.delay = 3;
    const auto check = [](const std::string& path) {
        std::string report;
        EXPECT_TRUE(RunCommand("pngcheck -v '" + path + "' 2>&1", &report)) << report;
    };
    for (int compression = 0; compression < 3; ++compression) {
        for (int32_t channels = 1; channels <= 4; ++channels)
            for (const ImageInfo& info : {ImageInfo(), extras}) {
                WriteFile(dir / "out.png", compression,
                          [&](ImageSaverPNG& saver) { saver.Save(Noise(channels, 37, 23), info); });
                check(dir / "out.png");
            }
        for (bool noFrameChunks : {false, true})
            for (bool loop : {false, true}) {
                WriteFile(dir / "out.mng", compression, [&](ImageSaverPNG& saver) {
                    saver.InitMNG(40, 30, 12, noFrameChunks);
                    if (loop)
                        saver.SetLoop();
                    for (int32_t channels = 1; channels <= 4; ++channels)
                        saver.Save(Noise(channels, 9 + channels, 5),
                                   channels % 2 == 0 ? extras : ImageInfo());
                });
                check(dir / "out.mng");
            }
    }
}

TEST(PngExternal, PngcheckAcceptsImagesWrittenInBands)
{
    if (!RunCommand("command -v pngcheck >/dev/null 2>&1"))
        GTEST_SKIP() << "pngcheck is not installed";
    test_support::TempDir dir;
    for (int compression = 0; compression < 3; ++compression)
        for (int32_t channels = 1; channels <= 4; ++channels) {
            // Odd channel counts with samples of 16 bits: an image twice as wide holds the rows.
            const bool sixteenBits = channels % 2 == 1;
            const Image image = Noise(channels, sixteenBits ? 2 * 37 : 37, 23);
            WriteFile(dir / "bands.png", compression, [&](ImageSaverPNG& saver) {
                saver.sixteenBits = sixteenBits;
                saver.BeginBands(channels, 37, 23, ImageInfo());
                const PngDataLayout layout = saver.DataLayout();
                for (int32_t first = 0; first < 23; first += 5) {
                    PngBandEncoder band(layout, first);
                    for (int32_t y = std::max(0, first - PngBandEncoder::ContextRows(layout));
                         y < first; ++y)
                        band.Context(image.Data() + y * image.Stride());
                    for (int32_t y = first; y < std::min(23, first + 5); ++y)
                        band.Row(image.Data() + y * image.Stride());
                    saver.WriteBand(band.Finish());
                }
                saver.End();
            });
            std::string report;
            EXPECT_TRUE(RunCommand("pngcheck -v '" + dir / "bands.png" + "' 2>&1", &report))
                << report;
        }
}

TEST(PngExternal, PilDecodesThePixelsWritten)
{
    std::string python;
    for (const char* candidate : {"python3", "/usr/bin/python3"})
        if (python.empty() && RunCommand(std::string(candidate) + " -c 'import PIL' 2>/dev/null"))
            python = candidate;
    if (python.empty())
        GTEST_SKIP() << "no Python with PIL is installed";
    test_support::TempDir dir;
    const char* const modes[] = {"", "L", "LA", "RGB", "RGBA"};
    for (int32_t channels = 1; channels <= 4; ++channels) {
        const Image image = Noise(channels, 7, 5);
        WriteFile(dir / "pixels.png", 0,
                  [&](ImageSaverPNG& saver) { saver.Save(image, ImageInfo()); });
        // The file holds grey or R, G, B, then alpha: exactly the memory order reversed.
        std::string expected = std::string(modes[channels]) + " ";
        for (int32_t at = 0; at < image.Size(); at += channels)
            for (int32_t k = channels - 1; k >= 0; --k) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02x", image.Data()[at + k]);
                expected += hex;
            }
        std::string decoded;
        ASSERT_TRUE(RunCommand(python +
                                   " -c \"import sys; from PIL import Image; "
                                   "im = Image.open(sys.argv[1]); "
                                   "print(im.mode, im.tobytes().hex())\" '" +
                                   dir / "pixels.png" + "'",
                               &decoded));
        EXPECT_EQ(decoded, expected + "\n") << channels;
    }
}

#endif
