// The PSD outputs made while the layers are decoded: in their order whatever the threads, a
// damaged layer failing the document before the MNG and the layer PNGs, outputs waiting in the
// system's temporary folder while the output folder is missing, and the ordered work itself.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "conversion/ConversionKit.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "conversion/output/OrderedWork.h"
#include "files/FileSystem.h"
#include "support/ErrorTag.h"

using namespace conversion_test;
using test_support::TagOf;

namespace {

// A gray document with alpha whose second layer of three is damaged in its last row (a literal
// run longer than the row).
Bytes DocumentWithADamagedLayer()
{
    test_support::PsdBuilder psd;
    psd.colorMode = 1;
    psd.channels = 2;
    psd.width = 3;
    psd.height = 2;
    psd.planes = {{1, 2, 3, 4, 5, 6}, {255, 255, 255, 255, 255, 255}};
    for (int32_t l = 0; l < 3; ++l) {
        test_support::PsdLayer layer(0, 0, 2, 3);
        layer.name = std::string(1, static_cast<char>('a' + l));
        layer.Add(test_support::RawChannel(-1, {255, 255, 255, 255, 255, 255}));
        const Bytes lastRow = l == 1 ? Bytes{0x03, 1, 2, 3, 4} : Bytes{0xFE, 9};
        layer.Add(test_support::RleRowsChannel(0, {{0xFE, 7}, lastRow}));
        psd.layers.push_back(layer);
    }
    return psd.Build();
}

// An RGB document with alpha whose layers, each of the document's size, hold pixels that do not
// compress, so that their outputs are too large to wait in memory.
Bytes NoisyDocument(int32_t width, int32_t height, const std::vector<std::string>& names)
{
    test_support::PsdBuilder psd;
    psd.channels = 4;
    psd.width = width;
    psd.height = height;
    uint32_t state = 12345;
    auto noise = [&] {
        Bytes plane(static_cast<size_t>(width) * height);
        for (uint8_t& value : plane) {
            state = state * 1103515245u + 12345u;
            value = static_cast<uint8_t>(state >> 16);
        }
        return plane;
    };
    for (int32_t c = 0; c < 4; ++c)
        psd.planes.push_back(noise());
    for (const std::string& name : names) {
        test_support::PsdLayer layer(0, 0, height, width);
        layer.name = name;
        for (int16_t id : {-1, 0, 1, 2})
            layer.Add(test_support::RawChannel(id, noise()));
        psd.layers.push_back(layer);
    }
    return psd.Build();
}

}  // namespace

TEST(PsdOutputs, OneThreadOrSeveralWriteTheSame)
{
    const Bytes document = RgbaDocument(5, 4,
                                        {{"a", 1, 0, 3, 2},
                                         {"b", -1, 1, 2, 4},
                                         {"c", 0, 0, 5, 4},
                                         {"d", 2, 2, 1, 1},
                                         {"e", 0, -1, 2, 3}});
    cOption all;
    all.psdToPngMerged = all.removeMatte = all.psdToMng = true;
    all.textLayerInfo = all.textName = true;  // the document section would name the folder
    all.psdToPngLayers = all.pngTrim = all.fillBlank = true;
    all.mngOffset = all.mngTitle = all.mngComment = all.mngLoop = true;
    all.psdToApng = true;
    for (const char* blocked : {"", "a.mng", "a.apng", "a/c.png"}) {
        const ConvertOutcome serial = ConvertWith(document, 1, all, blocked);
        const ConvertOutcome parallel = ConvertWith(document, 3, all, blocked);
        EXPECT_EQ(serial.ok, std::string(blocked).empty()) << blocked;
        EXPECT_EQ(parallel.ok, serial.ok) << blocked;
        EXPECT_EQ(parallel.lines, serial.lines) << blocked;
        EXPECT_EQ(parallel.files, serial.files) << blocked;
        EXPECT_EQ(parallel.contents, serial.contents) << blocked;
        EXPECT_EQ(parallel.position, serial.position) << blocked;
    }
}

TEST(PsdOutputs, ADamagedLayerFailsTheDocumentBeforeTheMngAndTheLayerPngs)
{
    cOption all;
    all.psdToPngMerged = all.textImageInfo = all.psdToMng = all.psdToPngLayers = true;
    for (int32_t threads : {1, 3}) {
        const ConvertOutcome outcome = ConvertWith(DocumentWithADamagedLayer(), threads, all);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.lines, std::vector<std::string>(
                                     {"a.psd → a.png", "a.psd → a.txt", "memory_out::Fill:77"}));
        // Merged image, merged PNG, report and the first layer were done; no temporary file.
        EXPECT_EQ(outcome.files, std::set<std::string>({"a.psd", "a.png", "a.txt"}));
        EXPECT_EQ(outcome.position, 4) << threads;
    }
}

TEST(PsdOutputs, OutputsWaitInTheTemporaryFolderWhileTheOutputFolderIsMissing)
{
    test_support::TempDir dir, temporary;
#if !defined(_WIN32)
    const char* const previous = std::getenv("TMPDIR");
    const std::string kept = previous != nullptr ? previous : "";
    setenv("TMPDIR", temporary.Path().c_str(), 1);
#endif
    WriteBytes(dir / "in.psd", NoisyDocument(150, 120, {"a", "b"}));
    option = cOption();
    option.psdToMng = option.psdToPngLayers = true;
    option.outputFolder = dir / "out/deeper";
    Recorder recorder;
    const bool ok = ConvertFile(recorder.context, dir / "in.psd");
#if !defined(_WIN32)
    if (previous != nullptr)
        setenv("TMPDIR", kept.c_str(), 1);
    else
        unsetenv("TMPDIR");
    EXPECT_TRUE(FilesBelow(temporary.Path()).empty());
#endif
    option = cOption();
    EXPECT_TRUE(ok);
    EXPECT_EQ(FilesBelow(dir.Path()),
              std::set<std::string>(
                  {"in.psd", "out/deeper/in.mng", "out/deeper/in/a.png", "out/deeper/in/b.png"}));
}

TEST(OrderedWork, JobsRunOnceInOrderWithinTheirBound)
{
    for (int32_t threads : {0, 3}) {
        std::mutex mutex;
        std::multiset<size_t> started;
        std::atomic<size_t> released{0};
        std::atomic<bool> beyond{false}, elsewhere{false};
        const std::thread::id caller = std::this_thread::get_id();
        {
            OrderedWork work(12, threads, 2, [&](size_t index, const OrderedWork&) {
                beyond = beyond || index >= released + 2;
                elsewhere = elsewhere || std::this_thread::get_id() != caller;
                std::lock_guard<std::mutex> lock(mutex);
                started.insert(index);
            });
            for (size_t i = 0; i < 12; ++i) {
                work.WaitFor(i);
                released = i + 1;
                work.Release(i);
            }
        }
        EXPECT_EQ(started.size(), 12u);
        EXPECT_EQ(std::set<size_t>(started.begin(), started.end()).size(), 12u);
        EXPECT_FALSE(beyond) << threads;
        EXPECT_EQ(elsewhere, threads != 0);
    }

    // What escapes a job is raised where it is waited for; jobs after it still run.
    OrderedWork failing(3, 2, 4, [](size_t index, const OrderedWork&) {
        if (index == 1)
            throw std::runtime_error("job 1");
    });
    failing.WaitFor(0);
    EXPECT_EQ(TagOf([&] { failing.WaitFor(1); }), "job 1");
    failing.WaitFor(2);
}

TEST(OrderedWork, SpreadPartsRunOnceWithinTheirBoundAndFailInPartOrder)
{
    for (int32_t threads : {0, 3}) {
        // Every job spreads ten parts; each part runs once, never beyond the bound, and the
        // workers lend a hand.
        std::mutex mutex;
        std::set<std::pair<size_t, size_t>> ran;
        std::atomic<bool> beyond{false};
        std::set<std::thread::id> runners;
        {
            OrderedWork work(4, threads, 2, [&](size_t index, OrderedWork& running) {
                std::vector<std::atomic<bool>> finished(10);
                running.Spread(10, 3, [&](size_t part) {
                    size_t first = 0;
                    while (first < 10 && finished[first])
                        ++first;
                    beyond = beyond || part >= first + 3;
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    {
                        std::lock_guard<std::mutex> lock(mutex);
                        ran.insert({index, part});
                        runners.insert(std::this_thread::get_id());
                    }
                    finished[part] = true;
                });
            });
            for (size_t i = 0; i < 4; ++i) {
                work.WaitFor(i);
                work.Release(i);
            }
        }
        EXPECT_EQ(ran.size(), 40u) << threads;
        EXPECT_FALSE(beyond) << threads;
        EXPECT_EQ(runners.size() > 1, threads != 0);
    }

    // Parts 2 and 5 fail, 5 first in time: the job sees part 2's failure, and parts after a
    // failure do not start.
    std::atomic<size_t> latest{0};
    OrderedWork failing(1, 3, 1, [&](size_t, OrderedWork& running) {
        running.Spread(40, 8, [&](size_t part) {
            for (size_t seen = latest; part > seen && !latest.compare_exchange_weak(seen, part);)
                ;
            if (part == 2) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                throw std::runtime_error("part 2");
            }
            if (part == 5)
                throw std::runtime_error("part 5");
        });
    });
    EXPECT_EQ(TagOf([&] { failing.WaitFor(0); }), "part 2");
    EXPECT_LT(latest, 39u);
}
