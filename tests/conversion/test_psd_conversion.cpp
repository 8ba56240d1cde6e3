// The conversion of one file, in process: which files are converted, the PSD outputs (merged
// PNG, report, MNG, layer PNGs) byte for byte or pixel for pixel, the status lines and the
// progress steps, and the guarded cases (hostile layer names, outputs that cannot be written,
// documents with layer groups).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "conversion/output/OutputFiles.h"
#include "conversion/psd/PsdToPng.h"
#include "files/CodePage.h"
#include "files/FileSystem.h"
#include "files/Path.h"
#include "graphic/ImageOperations.h"
#include "graphic/png/ImageLoaderMNG.h"
#include "graphic/png/ImageSaverPNG.h"
#include "support/ErrorTag.h"
#include "support/TestImages.h"

using namespace conversion_test;
using test_support::operator+;
using sdk::graphic::Image;
using sdk::graphic::ImageInfo;

namespace {

// Layer names as a PSD stores them (code page 932) and as the program shows them.
const char kBackgroundSjis[] = "\x94\x77\x8c\x69";  // 背景
const char kTextSjis[] = "\x95\xb6\x8e\x9a";        // 文字
const char kTableSjis[] = "\x95\x5c";               // 表: its trail byte is "\"

// The document most tests convert: 4 x 3 with three layers, one off the canvas on the left,
// one with an empty name, one with a blend mode outside the table.
const std::vector<LayerShape> kThreeLayers = {
    {kBackgroundSjis, 0, 0, 4, 3, "norm"},
    {"", -1, 1, 2, 2, "mul "},
    {kTextSjis, 2, -2, 1, 3, "zzzz"},
};

class PsdConversion : public ::testing::Test {
protected:
    void SetUp() override { option = cOption(); }
    void TearDown() override { option = cOption(); }

    // Writes the document as dir/name and converts it.
    bool Convert(const Bytes& document, const std::string& name = "a.psd")
    {
        input = dir / name;
        WriteBytes(input, document);
        return ConvertFile(recorder.context, input);
    }

    test_support::TempDir dir;
    Recorder recorder;
    std::string input;
};

bool HasChunk(const std::string& path, const std::string& type)
{
    return (" " + ChunkTypes(path) + " ").find(" " + type + " ") != std::string::npos;
}

uint8_t PngColourType(const std::string& path) { return ReadBytes(path).at(25); }

}  // namespace

TEST(ConversionRules, WhichFilesAreConvertible)
{
    struct Row {
        bool alphaFile, bmpToPng, pngToBmp, psdOption;
        const char* name;
        bool expected;
    };
    const Row rows[] = {
        {true, true, false, false, "photo_.bmp", false},
        {true, true, false, false, "C:\\in\\PHOTO_.BMP", false},
        {false, true, false, false, "photo_.bmp", true},
        {false, true, false, false, "a.BmP", true},
        {false, false, true, false, "a.bmp", false},
        {false, false, false, true, "PICTURE.PSD", true},
        {false, false, false, false, "a.psd", false},
        {false, false, false, true, "a.png", false},
        {false, false, true, false, "x.PNG", true},
        {false, false, true, false, "dir.png\\file", false},
    };
    for (const Row& row : rows) {
        option = cOption();
        option.alphaFile = row.alphaFile;
        option.bmpToPng = row.bmpToPng;
        option.pngToBmp = row.pngToBmp;
        option.textLayerInfo = row.psdOption;
        EXPECT_EQ(IsConvertible(row.name), row.expected) << row.name;
    }
    option = cOption();
}

TEST(ConversionRules, OutputBaseFillBlankAndSerialNames)
{
    option = cOption();
    EXPECT_EQ(OutputBase("C:\\in\\a.psd"), "C:\\in\\a");
    option.outputFolder = "D:\\out";
    EXPECT_EQ(OutputBase("C:\\in\\a.psd"), std::string("D:\\out") + sdk::files::kPathSeparator + "a");
    option = cOption();

    Image image = test_support::MakeImage(4, 2, 1, {0x00, 0x10, 0x20, 0x30, 0x01, 0x10, 0x20, 0x30});
    FillBlank(image);
    EXPECT_EQ(Raster(image), Bytes({0, 0, 0, 0, 0x01, 0x10, 0x20, 0x30}));
    Image gray = test_support::MakeImage(2, 2, 1, {0x00, 0x40, 0xFF, 0x41});
    FillBlank(gray);
    EXPECT_EQ(Raster(gray), Bytes({0, 0, 0xFF, 0x41}));
    Image empty;
    EXPECT_EQ(test_support::TagOf([&] { FillBlank(empty); }), "FillBlank:419");

    // Serial numbers have no upper limit.
    EXPECT_EQ(LayerFileName('_', true, 10000, "x"), "_10000.png");
    EXPECT_EQ(LayerFileName('\\', true, 7, "x"), "\\0007.png");
}

TEST_F(PsdConversion, EveryOutputOfALayeredDocument)
{
    option.psdToMng = option.psdToPngMerged = option.psdToPngLayers = true;
    option.textImageInfo = option.textLayerInfo = true;
    option.textName = option.textPosition = option.textMode = true;
    option.fillBlank = option.pngNoAlpha = option.pngOffset = true;
    option.mngOffset = option.mngTitle = option.mngComment = option.mngLoop = true;
    option.mngFps = 12;
    option.compressBest = true;
    ASSERT_TRUE(Convert(RgbaDocument(4, 3, kThreeLayers)));

    EXPECT_EQ(recorder.lines, std::vector<std::string>({
                                  "a.psd → a.png",
                                  "a.psd → a.txt",
                                  "a.psd → a.mng",
                                  "a.psd (1) → 背景.png",
                                  "a.psd (2) → .png",
                                  "a.psd (3) → 文字.png",
                              }));
    EXPECT_TRUE(recorder.positionResetFirst);
    EXPECT_EQ(recorder.low, 0);
    EXPECT_EQ(recorder.high, 13);  // 1 + 1 + 1 + 1 + 3 + 3 + 3
    EXPECT_EQ(recorder.position, 13);

    // The merged image is written as decoded: neither filled nor stripped of alpha.
    EXPECT_EQ(Raster(ReadImage(dir / "a.png")), Raster(ExpectedPixels(-1, 4, 3)));
    EXPECT_EQ(ChunkTypes(dir / "a.png"), "IHDR IDAT IEND");

    EXPECT_EQ(test_support::ReadWholeFile(dir / "a.txt"),
              "[Base]\r\n"
              "\tPath         = " + input + "\r\n"
              "\tColorType    = color\r\n"
              "\tAlphaChannel = exist\r\n"
              "\tWidth        = 4\r\n"
              "\tHeight       = 3\r\n"
              "\tLayer Count  = 3\r\n"
              "\r\n"
              "[Layer 1]\r\n"
              "\tName    = 背景\r\n"
              "\tWidth   = 4\r\n"
              "\tHeight  = 3\r\n"
              "\tOffsetX = 0\r\n"
              "\tOffsetY = 0\r\n"
              "\tMode    = 通常 [norm]\r\n"
              "\r\n"
              "[Layer 2]\r\n"
              "\tName    = \r\n"
              "\tWidth   = 2\r\n"
              "\tHeight  = 2\r\n"
              "\tOffsetX = -1\r\n"
              "\tOffsetY = 1\r\n"
              "\tMode    = 乗算 [mul ]\r\n"
              "\r\n"
              "[Layer 3]\r\n"
              "\tName    = 文字\r\n"
              "\tWidth   = 1\r\n"
              "\tHeight  = 3\r\n"
              "\tOffsetX = 2\r\n"
              "\tOffsetY = -2\r\n"
              "\tMode    = [zzzz]\r\n"
              "\r\n");

    // The MNG: loop right after the header, frame chunks for names and offsets, the blend-mode
    // key as each frame's comment; frames are the filled layers with their alpha.
    // A Japanese name is UTF-8 in an iTXt on Linux, code page bytes in a tEXt on Windows.
#if defined(_WIN32)
    const std::string name_text = "tEXt";
#else
    const std::string name_text = "iTXt";
#endif
    const std::string mng = dir / "a.mng";
    EXPECT_EQ(ChunkTypes(mng),
              "MHDR TERM FRAM IHDR " + name_text + " tEXt IDAT IEND DEFI IHDR tEXt IDAT IEND " +
                  "FRAM DEFI IHDR " + name_text + " tEXt IDAT IEND MEND");
    const auto chunks = test_support::ParseChunks(ReadBytes(mng));
    EXPECT_EQ(chunks.at(0).body.at(11), 12);  // ticks per second
    {
        sdk::stream::file_in file(mng);
        file.OpenRead();
        sdk::graphic::ImageLoaderMNG reader(file);
        ASSERT_EQ(reader.LayerCount(), 3);
        const int32_t x[] = {0, -1, 2}, y[] = {0, 1, -2};
        const char* comment[] = {"norm", "mul ", "zzzz"};
        const char* title[] = {"背景", "", "文字"};
        for (int32_t i = 0; i < 3; ++i) {
            ImageInfo info;
            reader.LayerInfo(i, info);
            EXPECT_EQ(info.x, x[i]) << i;
            EXPECT_EQ(info.y, y[i]) << i;
            EXPECT_EQ(info.comment, comment[i]) << i;
            EXPECT_EQ(info.title, title[i]) << i;
            Image frame;
            reader.LayerLoad(i, frame);
            Image expected = ExpectedPixels(i, kThreeLayers[i].width, kThreeLayers[i].height);
            FillBlank(expected);
            EXPECT_EQ(Raster(frame), Raster(expected)) << i;
        }
    }

    // Layer files: filled, alpha dropped (truecolour), offset in oFFs only off the origin.
    const std::string second = dir / "a/.png";
    ImageInfo info;
    Image layer = ReadImage(second, &info);
    Image expected = ExpectedPixels(1, 2, 2);
    FillBlank(expected);
    EXPECT_EQ(Raster(layer), Raster(sdk::graphic::ExtractColor(expected)));
    EXPECT_EQ(PngColourType(second), 2);
    EXPECT_EQ(info.x, -1);
    EXPECT_EQ(info.y, 1);
    EXPECT_EQ(ChunkTypes(second), "IHDR oFFs IDAT IEND");
    EXPECT_EQ(ChunkTypes(dir.Path() + "/a/背景.png"), "IHDR " + name_text + " IDAT IEND");
    ReadImage(dir.Path() + "/a/背景.png", &info);
    EXPECT_EQ(info.title, "背景");
    EXPECT_TRUE(sdk::files::IsFile(dir.Path() + "/a/文字.png"));
}

TEST_F(PsdConversion, ReportSectionsAndStepsForSmallDocuments)
{
    // Documents without layers: one step for the (absent) layer sections all the same.
    option.textImageInfo = option.textLayerInfo = true;
    option.textName = option.textPosition = option.textMode = true;
    struct Row {
        uint16_t colorMode, channels;
        const char* colorType;
        const char* alpha;
    };
    const Row rows[] = {
        {1, 1, "gray scale", "no"}, {1, 2, "gray scale", "exist"}, {3, 3, "color", "no"}};
    for (const Row& row : rows) {
        test_support::PsdBuilder psd;
        psd.colorMode = row.colorMode;
        psd.channels = row.channels;
        psd.width = 2;
        psd.planes.assign(row.channels, Bytes{7, 9});
        recorder.Reset();
        ASSERT_TRUE(Convert(psd.Build(), "g.psd"));
        EXPECT_EQ(test_support::ReadWholeFile(dir / "g.txt"),
                  "[Base]\r\n\tPath         = " + input + "\r\n\tColorType    = " + row.colorType +
                      "\r\n\tAlphaChannel = " + row.alpha +
                      "\r\n\tWidth        = 2\r\n\tHeight       = 1\r\n\tLayer Count  = 0\r\n\r\n");
        EXPECT_EQ(recorder.high, 3);
        EXPECT_EQ(recorder.position, 3);
        EXPECT_EQ(recorder.lines, std::vector<std::string>({"g.psd → g.txt"}));
    }

    // Layer sections with no line chosen: the head and an empty line.
    option = cOption();
    option.textLayerInfo = true;
    recorder.Reset();
    ASSERT_TRUE(Convert(RgbaDocument(4, 3, kThreeLayers)));
    EXPECT_EQ(test_support::ReadWholeFile(dir / "a.txt"),
              "[Layer 1]\r\n\r\n[Layer 2]\r\n\r\n[Layer 3]\r\n\r\n");
    EXPECT_EQ(recorder.high, 2);
    EXPECT_EQ(recorder.position, 2);
}

TEST_F(PsdConversion, LayerFileNamesUnderEachScheme)
{
    const std::vector<LayerShape> layers = {
        {kBackgroundSjis, 0, 0, 1, 1}, {kTextSjis, 0, 0, 1, 1}, {"", 0, 0, 1, 1}, {kTableSjis, 0, 0, 1, 1}};
    struct Row {
        char separator;
        bool serial;
        std::vector<std::string> files;  // below dir; also the names the status lines show
    };
    const Row rows[] = {
        {'\\', false, {"a/背景.png", "a/文字.png", "a/.png", "a/表.png"}},
        {'_', false, {"a_背景.png", "a_文字.png", "a_.png", "a_表.png"}},
        {'\\', true, {"a/0000.png", "a/0001.png", "a/0002.png", "a/0003.png"}},
        {'_', true, {"a_0000.png", "a_0001.png", "a_0002.png", "a_0003.png"}},
    };
    for (const Row& row : rows) {
        test_support::TempDir scratch;
        option = cOption();
        option.psdToPngLayers = true;
        option.separator = row.separator;
        option.serialNumber = row.serial;
        Recorder run;
        const std::string path = scratch / "a.psd";
        WriteBytes(path, RgbaDocument(2, 2, layers));
        ASSERT_TRUE(ConvertFile(run.context, path));
        ASSERT_EQ(run.lines.size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_TRUE(sdk::files::IsFile(scratch.Path() + "/" + row.files[i])) << row.files[i];
            EXPECT_EQ(run.lines[i], "a.psd (" + std::to_string(i + 1) + ") → " +
                                        sdk::files::GetFileName(row.files[i]));
        }
        EXPECT_EQ(run.position, 9);
        EXPECT_EQ(run.high, 9);
    }
}

TEST_F(PsdConversion, LayersOfOneNameKeepAFileEach)
{
    // Names that meet without regard to letter case; the third already looks like a renamed one.
    option.psdToPngLayers = true;
    ASSERT_TRUE(Convert(RgbaDocument(
        2, 2, {{"A", 0, 0, 1, 1}, {"a", 0, 0, 1, 1}, {"A (2)", 0, 0, 1, 1}, {"A", 0, 0, 1, 1}})));
    EXPECT_EQ(recorder.lines,
              std::vector<std::string>({"a.psd (1) → A.png", "a.psd (2) → a (2).png",
                                        "a.psd (3) → A (2) (2).png", "a.psd (4) → A (3).png"}));
    EXPECT_EQ(FilesBelow(dir.Path()),
              std::set<std::string>({"a.psd", "a/A.png", "a/a (2).png", "a/A (2) (2).png",
                                     "a/A (3).png"}));
}

TEST_F(PsdConversion, NamesThatMakeBadFileNamesAreMended)
{
    // Control characters would break a listing of one name per line; a name longer than a file
    // name may be is cut at a character, keeping the ending and the number of a doubled name.
    option.psdToPngLayers = true;
    option.separator = '_';
    const std::string longName(300, 'x');
    std::vector<LayerShape> layers = {
        {"a\tb\nc\x7f", 0, 0, 1, 1}, {longName, 0, 0, 1, 1}, {longName, 0, 0, 1, 1}};
    // A name of two-byte characters, each 3 bytes in UTF-8. (Wine keeps Windows names in UTF-8
    // files, whose names it cannot make longer than 255 bytes, so it is tried here alone.)
    const bool utf8 = sdk::files::ActiveCodePage() == sdk::files::kCodePageUtf8;
    std::string longKanji;
    for (int i = 0; i < 200; ++i)
        longKanji += kBackgroundSjis;
    if (utf8)
        layers.push_back({longKanji, 0, 0, 1, 1});
    ASSERT_TRUE(Convert(RgbaDocument(2, 2, layers)))
        << (recorder.lines.empty() ? "" : recorder.lines.back());

    // The longest name: 255 bytes, and where paths are bounded the path within its bound.
    size_t most = sdk::files::kLongestName;
    if (sdk::files::kLongestPath != 0)
        most = std::min(most, sdk::files::kLongestPath - dir.Path().size() - 1);
    const std::string cut = "a_" + std::string(most - 6, 'x') + ".png";
    const std::string cutAgain = "a_" + std::string(most - 10, 'x') + " (2).png";
    ASSERT_EQ(recorder.lines.size(), layers.size());
    EXPECT_EQ(recorder.lines[0], "a.psd (1) → a_a_b_c_.png");
    EXPECT_EQ(recorder.lines[1], "a.psd (2) → " + cut);
    EXPECT_EQ(recorder.lines[2], "a.psd (3) → " + cutAgain);
    if (utf8) {
        // 83 characters fit beside "a_" and ".png".
        std::string kanji;
        for (int i = 0; i < 41; ++i)
            kanji += "背景";
        EXPECT_EQ(recorder.lines[3], "a.psd (4) → a_" + kanji + "背.png");
    }
    for (const std::string& name : {std::string("a_a_b_c_.png"), cut, cutAgain})
        EXPECT_TRUE(sdk::files::IsFile(dir / name)) << name;
}

TEST_F(PsdConversion, RemovingTheMatteChangesTheMergedImageAlone)
{
    option.psdToPngMerged = option.psdToPngLayers = option.removeMatte = true;
    ASSERT_TRUE(Convert(RgbaDocument(4, 3, kThreeLayers)));
    Image expected = ExpectedPixels(-1, 4, 3);
    sdk::graphic::RemoveMatte(expected);
    EXPECT_EQ(Raster(ReadImage(dir / "a.png")), Raster(expected));
    EXPECT_EQ(Raster(ReadImage(dir.Path() + "/a/文字.png")), Raster(ExpectedPixels(2, 1, 3)));
}

TEST_F(PsdConversion, TrimmingOffsetsAndAlphaRemoval)
{
    // On a 4 x 3 canvas: "L", 2 x 2 at (-1, 1), and "M", 2 x 1 at (3, 0), each partly outside.
    const std::vector<LayerShape> layers = {{"L", -1, 1, 2, 2}, {"M", 3, 0, 2, 1}};
    const Bytes document = RgbaDocument(4, 3, layers);
    struct Row {
        bool trim, offset, noAlpha;
    };
    const Row rows[] = {
        {true, true, false}, {false, true, false}, {false, false, false},
        {true, false, true}, {false, true, true},
    };
    for (const Row& row : rows) {
        test_support::TempDir scratch;
        option = cOption();
        option.psdToPngLayers = true;
        option.separator = '_';
        option.pngTrim = row.trim;
        option.pngOffset = row.offset;
        option.pngNoAlpha = row.noAlpha;
        Recorder run;
        WriteBytes(scratch / "a.psd", document);
        ASSERT_TRUE(ConvertFile(run.context, scratch / "a.psd"));
        for (int32_t i = 0; i < 2; ++i) {
            const LayerShape& shape = layers[i];
            const std::string path = scratch / ("a_" + shape.name + ".png");
            SCOPED_TRACE(shape.name + " trim " + std::to_string(row.trim) + " offset " +
                         std::to_string(row.offset) + " no alpha " + std::to_string(row.noAlpha));
            // Trimmed: the canvas with the layer in its place, zero elsewhere. Otherwise the
            // layer's own rectangle, also beyond the canvas.
            Image layer = ExpectedPixels(i, shape.width, shape.height);
            if (row.noAlpha)
                layer = sdk::graphic::ExtractColor(layer);
            const int32_t channels = layer.Channels();
            Image expected = row.trim ? Image(channels, 4, 3) : layer;
            if (row.trim)
                for (int32_t y = 0; y < 3; ++y)
                    for (int32_t x = 0; x < 4; ++x) {
                        const int32_t lx = x - shape.x, ly = y - shape.y;
                        if (lx >= 0 && lx < shape.width && ly >= 0 && ly < shape.height)
                            std::copy_n(sdk::graphic::Pixel(layer, lx, ly), channels,
                                        sdk::graphic::Pixel(expected, x, y));
                    }
            ImageInfo info;
            const Image written = ReadImage(path, &info);
            EXPECT_EQ(written.Width(), expected.Width());
            EXPECT_EQ(written.Channels(), channels);
            EXPECT_EQ(Raster(written), Raster(expected));
            EXPECT_EQ(PngColourType(path), row.noAlpha ? 2 : 6);
            const bool oFFs = !row.trim && row.offset;
            EXPECT_EQ(HasChunk(path, "oFFs"), oFFs);
            EXPECT_EQ(info.x, oFFs ? shape.x : 0);
            EXPECT_EQ(info.y, oFFs ? shape.y : 0);
            EXPECT_EQ(info.title, shape.name);
        }
    }
}

TEST_F(PsdConversion, MngChunksFollowTheOptions)
{
    // "A" at the origin, "B" off it.
    const Bytes document = RgbaDocument(3, 3, {{"A", 0, 0, 2, 2, "norm"}, {"B", 1, 1, 1, 1, "scrn"}});
    struct Row {
        bool offset, title, comment, loop;
        int32_t fps;
        const char* chunks;
    };
    const Row rows[] = {
        {false, false, false, false, 0, "MHDR IHDR IDAT IEND IHDR IDAT IEND MEND"},
        {true, false, false, false, 5, "MHDR IHDR IDAT IEND DEFI IHDR IDAT IEND MEND"},
        {false, true, false, false, 5, "MHDR IHDR tEXt IDAT IEND IHDR tEXt IDAT IEND MEND"},
        {false, false, true, true, 100, "MHDR TERM IHDR tEXt IDAT IEND IHDR tEXt IDAT IEND MEND"},
        {true, true, false, true, 1,
         "MHDR TERM FRAM IHDR tEXt IDAT IEND FRAM DEFI IHDR tEXt IDAT IEND MEND"},
    };
    for (const Row& row : rows) {
        test_support::TempDir scratch;
        option = cOption();
        option.psdToMng = true;
        option.mngOffset = row.offset;
        option.mngTitle = row.title;
        option.mngComment = row.comment;
        option.mngLoop = row.loop;
        option.mngFps = row.fps;
        Recorder run;
        WriteBytes(scratch / "a.psd", document);
        ASSERT_TRUE(ConvertFile(run.context, scratch / "a.psd"));
        const std::string mng = scratch / "a.mng";
        SCOPED_TRACE(row.chunks);
        EXPECT_EQ(ChunkTypes(mng), row.chunks);
        const Bytes mhdr = test_support::ParseChunks(ReadBytes(mng)).at(0).body;
        EXPECT_EQ(Bytes(mhdr.begin(), mhdr.begin() + 12),
                  test_support::Be32(3) + test_support::Be32(3) + test_support::Be32(row.fps));
        EXPECT_EQ(run.lines, std::vector<std::string>({"a.psd → a.mng"}));
        EXPECT_EQ(run.position, 1 + 2 + 2);

        sdk::stream::file_in file(mng);
        file.OpenRead();
        sdk::graphic::ImageLoaderMNG reader(file);
        ASSERT_EQ(reader.LayerCount(), 2);
        ImageInfo info;
        reader.LayerInfo(1, info);
        EXPECT_EQ(info.x, row.offset ? 1 : 0);
        EXPECT_EQ(info.title, row.title ? "B" : "");
        EXPECT_EQ(info.comment, row.comment ? "scrn" : "");
        Image frame;
        reader.LayerLoad(0, frame);
        EXPECT_EQ(Raster(frame), Raster(ExpectedPixels(0, 2, 2)));
    }
}

TEST_F(PsdConversion, FilesThatAreNotConvertedSayNothing)
{
    // A PNG named .psd looks convertible, but its contents pick the PNG reader.
    option.psdToPngMerged = true;
    test_support::TempDir scratch;
    {
        sdk::stream::file_out out(scratch / "fake.psd");
        out.OpenWrite();
        sdk::graphic::ImageSaverPNG saver(out);
        saver.Save(Image(3, 1, 1), ImageInfo());
    }
    EXPECT_TRUE(IsConvertible("fake.psd"));
    EXPECT_FALSE(ConvertFile(recorder.context, scratch / "fake.psd"));
    EXPECT_TRUE(recorder.lines.empty());
    EXPECT_FALSE(sdk::files::IsFile(scratch / "fake.png"));

    // A document without layers writes no MNG and no layer file, and no line for them.
    option.psdToPngMerged = false;
    option.psdToMng = option.psdToPngLayers = true;
    ASSERT_TRUE(Convert(RgbaDocument(2, 2, {})));
    EXPECT_TRUE(recorder.lines.empty());
    EXPECT_EQ(recorder.high, 1);
    EXPECT_EQ(FilesBelow(dir.Path()), std::set<std::string>({"a.psd"}));
}

TEST_F(PsdConversion, HostileLayerNamesStayBelowTheOutputFolder)
{
    const std::vector<std::string> names = {"..\\..\\x", "/etc/x", "C:\\x", "a/../../b",
                                            "..",        ".",      "a:b",  "sub/leaf",
                                            "con",       "Nul.x/com1 "};
    std::vector<LayerShape> layers;
    for (const std::string& name : names)
        layers.push_back({name, 0, 0, 1, 1});
    const Bytes document = RgbaDocument(1, 1, layers);
    ASSERT_TRUE(test_support::MakeFolder(dir / "in"));
    WriteBytes(dir / "in/a.psd", document);

    option.psdToPngLayers = true;
    option.outputFolder = dir / "deep/out";
    ASSERT_TRUE(ConvertFile(recorder.context, dir / "in/a.psd"));
    EXPECT_EQ(FilesBelow(dir.Path()),
              std::set<std::string>({"in/a.psd", "deep/out/a/__/__/x.png", "deep/out/a/etc/x.png",
                                     "deep/out/a/C_/x.png", "deep/out/a/a/__/__/b.png",
                                     "deep/out/a/__.png", "deep/out/a/_.png", "deep/out/a/a_b.png",
                                     "deep/out/a/sub/leaf.png", "deep/out/a/_con.png",
                                     "deep/out/a/_Nul.x/_com1 .png"}));

    // Beside the input, with "_": still only below the input's folder, one file per layer.
    option.outputFolder.clear();
    option.separator = '_';
    ASSERT_TRUE(ConvertFile(recorder.context, dir / "in/a.psd"));
    size_t beside = 0;
    for (const std::string& file : FilesBelow(dir.Path())) {
        EXPECT_TRUE(file.rfind("in/", 0) == 0 || file.rfind("deep/out/a/", 0) == 0) << file;
        beside += file.rfind("in/a_", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(beside, names.size());
}

TEST_F(PsdConversion, AnOutputThatCannotBeWrittenFailsTheFile)
{
    ASSERT_TRUE(test_support::MakeFolder(dir / "a.txt"));
    option.psdToPngMerged = option.textImageInfo = option.psdToPngLayers = true;
    EXPECT_FALSE(Convert(RgbaDocument(4, 3, kThreeLayers)));
    EXPECT_EQ(recorder.lines,
              std::vector<std::string>({"a.psd → a.png", "a.psd → a.txt", "WriteTextInfo:41"}));
    // The merged PNG came first and stays; the layers never started; no temporary file is left.
    EXPECT_EQ(FilesBelow(dir.Path()), std::set<std::string>({"a.psd", "a.png"}));

    // A folder where the MNG should go: the open's tag, as for any file.
    recorder.Reset();
    option = cOption();
    option.psdToMng = true;
    ASSERT_TRUE(test_support::MakeFolder(dir / "a.mng"));
    EXPECT_FALSE(Convert(RgbaDocument(4, 3, kThreeLayers)));
    EXPECT_EQ(recorder.lines,
              std::vector<std::string>({"a.psd → a.mng", "stream_file::OpenWrite:56"}));
    EXPECT_EQ(FilesBelow(dir.Path()), std::set<std::string>({"a.psd", "a.png"}));
}

TEST_F(PsdConversion, LayerGroupsSkippedOrFailing)
{
    // Group markers (empty rectangles) around two pixel layers.
    const Bytes document = RgbaDocument(4, 3, {{"</Layer group>", 0, 0, 0, 0},
                                               {"A", 0, 0, 2, 2},
                                               {"B", 3, 2, 1, 1},
                                               {"G", 0, 0, 0, 0}});
    option.psdToMng = option.psdToPngLayers = true;
    option.textLayerInfo = option.textName = true;
    option.separator = '_';
    option.serialNumber = true;

    // As the window does: the first marker ends the document; the report was already written.
    EXPECT_FALSE(Convert(document));
    ASSERT_EQ(recorder.lines.size(), 2u);
    EXPECT_EQ(recorder.lines[0], "a.psd → a.txt");
    EXPECT_TRUE(recorder.lines[1] == "Image::Create:59" || recorder.lines[1] == "Image::Create:60")
        << recorder.lines[1];
    EXPECT_EQ(FilesBelow(dir.Path()), std::set<std::string>({"a.psd", "a.txt"}));

    // Skipping them: the kept layers keep their document numbers.
    option.skipEmptyLayers = true;
    recorder.Reset();
    ASSERT_TRUE(Convert(document));
    EXPECT_EQ(recorder.lines,
              std::vector<std::string>({"a.psd → a.txt", "a.psd → a.mng",
                                        "a.psd (2) → a_0001.png", "a.psd (3) → a_0002.png"}));
    EXPECT_EQ(recorder.high, 1 + 1 + 2 + 2 + 2);
    EXPECT_EQ(recorder.position, recorder.high);
    EXPECT_EQ(FilesBelow(dir.Path()), std::set<std::string>({"a.psd", "a.txt", "a.mng",
                                                             "a_0001.png", "a_0002.png"}));
    EXPECT_EQ(Raster(ReadImage(dir / "a_0002.png")), Raster(ExpectedPixels(2, 1, 1)));
    EXPECT_EQ(test_support::ReadWholeFile(dir / "a.txt"),
              "[Layer 1]\r\n\tName    = </Layer group>\r\n\r\n[Layer 2]\r\n\tName    = A\r\n\r\n"
              "[Layer 3]\r\n\tName    = B\r\n\r\n[Layer 4]\r\n\tName    = G\r\n\r\n");
    EXPECT_EQ(ChunkTypes(dir / "a.mng"), "MHDR IHDR IDAT IEND IHDR IDAT IEND MEND");

    // A document of markers only is like one without layers.
    recorder.Reset();
    ASSERT_TRUE(Convert(RgbaDocument(2, 2, {{"G", 0, 0, 0, 0}}), "groups.psd"));
    EXPECT_EQ(recorder.lines, std::vector<std::string>({"groups.psd → groups.txt"}));
    EXPECT_FALSE(sdk::files::IsFile(dir / "groups.mng"));
}

// Layer PNGs encoded on several threads give the same lines, files and progress as on one, and
// an output that cannot be opened stops the document at the same layer.
TEST_F(PsdConversion, LayerEncodersChangeNothingButSpeed)
{
    const std::vector<LayerShape> layers = {{"a", 1, 0, 3, 2}, {"b", -1, 1, 2, 2},
                                            {"c", 0, 0, 4, 3}, {"d", 2, 2, 1, 1},
                                            {"e", 0, 1, 2, 1}};
    struct Outcome {
        bool ok;
        std::vector<std::string> lines;
        std::vector<Bytes> files;
        int32_t position;
    };
    auto run = [&](int32_t encoders, bool blocked) {
        test_support::TempDir scratch;
        option = cOption();
        option.psdToPngLayers = option.pngTrim = option.pngNoAlpha = true;
        option.layerEncoders = encoders;
        const std::string path = scratch / "a.psd";
        WriteBytes(path, RgbaDocument(4, 3, layers));
        if (blocked)
            test_support::MakeFolder(scratch.Path() + "/a/c.png");  // a folder in its way
        Recorder recorder;
        Outcome outcome{ConvertFile(recorder.context, path), recorder.lines, {}, recorder.position};
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            const std::string file = scratch.Path() + "/a/" + name + ".png";
            outcome.files.push_back(sdk::files::IsFile(file) ? ReadBytes(file) : Bytes());
        }
        return outcome;
    };
    for (bool blocked : {false, true}) {
        const Outcome serial = run(1, blocked);
        const Outcome parallel = run(3, blocked);
        EXPECT_EQ(serial.ok, !blocked);
        EXPECT_EQ(parallel.ok, serial.ok);
        EXPECT_EQ(parallel.lines, serial.lines);
        EXPECT_EQ(parallel.files, serial.files);
        EXPECT_EQ(parallel.position, serial.position);
    }
}
