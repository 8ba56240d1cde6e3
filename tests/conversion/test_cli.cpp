// quillconv-cli run as a process: usage errors, the files a command line picks and their order,
// the status lines per file, serial and parallel runs that agree with the in-process conversion,
// and outputs that pngcheck and PIL accept.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "conversion/output/OutputFiles.h"
#include "conversion/output/RunOutputs.h"
#include "graphic/bmp/ImageSaverBMP.h"
#include "support/BmpBuilder.h"
#include "support/ManifestSchema.h"

using namespace conversion_test;
using sdk::graphic::Image;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string Quote(const std::string& text) { return "'" + text + "'"; }

// Runs a shell command in folder; standard output and error are kept apart.
Outcome Shell(const std::string& command, const std::string& folder)
{
    test_support::TempDir capture;
    const std::string line = "cd " + Quote(folder) + " && " + command + " >" +
                             Quote(capture / "out") + " 2>" + Quote(capture / "err");
    const int status = std::system(line.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = test_support::ReadWholeFile(capture / "out");
    outcome.err = test_support::ReadWholeFile(capture / "err");
    return outcome;
}

Outcome Cli(const std::string& arguments, const std::string& folder = ".")
{
    return Shell(Quote(QUILLCONV_CLI) + " " + arguments, folder);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// Every file below root with its contents, by path relative to root.
std::map<std::string, std::string> Tree(const std::string& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(root).generic_string()] =
                test_support::ReadWholeFile(entry.path().string());
    return files;
}

const std::vector<LayerShape> kLayers = {
    {"\x94\x77\x8c\x69", 0, 0, 4, 3, "norm"},  // 背景
    {"", -1, 1, 2, 2, "mul "},
    {"\x95\xb6\x8e\x9a", 2, -2, 1, 3, "zzzz"},  // 文字
};

// A folder of inputs: PSDs (one cut short), BMPs, a PNG, a text file; x.bmp and x.psd share an
// output base.
class CliRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        work = dir / "work";
        for (const char* folder : {"work", "work/sub", "work/sub/deeper"})
            ASSERT_TRUE(test_support::MakeFolder(dir / folder));
        const Bytes document = RgbaDocument(4, 3, kLayers);
        WriteBytes(work + "/sub/deeper/d.psd", document);
        WriteBytes(work + "/a.psd", document);
        WriteBytes(work + "/x.psd", RgbaDocument(2, 2, {{"L", 0, 0, 1, 1}}));
        WriteBytes(work + "/broken.psd", Bytes(document.begin(), document.begin() + 60));
        Image colour(3, 3, 2);
        for (int32_t i = 0; i < colour.Size(); ++i)
            colour.Data()[i] = static_cast<uint8_t>(i * 11);
        sdk::graphic::SaveBMP(colour, work + "/sub/b.bmp");
        sdk::graphic::SaveBMP(colour, work + "/x.bmp");
        SavePng(colour, work + "/c.png");
        test_support::WriteWholeFile(work + "/notes.txt", "not a picture");
    }

    test_support::TempDir dir;
    std::string work;
};

const char kOptions[] =
    "--psd-png --psd-layers --psd-mng --info --layer-info --bmp-png --mng-offset --mng-title "
    "--mng-comment --mng-loop --fps=10 --png-offset -q --like-window";

bool HasTemporaryFile(const std::string& folder)
{
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0)
            return true;
    }
    return false;
}

bool HaveCommand(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

TEST(Cli, UsageErrorsGiveAReasonAndStatus2)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--bmp-png --png-bmp a.bmp", "--bmp-png and --png-bmp"},
        {"--frobnicate a.psd", "unknown option --frobnicate"},
        {"--psd-png --fps=101 a.psd", "--fps"},
        {"--psd-png", "no file or folder"},
        {"--layer-info=name,size a.psd", "'size'"},
        {"--naming=dots a.psd", "--naming"},
        {"--png-bmp --alpha=rgba a.png", "none, file, split or bgra"},
        {"a.psd", "no conversion chosen"},
        {"--psd-png --jobs", "--jobs needs a value"},
        {"--psd-png -nx a.psd", "unknown option -x"},
        {"--psd-png --quiet=yes a.psd", "--quiet takes no value"},
        {"--psd-png --color=vivid a.psd", "--color is auto, srgb, keep or none"},
        {"--psd-png --cmyk-profile=none.icc a.psd", "--cmyk-profile: none.icc: there is no such file"},
        {"--mng a.psd",
         "--mng is ambiguous: it could be --mng-offset, --mng-title, --mng-comment or --mng-loop"},
        {"--psd-png --comp= a.psd", "--comp needs the name of a layer comp"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Cli(c.first);
        EXPECT_EQ(outcome.status, 2) << c.first;
        EXPECT_EQ(outcome.out, "") << c.first;
        const std::vector<std::string> lines = Lines(outcome.err);
        ASSERT_EQ(lines.size(), 2u) << outcome.err;
        EXPECT_EQ(lines[0].rfind("quillconv-cli: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(c.second), std::string::npos) << lines[0];
        EXPECT_NE(lines[1].find("--help"), std::string::npos);
    }
    // An output folder that cannot be one is refused once, with the system's reason.
    test_support::TempDir dir;
    test_support::WriteWholeFile(dir / "file", "");
    for (const char* folder : {"file", "file/sub"}) {
        const Outcome outcome = Cli(std::string("--psd-png -o ") + folder + " a.psd", dir.Path());
        EXPECT_EQ(outcome.status, 2) << folder;
        EXPECT_EQ(Lines(outcome.err).at(0).rfind(std::string("quillconv-cli: -o ") + folder, 0), 0u)
            << outcome.err;
    }
    EXPECT_NE(Cli("--psd-png -o file/sub a.psd", dir.Path()).err.find("Not a directory"),
              std::string::npos);
}

TEST(Cli, OptionsInTheFormsUsersType)
{
    test_support::TempDir dir;
    WriteBytes(dir / "-x.psd", RgbaDocument(1, 1, {{"L", 0, 0, 1, 1}}));
    // Bundled short options, values attached or apart, "--" before a path that looks like one.
    Outcome outcome = Cli("-nq -j2 --jobs 2 --output out --psd-png -- -x.psd", dir.Path());
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "-x.psd\n");
    outcome = Cli("-qj1 -oout --psd-png -- -x.psd", dir.Path());
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(test_support::Exists(dir / "out/-x.png"));
}

TEST(Cli, HelpNamesEveryOptionAndVersionGivesTheTitle)
{
    const Outcome help = Cli("--help");
    EXPECT_EQ(help.status, 0);
    for (const std::string& line : Lines(help.out))
        EXPECT_LE(line.size() - (line.find("→") != std::string::npos ? 2 : 0), 80u) << line;
    for (const char* name :
         {"--", "--remove-matte", "--psd-mng", "--psd-png", "--psd-layers", "--info", "--layer-info", "--bmp-png",
          "--png-bmp", "--alpha", "--output", "--compression", "--fill-blank", "--invert-alpha",
          "--mng-offset", "--mng-title", "--mng-comment", "--mng-loop", "--fps", "--png-offset",
          "--trim", "--no-alpha", "--naming", "--skip-empty-layers", "--jobs", "--dry-run",
          "--quiet", "--verbose", "--version", "--extended", "--compose", "--as-shown", "--comp=",
          "--smart-objects", "Examples"})
        EXPECT_NE(help.out.find(name), std::string::npos) << name;

    const Outcome version = Cli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Quillmark Version 1.2(1.2.3.60)\n");
}

TEST(Cli, AWriteThatFailsPartWayLeavesTheEarlierOutputWhole)
{
    test_support::TempDir dir;
    WriteBytes(dir / "a.psd", RgbaDocument(256, 256, {{"A", 0, 0, 256, 256}, {"B", 0, 0, 256, 256}}));
    test_support::WriteWholeFile(dir / "debug.txt", "the user's own");
    ASSERT_EQ(Cli("-q --psd-mng --info a.psd", dir.Path()).status, 0);
    const auto before = Tree(dir.Path());
    ASSERT_GT(before.at("a.mng").size(), 8192u);

    // The disk fills up: files may not grow beyond 4 KiB (the shell counts 512-byte blocks).
    const std::string full = Shell("ulimit -f 8; trap '' XFSZ; " + Quote(QUILLCONV_CLI) +
                                       " -q --like-window --psd-mng --info a.psd",
                                   dir.Path())
                                 .err;
    const Outcome outcome = Shell("ulimit -f 8; trap '' XFSZ; " + Quote(QUILLCONV_CLI) +
                                      " -q --like-window --verbose --psd-mng --info a.psd",
                                  dir.Path());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "a.psd → a.txt\na.psd → a.mng\nfile_out::Write:63\n変換失敗[a.psd]\n");
    // The earlier MNG byte for byte, no temporary file, and the user's debug.txt untouched: the
    // record of the failure went to standard error, after it the failure in words.
    EXPECT_EQ(Tree(dir.Path()), before);
    EXPECT_NE(outcome.err.find("FILE_PATH: a.mng\n"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("quillconv-cli: a.psd: an output could not be written in full: "
                               "File too large; is the disk full? (file_out::Write:63)\n"),
              std::string::npos)
        << outcome.err;
    // Without --verbose the record is left out, and the explanation alone is said.
    EXPECT_EQ(full, "quillconv-cli: a.psd: an output could not be written in full: File too "
                    "large; is the disk full? (file_out::Write:63)\n");

    // With the command line's own defaults, standard output lists only what was written.
    const Outcome honest = Shell("ulimit -f 8; trap '' XFSZ; " + Quote(QUILLCONV_CLI) +
                                     " --psd-mng --info a.psd",
                                 dir.Path());
    EXPECT_EQ(honest.status, 1);
    EXPECT_EQ(honest.out, "a.psd → a.txt\n");
    EXPECT_EQ(Tree(dir.Path()), before);
}

TEST(Cli, AnInterruptedRunLeavesNoTemporaryFile)
{
    test_support::TempDir dir;
    WriteBytes(dir / "a.psd", RgbaDocument(512, 512, {{"A", 0, 0, 512, 512}, {"B", 0, 0, 512, 512}}));
    // The document under many names keeps the program busy writing one MNG after another.
    std::vector<std::string> arguments = {QUILLCONV_CLI, "-q", "-j", "1", "--psd-mng",
                                          "--compression=ratio"};
    for (int i = 0; i < 200; ++i) {
        arguments.push_back(dir / ("a" + std::to_string(i) + ".psd"));
        ASSERT_EQ(link((dir / "a.psd").c_str(), arguments.back().c_str()), 0);
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const std::string errors = dir / "err";
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT, 0644);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Interrupted while an output is being written; the program must end within seconds.
    bool seen = false;
    int status = 0;
    for (int wait = 0; wait < 40000 && !seen; ++wait) {
        seen = HasTemporaryFile(dir.Path());
        if (!seen && waitpid(child, &status, WNOHANG) == child)
            FAIL() << "the run ended before any output was being written";
        usleep(250);
    }
    kill(child, SIGINT);
    pid_t ended = 0;
    for (int wait = 0; wait < 1000 && ended == 0; ++wait) {
        ended = waitpid(child, &status, WNOHANG);
        usleep(10000);
    }
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the run went on after the interrupt";
    }
    EXPECT_TRUE(seen);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_FALSE(HasTemporaryFile(dir.Path()));
    const std::string said = test_support::ReadWholeFile(errors);
    EXPECT_EQ(said.rfind("quillconv-cli: interrupted; ", 0), 0u) << said;
    EXPECT_NE(said.find(" of 200 files done\n"), std::string::npos) << said;
}

TEST_F(CliRun, NamedPathsFolderOrderAndDryRun)
{
    const auto before = Tree(dir.Path());
    test_support::WriteWholeFile(dir / "photo.jpg", "jpeg");
    // A folder lists the files of its subfolders first, deepest first, then its own, by name;
    // a file met again keeps its first place only.
    Outcome outcome = Cli("-n --psd-png --bmp-png work missing.psd photo.jpg work/c.png "
                          "./work/a.psd work//sub/../x.psd",
                          dir.Path());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(Lines(outcome.out),
              std::vector<std::string>({"work/sub/deeper/d.psd", "work/sub/b.bmp", "work/a.psd",
                                        "work/broken.psd", "work/x.bmp", "work/x.psd"}));
    EXPECT_NE(outcome.err.find("missing.psd"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("photo.jpg: skipped"), std::string::npos) << outcome.err;
    // Nothing was written.
    auto after = Tree(dir.Path());
    after.erase("photo.jpg");
    EXPECT_EQ(after, before);

    // Without the missing path every file converts: status 0.
    outcome = Cli("-q --like-window --bmp-png work/sub/b.bmp photo.jpg", dir.Path());
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "b.bmp → b.png\n");
    EXPECT_EQ(Lines(outcome.err).size(), 1u);
}

TEST_F(CliRun, LayerGroupsFailUnlessEmptyLayersAreSkipped)
{
    WriteBytes(dir / "g.psd", RgbaDocument(2, 2, {{"<group end>", 0, 0, 0, 0}, {"A", 0, 0, 1, 1}}));
    const std::string command = "-q --like-window --psd-layers --naming=underscore-serial g.psd";
    Outcome outcome = Cli(command, dir.Path());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "Image::Create:59\n変換失敗[g.psd]\n");
    EXPECT_FALSE(test_support::Exists(dir / "g_0001.png"));

    EXPECT_EQ(outcome.err, "quillconv-cli: g.psd: layer 1 \"<group end>\": a layer without "
                           "pixels, such as a group: --skip-empty-layers leaves such layers out "
                           "(Image::Create:59)\n");

    outcome = Cli("--skip-empty-layers " + command, dir.Path());
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "g.psd (2) → g_0001.png\n");
    EXPECT_TRUE(test_support::Exists(dir / "g_0001.png"));
}

TEST_F(CliRun, ComposeAndAsShownDrawTheLayersAndTheReportSaysHow)
{
    WriteBytes(dir / "c.psd", RgbaDocument(2, 2, {{"A", 0, 0, 1, 1}}));
    const Outcome outcome =
        Cli("-q --like-window --psd-png --psd-layers --compose --as-shown --info --layer-info=name "
            "--naming=underscore-serial c.psd",
            dir.Path());
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "c.psd → c.png\nc.psd → c.txt\nc.psd (1) → c_0000.png\n");
    const std::string report = test_support::ReadWholeFile(dir / "c.txt");
    EXPECT_NE(report.find("\tComposed     = from the layers\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("\tShown   = pixel layer, visible, mode normal [norm], opacity 255, "
                          "fill 255\r\n"),
              std::string::npos)
        << report;
}

TEST_F(CliRun, AsShownLayersGrowByTheirEffectsAndTheManifestKeepsTheStoredRectangle)
{
    // Layer "A" (2 x 2 at 2, 2) with a 1-pixel outside stroke: as shown, 4 x 4 at 1, 1.
    using test_support::DescriptorWriter;
    test_support::ByteWriter effects;
    effects.U32(0).Append(DescriptorWriter()
                              .Object("FrFX", DescriptorWriter("FrFX")
                                                  .Bool("enab", true)
                                                  .Enum("Styl", "FStl", "OutF")
                                                  .Unit("Sz  ", "#Pxl", 1))
                              .Versioned());
    LayerShape layer{"A", 2, 2, 2, 2};
    layer.additional = test_support::LayerBlock("lfx2", effects.Data());
    WriteBytes(dir / "s.psd", RgbaDocument(6, 6, {layer}));
    const Outcome outcome =
        Cli("-q --psd-layers --as-shown --png-offset --manifest --naming=underscore-serial s.psd",
            dir.Path());
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    sdk::graphic::ImageInfo info;
    const sdk::graphic::Image shown = ReadImage(dir / "s_0000.png", &info);
    EXPECT_EQ(4, shown.Width());
    EXPECT_EQ(4, shown.Height());
    EXPECT_EQ(1, info.x);
    EXPECT_EQ(1, info.y);
    const std::string manifest = test_support::ReadWholeFile(dir / "s.json");
    test_support::ExpectManifestMatchesSchema(dir / "s.json");
    EXPECT_NE(manifest.find("\"rect\": {\"x\": 1, \"y\": 1, \"width\": 4, \"height\": 4}"),
              std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find("\"storedRect\": {\"x\": 2, \"y\": 2, \"width\": 2, \"height\": 2}"),
              std::string::npos)
        << manifest;
}

TEST_F(CliRun, ACompTheDocumentLacksIsExplainedByTheCompsItHas)
{
    using test_support::DescriptorWriter;
    auto comp = [](const std::string& name, int32_t id) {
        return DescriptorWriter("Comp")
            .Text("Nm  ", name)
            .Long("compID", id)
            .Long("capturedInfo", 7);
    };
    const Bytes comps = test_support::ImageResource(
        1065, DescriptorWriter("CompList")
                  .List("list", {comp("Day", 1), comp("Night", 2), comp("Dusk", 3)})
                  .Versioned());
    WriteBytes(dir / "c.psd", RgbaDocument(2, 2, {{"A", 0, 0, 1, 1}}, comps));
    WriteBytes(dir / "n.psd", RgbaDocument(2, 2, {{"A", 0, 0, 1, 1}}));
    Outcome outcome = Cli("-q --psd-png --comp=Noon c.psd n.psd", dir.Path());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err,
              "quillconv-cli: c.psd: the document has no layer comp named \"Noon\": its layer "
              "comps are \"Day\", \"Night\" and \"Dusk\" (ConvertPsd:740)\n"
              "quillconv-cli: n.psd: the document has no layer comp named \"Noon\": it has no "
              "layer comps (ConvertPsd:740)\n");
    EXPECT_FALSE(test_support::Exists(dir / "c.png"));

    // With the window's ways the window's lines, and the comp found converts.
    outcome = Cli("-q --like-window --psd-png --comp=Noon c.psd", dir.Path());
    EXPECT_EQ(outcome.out, "ConvertPsd:740\n変換失敗[c.psd]\n");
    outcome = Cli("-q --like-window --psd-png --comp=Night c.psd", dir.Path());
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "c.psd → c.png\n");
}

TEST_F(CliRun, WhatTheDrawingLeavesOutIsSaidOnStandardError)
{
    // Layer "A" with an enabled pattern overlay of a pattern the document does not hold, which
    // is not drawn: an effects version, then the descriptor.
    using test_support::DescriptorWriter;
    test_support::ByteWriter effects;
    effects.U32(0).Append(
        DescriptorWriter()
            .Object("patternFill", DescriptorWriter("patternFill")
                                       .Bool("enab", true)
                                       .Object("Ptrn", DescriptorWriter("Ptrn").Text("Idnt", "x")))
            .Versioned());
    LayerShape layer{"A", 0, 0, 1, 1};
    layer.additional = test_support::LayerBlock("lfx2", effects.Data());
    WriteBytes(dir / "e.psd", RgbaDocument(2, 2, {layer}));
    const std::string said = "quillconv-cli: e.psd: layer 1 \"A\": pattern overlay not drawn\n";
    EXPECT_NE(Cli("-q --psd-png --compose e.psd", dir.Path()).err.find(said), std::string::npos);
    EXPECT_EQ(Cli("-q --psd-png e.psd", dir.Path()).err, "");
}

TEST_F(CliRun, ExtendedReadsLargeAndDeepDocumentsAndListsPsbFiles)
{
    ASSERT_TRUE(test_support::MakeFolder(dir / "more"));
    test_support::PsdBuilder large;
    large.version = 2;
    large.planes = {{1}, {2}, {3}};
    WriteBytes(dir / "more/big.psb", large.Build());
    test_support::PsdBuilder deep;
    deep.depth = 16;
    deep.planes = {test_support::Widen16({1}), test_support::Widen16({2}), test_support::Widen16({3})};
    WriteBytes(dir / "more/deep.psd", deep.Build());

    Outcome outcome = Cli("-q --like-window --psd-png more", dir.Path());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "ImageLoaderPSD::Scan:123\n変換失敗[more/deep.psd]\n");
    EXPECT_NE(outcome.err.find("without --extended only 8-bit"), std::string::npos) << outcome.err;

    outcome = Cli("-q --like-window --extended --psd-png more", dir.Path());
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "big.psb → big.png\ndeep.psd → deep.png\n");
}

TEST_F(CliRun, ExtendedReadsEveryBmpAndSaysWhyOthersFail)
{
    test_support::BmpBuilder four;
    four.bitCount = 4;
    four.width = 2;
    four.clrUsed = 2;
    four.AddColour(1, 2, 3).AddColour(4, 5, 6).AddRow({0x10});
    WriteBytes(dir / "four.bmp", four.Build());

    Outcome outcome = Cli("-q --like-window --bmp-png four.bmp", dir.Path());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("--extended reads 1-, 2- and 4-bit files (ImageLoaderBMP::LoadInfo:124)"),
              std::string::npos)
        << outcome.err;
    outcome = Cli("-q --extended --bmp-png four.bmp", dir.Path());
    EXPECT_EQ(outcome.status, 0) << outcome.err;

    four.compression = 4;  // JPEG
    WriteBytes(dir / "four.bmp", four.Build());
    outcome = Cli("-q --extended --bmp-png four.bmp", dir.Path());
    EXPECT_NE(outcome.err.find("embedded JPEG or PNG"), std::string::npos) << outcome.err;
}

TEST_F(CliRun, OnATerminalTheProgressLineNeverJoinsAnotherLine)
{
    if (!HaveCommand("script"))
        GTEST_SKIP() << "script (util-linux) is not installed";
    // Standard output and error on one terminal, as a user sees them.
    const Outcome run = Shell("script -qec \"" + std::string(QUILLCONV_CLI) +
                                  " -j 1 --like-window --psd-png --psd-mng --bmp-png work\" "
                                  "/dev/null",
                              dir.Path());
    ASSERT_NE(run.out.find("[1/6]"), std::string::npos) << run.out;  // the progress line showed
    size_t status_lines = 0;
    for (std::string line : Lines(run.out)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // What stays on screen of this line: the text after the last return, past the clearing.
        std::string shown = line.substr(line.rfind('\r') == std::string::npos ? 0 : line.rfind('\r') + 1);
        if (shown.rfind("\033[K", 0) == 0)
            shown.erase(0, 3);
        if (shown.find("→") != std::string::npos || shown.find("変換失敗") != std::string::npos) {
            ++status_lines;
            EXPECT_NE(shown[0], '[') << shown;
        }
    }
    EXPECT_EQ(status_lines, 9u) << run.out;
    // Nothing of the progress line is left after the run; the summary ends it.
    EXPECT_NE(run.out.find("quillconv-cli: 4 converted, 2 failed, 0 skipped\r\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.substr(run.out.rfind('\n') + 1).find('['), std::string::npos) << run.out;

    // A name wider than the terminal (which tells its width by COLUMNS here) loses its start.
    const std::string name = std::string(60, 'n') + ".psd";
    ASSERT_EQ(link((work + "/a.psd").c_str(), (dir / name).c_str()), 0);
    const Outcome narrow = Shell("COLUMNS=30 script -qec \"" + std::string(QUILLCONV_CLI) +
                                     " --psd-png -o out " + name + "\" /dev/null",
                                 dir.Path());
    size_t drawn = 0;
    for (size_t at = narrow.out.find("\033[K["); at != std::string::npos;
         at = narrow.out.find("\033[K[", at + 1), ++drawn) {
        const std::string shown = narrow.out.substr(at + 3, narrow.out.find('\r', at) - at - 3);
        EXPECT_LE(shown.size(), 29u) << shown;
        EXPECT_NE(shown.find("...nnn"), std::string::npos) << shown;
    }
    EXPECT_GT(drawn, 0u) << narrow.out;
}

TEST_F(CliRun, WhatGivesNothingIsSaid)
{
    // Files that are not what their names say; a document of groups alone; a link to a folder.
    test_support::WriteWholeFile(work + "/empty.psd", "");
    test_support::WriteWholeFile(work + "/c.psd", test_support::ReadWholeFile(work + "/c.png"));
    WriteBytes(work + "/groups.psd", RgbaDocument(2, 2, {{"<group end>", 0, 0, 0, 0}}));
    ASSERT_EQ(symlink("sub", (work + "/link").c_str()), 0);
    const Outcome outcome =
        Cli("-q --psd-layers --skip-empty-layers work/empty.psd work/c.psd work/groups.psd",
            dir.Path());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(Lines(outcome.err),
              std::vector<std::string>(
                  {"quillconv-cli: work/empty.psd: an empty file",
                   "quillconv-cli: work/c.psd: its contents are PNG, which the chosen conversions "
                   "do not take from a file named like this one",
                   "quillconv-cli: work/groups.psd: nothing written: the document has no layers "
                   "with pixels for the layer PNGs"}));

    const Outcome none = Cli("-q --png-bmp work/sub", dir.Path());
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(Cli("-n --png-bmp work", dir.Path()).err,
              "quillconv-cli: work/link: a link to a folder, not followed\n");
    EXPECT_EQ(none.err, "quillconv-cli: nothing to convert: no file named or found is one that "
                        "the chosen conversions take\n");
}

TEST_F(CliRun, WhatANewUserTripsOverIsSaid)
{
    // A pipe would block the run; a .psb file without --extended; an option without its
    // conversion.
    ASSERT_EQ(mkfifo((work + "/pipe.psd").c_str(), 0644), 0);
    WriteBytes(work + "/big.psb", RgbaDocument(2, 2, {}));
    Outcome outcome =
        Cli("-n --like-window --psd-png --fps=5 work/pipe.psd work/big.psb work/a.psd", dir.Path());
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "work/a.psd\n");
    EXPECT_EQ(Lines(outcome.err),
              std::vector<std::string>(
                  {"quillconv-cli: --fps has no effect without --psd-mng or --psd-apng",
                   "quillconv-cli: work/pipe.psd: not a regular file (a pipe, a device or a "
                   "socket), skipped",
                   "quillconv-cli: work/big.psb: skipped (a .psb file; --extended reads those)"}));
    EXPECT_NE(Cli("-n --like-window --psd-png work", dir.Path()).err.find("work: 1 .psb file left out; "
                                                           "--extended reads those"),
              std::string::npos);

    // A bitmap document is not taken for a deep one.
    test_support::PsdBuilder bitmap;
    bitmap.depth = 1;
    bitmap.colorMode = 0;
    bitmap.channels = 1;
    bitmap.width = 8;
    bitmap.planes = {{0x5A}};
    WriteBytes(dir / "bits.psd", bitmap.Build());
    EXPECT_EQ(Cli("-q --like-window --psd-png bits.psd", dir.Path()).err,
              "quillconv-cli: bits.psd: a bitmap (1-bit) document: without --extended only 8-bit "
              "gray, indexed and RGB documents are read (ImageLoaderPSD::Scan:123)\n");

    // A document saved without its composite stores a blank merged image.
    test_support::PsdBuilder blank;
    blank.width = blank.height = 2;
    blank.planes = {Bytes(4, 255), Bytes(4, 255), Bytes(4, 255)};
    test_support::PsdLayer layer(0, 0, 1, 1);
    layer.name = "A";
    for (int16_t c : {0, 1, 2})
        layer.Add(test_support::RawChannel(c, {9}));
    blank.layers.push_back(layer);
    WriteBytes(dir / "blank.psd", blank.Build());
    outcome = Cli("-q --psd-png blank.psd", dir.Path());
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "quillconv-cli: blank.psd: the merged image the document stores is "
                           "blank, all white (it was saved without one, perhaps), though its "
                           "visible layers have pixels; --compose draws the merged image from the "
                           "layers\n");
    EXPECT_EQ(Cli("-q --psd-png --compose blank.psd", dir.Path()).err, "");
}

TEST(Cli, AReaderThatStopsEndsTheRunWithoutTemporaryFiles)
{
    test_support::TempDir dir;
    WriteBytes(dir / "a.psd", RgbaDocument(256, 256, {{"A", 0, 0, 256, 256}}));
    std::string names;
    for (int i = 0; i < 50; ++i) {
        const std::string name = "a" + std::to_string(i) + ".psd";
        ASSERT_EQ(link((dir / "a.psd").c_str(), (dir / name).c_str()), 0);
        names += " " + name;
    }
    // The shell waits for both ends of the pipe; the tool ends at its next line.
    const Outcome outcome = Shell("( " + Quote(QUILLCONV_CLI) +
                                      " -j1 --psd-mng --compression=ratio" + names +
                                      "; echo $? >status ) | head -1",
                                  dir.Path());
    EXPECT_EQ(outcome.out, "a0.psd → a0.mng\n");
    EXPECT_EQ(test_support::ReadWholeFile(dir / "status"), "141\n");
    EXPECT_FALSE(HasTemporaryFile(dir.Path()));
    EXPECT_FALSE(test_support::Exists(dir / "a49.mng"));
}

TEST_F(CliRun, SerialAndParallelRunsMatchTheConversionItself)
{
    const Outcome serial = Cli(std::string(kOptions) + " -j 1 -o out1 work", dir.Path());
    const Outcome parallel = Cli(std::string(kOptions) + " -j 4 -o out2 work", dir.Path());
    EXPECT_EQ(serial.status, 1);  // broken.psd
    EXPECT_EQ(parallel.status, 1);
    EXPECT_EQ(parallel.out, serial.out);
    EXPECT_EQ(parallel.err, serial.err);
    // Each failure is explained in words on standard error, with its tag.
    EXPECT_EQ(Lines(serial.err),
              std::vector<std::string>(
                  {"quillconv-cli: work/broken.psd: the PSD file is damaged or cut short "
                   "(ImageLoaderPSD::Scan:158)",
                   "quillconv-cli: work/x.psd: another input of this run already wrote an output "
                   "of the same name; convert one of them in another run or into another folder "
                   "(-o) (RunOutputs::Claim:31)"}));

    // What the conversion itself reports for each file of one run, in the folder's order, with
    // the failure line after a file that fails.
    const std::vector<std::string> order = {"work/sub/deeper/d.psd", "work/sub/b.bmp",
                                            "work/a.psd", "work/broken.psd", "work/x.bmp",
                                            "work/x.psd"};
    std::string expected;
    {
        test_support::ScopedCurrentDir here(dir.Path());
        option = cOption();
        option.psdToPngMerged = option.psdToPngLayers = option.psdToMng = true;
        option.textImageInfo = option.textLayerInfo = true;
        option.textName = option.textPosition = option.textMode = true;
        option.bmpToPng = true;
        option.mngOffset = option.mngTitle = option.mngComment = option.mngLoop = true;
        option.mngFps = 10;
        option.pngOffset = true;
        option.outputFolder = "out3";
        RunOutputs outputs;
        for (const std::string& path : order) {
            Recorder run;
            run.context.outputs = &outputs;
            const bool ok = ConvertFile(run.context, path);
            for (const std::string& line : run.lines)
                expected += line + "\n";
            if (!ok)
                expected += "変換失敗[" + path + "]\n";
        }
        option = cOption();
    }
    EXPECT_EQ(serial.out, expected);
    const std::vector<std::string> lines = Lines(serial.out);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "d.psd → d.png");
    EXPECT_EQ(lines[6], "b.bmp → b.png");

    // The same files, byte for byte, however they were converted; x.png is the BMP's, since
    // x.psd comes after x.bmp and may not replace it.
    const auto files = Tree(dir / "out1");
    EXPECT_EQ(Tree(dir / "out2"), files);
    EXPECT_EQ(Tree(dir / "out3"), files);
    EXPECT_EQ(files.count("d.mng"), 1u);
    EXPECT_EQ(files.count("a/文字.png"), 1u);
    EXPECT_EQ(files.count("x/L.png"), 0u);
    EXPECT_EQ(files.count("broken.png"), 0u);
    EXPECT_EQ(ReadImage(dir / "out1/x.png").Channels(), 3);
}

TEST_F(CliRun, IndependentReadersAcceptTheOutputs)
{
    ASSERT_EQ(Cli(std::string(kOptions) + " --compression=speed --fill-blank -o out work/a.psd",
                  dir.Path())
                  .status,
              0);
    if (!HaveCommand("pngcheck")) {
        GTEST_SKIP() << "pngcheck is not installed";
    }
    for (const auto& file : Tree(dir / "out")) {
        const std::string& name = file.first;
        const std::string ending = name.substr(name.size() - 4);
        if (ending != ".png" && ending != ".mng")
            continue;
        const Outcome check = Shell("pngcheck -v " + Quote(name), dir / "out");
        EXPECT_EQ(check.status, 0) << name << "\n" << check.out;
    }
    // The Comment texts carry the blend-mode keys. (pngcheck shows the UTF-8 names of iTXt
    // chunks by their length only, so they are left out here.)
    ASSERT_EQ(Cli("-q --psd-mng --mng-comment -o plain work/a.psd", dir.Path()).status, 0);
    const Outcome texts = Shell("pngcheck -t a.mng", dir / "plain");
    EXPECT_EQ(texts.status, 0) << texts.out;
    EXPECT_NE(texts.out.find("Comment:\n    norm\nComment:\n    mul \nComment:\n    zzzz\n"),
              std::string::npos)
        << texts.out;

    if (std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "PIL is not installed for /usr/bin/python3";
    // PIL's decode of the merged PNG: the document's merged image, alpha and all.
    const Outcome decoded = Shell(
        "/usr/bin/python3 -c 'from PIL import Image; "
        "print(Image.open(\"out/a.png\").convert(\"RGBA\").tobytes().hex())'",
        dir.Path());
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    const Image merged = ExpectedPixels(-1, 4, 3);
    std::string hex;
    for (int32_t i = 0; i < merged.Size(); i += 4) {
        const uint8_t* p = merged.Data() + i;
        char text[9];
        std::snprintf(text, sizeof text, "%02x%02x%02x%02x", p[3], p[2], p[1], p[0]);
        hex += text;
    }
    EXPECT_EQ(decoded.out, hex + "\n");
}

TEST_F(CliRun, TheCommandLinesOwnDefaults)
{
    // A large document, and a group that has no pixels.
    test_support::PsdBuilder large;
    large.version = 2;
    large.planes = {{1}, {2}, {3}};
    WriteBytes(work + "/big.psb", large.Build());
    WriteBytes(work + "/sub/g.psd", RgbaDocument(2, 2, {{"<group end>", 0, 0, 0, 0}, {"A", 0, 0, 1, 1}}));
    const Outcome outcome = Cli("--psd-png --psd-layers --psd-mng --bmp-png -o out work", dir.Path());
    EXPECT_EQ(outcome.status, 1);  // broken.psd
    // A line for each output once written, the paths as written; nothing for the failure.
    const std::vector<std::string> lines = Lines(outcome.out);
    for (const char* line : {"work/sub/deeper/d.psd → out/sub/deeper/d.png",
                             "work/sub/deeper/d.psd → out/sub/deeper/d.mng",
                             "work/sub/g.psd → out/sub/g/A.png", "work/big.psb → out/big.png",
                             "work/x.bmp → out/x.png", "work/x.psd → out/x_psd.png",
                             "work/x.psd → out/x_psd/L.png"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    EXPECT_EQ(outcome.out.find("broken"), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.out.find("変換失敗"), std::string::npos) << outcome.out;
    // Every line names a file that is there.
    for (const std::string& line : lines)
        EXPECT_TRUE(test_support::Exists(dir / line.substr(line.find("→ ") + 4))) << line;
    EXPECT_EQ(Lines(outcome.err),
              std::vector<std::string>(
                  {"quillconv-cli: work/broken.psd: the PSD file is damaged or cut short "
                   "(ImageLoaderPSD::Scan:158)",
                   "quillconv-cli: work/x.psd: outputs named after x_psd, since work/x.bmp of "
                   "this run writes those named after x",
                   "quillconv-cli: 7 converted, 1 failed, 0 skipped"}));

    // The defaults are the window's ways with the options that the command line implies.
    const std::string window_ways =
        "-q --like-window --extended --remove-matte --fps=10 --psd-png --psd-layers --psd-mng ";
    ASSERT_EQ(Cli(window_ways + "-o like work/a.psd", dir.Path()).status, 0);
    ASSERT_EQ(Cli(window_ways + "-o like/sub work/sub/g.psd", dir.Path()).status, 0);
    const auto like = Tree(dir / "like");
    EXPECT_EQ(like.size(), 8u);
    for (const auto& file : like)
        EXPECT_EQ(file.second, test_support::ReadWholeFile(dir / ("out/" + file.first))) << file.first;
    const std::string mng = like.at("a.mng");
    EXPECT_EQ(mng.substr(24, 4), std::string("\0\0\0\x0a", 4));  // 10 ticks per second

    // The window's colours are the numbers as decoded, whatever is asked.
    const Outcome colors = Cli("--like-window --color=srgb --psd-png -o colors work/a.psd", dir.Path());
    EXPECT_NE(colors.err.find("--color has no effect with --like-window"), std::string::npos);
    EXPECT_EQ(test_support::ReadWholeFile(dir / "colors/a.png").find("sRGB"), std::string::npos);

    // -q leaves the failures alone.
    const Outcome quiet = Cli("-q --psd-png -o quiet work", dir.Path());
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(Lines(quiet.err).size(), 1u) << quiet.err;
}

TEST_F(CliRun, JsonLinesForEveryOutputFailureAndSkip)
{
    ASSERT_EQ(mkfifo((work + "/pipe.psd").c_str(), 0644), 0);
    WriteBytes(work + "/only.psd", RgbaDocument(2, 2, {{"<group end>", 0, 0, 0, 0}}));
    // Each object parsed, its bytes checked against the file, and shown as one line of text.
    const std::string show =
        "python3 -c 'import json, os, sys\n"
        "for line in sys.stdin:\n"
        "    o = json.loads(line); t = o.pop(\"type\"); assert o.pop(\"version\") == 1\n"
        "    if t == \"output\": assert o.pop(\"bytes\") == os.path.getsize(o.pop(\"output\"))\n"
        "    if t == \"summary\": assert o.pop(\"seconds\") >= 0\n"
        "    print(t, sorted(o.items()))'";
    const Outcome outcome =
        Shell(Quote(QUILLCONV_CLI) +
                  " --json --psd-layers --psd-mng --bmp-png -o out missing.psd work/pipe.psd "
                  "work/a.psd work/broken.psd work/only.psd work/x.bmp | " + show,
              dir.Path());
    EXPECT_EQ(Lines(outcome.out),
              std::vector<std::string>({
                  "failed [('explanation', 'no such file or folder'), ('input', 'missing.psd'), "
                  "('tag', None)]",
                  "skipped [('input', 'work/pipe.psd'), ('reason', 'not a regular file (a pipe, "
                  "a device or a socket)')]",
                  "output [('height', 3), ('input', 'work/a.psd'), ('kind', 'mng'), ('width', 4)]",
                  "output [('height', 3), ('input', 'work/a.psd'), ('kind', 'layer'), ('layer', "
                  "1), ('width', 4)]",
                  "output [('height', 2), ('input', 'work/a.psd'), ('kind', 'layer'), ('layer', "
                  "2), ('width', 2)]",
                  "output [('height', 3), ('input', 'work/a.psd'), ('kind', 'layer'), ('layer', "
                  "3), ('width', 1)]",
                  "failed [('explanation', 'the PSD file is damaged or cut short'), ('input', "
                  "'work/broken.psd'), ('tag', 'ImageLoaderPSD::Scan:158')]",
                  "skipped [('input', 'work/only.psd'), ('reason', 'nothing written: the "
                  "document has no layers with pixels for the MNG or the layer PNGs')]",
                  "output [('height', 2), ('input', 'work/x.bmp'), ('kind', 'png'), ('width', "
                  "3)]",
                  "summary [('converted', 2), ('failed', 2), ('outputs', 5), ('skipped', 2)]",
              }))
        << outcome.err;
    const Outcome bmp = Shell(Quote(QUILLCONV_CLI) + " --json --png-bmp -o out work/c.png | " + show,
                              dir.Path());
    EXPECT_EQ(Lines(bmp.out).at(0),
              "output [('height', 2), ('input', 'work/c.png'), ('kind', 'bmp'), ('width', 3)]");
}


TEST_F(CliRun, GnuParallelSpreadsARunAsOneRunWould)
{
    if (!HaveCommand("parallel"))
        GTEST_SKIP() << "GNU parallel is not installed";
    // Inputs of one name in one folder belong to one run; x.bmp goes so that x.psd is alone.
    std::filesystem::remove(work + "/x.bmp");
    for (const char* copy : {"one", "many"}) {
        ASSERT_TRUE(test_support::MakeFolder(dir / copy));
        std::filesystem::copy(work, dir / (std::string(copy) + "/work"),
                              std::filesystem::copy_options::recursive);
    }
    const std::string options = " --json --psd-png --psd-layers --psd-mng --bmp-png ";
    const Outcome one = Cli(options + "work", dir / "one");
    const Outcome many = Shell("find work -type f \\( -name '*.psd' -o -name '*.bmp' \\) | "
                               "parallel --will-cite -j 2 " + Quote(QUILLCONV_CLI) + options + "{}",
                               dir / "many");
    EXPECT_EQ(one.status, 1);   // broken.psd
    EXPECT_EQ(many.status, 1);  // parallel's status: the number of runs that failed
    EXPECT_EQ(Tree(dir / "many/work"), Tree(dir / "one/work"));
    // The objects of all runs are those of the one run, but for the runs' summaries.
    auto objects = [](const std::string& text) {
        std::vector<std::string> lines;
        for (const std::string& line : Lines(text))
            if (line.find("\"type\": \"summary\"") == std::string::npos)
                lines.push_back(line);
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    EXPECT_EQ(objects(many.out), objects(one.out));
    EXPECT_GT(objects(one.out).size(), 10u);
}

TEST_F(CliRun, OutputFolderKeepsTheTreeBelowEachNamedFolder)
{
    // However the folder is written, its files keep their places below -o; a file named goes
    // to the folder itself.
    for (const char* named : {"work", "work/", "./work//"}) {
        const std::string out = std::string("out") + std::to_string(std::strlen(named));
        ASSERT_EQ(Cli("-q --psd-png -o " + out + " " + named + " work/sub/deeper/d.psd", dir.Path())
                      .status,
                  1);  // broken.psd
        const auto files = Tree(dir / out);
        EXPECT_EQ(files.count("sub/deeper/d.png"), 1u) << named;
        EXPECT_EQ(files.count("a.png"), 1u) << named;
        EXPECT_EQ(files.count("d.png"), 0u) << named;  // found below the folder first
    }
    // --flat: every output into the folder; d.psd of two folders would meet there.
    WriteBytes(work + "/sub/d.psd", RgbaDocument(2, 2, {{"L", 0, 0, 1, 1}}));
    const Outcome flat = Cli("--flat --psd-png -o flat work/sub", dir.Path());
    EXPECT_EQ(flat.status, 0) << flat.err;
    EXPECT_EQ(Tree(dir / "flat").size(), 2u);  // d.png and d_psd.png
    EXPECT_NE(flat.err.find("outputs named after d_psd"), std::string::npos) << flat.err;
}

TEST_F(CliRun, SmartObjectsAloneAreAConversionListedLikeEveryOutput)
{
    test_support::LinkedFileRecord logo;
    logo.id = "id-logo";
    logo.name = u"logo.png";
    logo.data = {0x89, 'P', 'N', 'G'};
    LayerShape placed{"placed", 0, 0, 1, 1};
    placed.additional = test_support::LayerBlock(
        "SoLd", test_support::PlacementBlock("id-logo", {0, 0, 1, 0, 1, 1, 0, 1}, 1, 1));
    WriteBytes(work + "/s.psd",
               RgbaDocument(2, 2, {placed}, {}, test_support::LayerBlock("lnk2", logo.Build())));

    Outcome outcome = Cli("--smart-objects work/s.psd work/a.psd", dir.Path());
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "work/s.psd → work/s/smart/logo.png\n");
    EXPECT_EQ(test_support::ReadWholeFile(work + "/s/smart/logo.png"), "\x89PNG");
    EXPECT_NE(outcome.err.find("work/a.psd: nothing written: the document embeds no files for "
                               "its placed layers (--smart-objects)"),
              std::string::npos)
        << outcome.err;

    outcome = Cli("--json --smart-objects -o out work/s.psd", dir.Path());
    EXPECT_EQ(Lines(outcome.out).at(0),
              "{\"version\": 1, \"type\": \"output\", \"input\": \"work/s.psd\", \"output\": "
              "\"out/s/smart/logo.png\", \"kind\": \"smartObject\", \"bytes\": 4}");
    // The window's lines name the file below the document's folder, as its layer PNGs' do.
    outcome = Cli("-q --like-window --smart-objects -o window work/s.psd", dir.Path());
    EXPECT_EQ(outcome.out, "s.psd → smart/logo.png\n");
    EXPECT_EQ(test_support::ReadWholeFile(dir / "window/s/smart/logo.png"), "\x89PNG");
}
