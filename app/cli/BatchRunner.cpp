#include "cli/BatchRunner.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "cli/FailureExplanation.h"
#include "cli/InterruptCleanup.h"
#include "cli/Processors.h"
#include "cli/ProgressText.h"
#include "cli/Terminal.h"
#include "conversion/ConvertFile.h"
#include "conversion/Option.h"
#include "conversion/output/OutputFiles.h"
#include "conversion/output/RunOutputs.h"
#include "conversion/output/StatusText.h"
#include "files/FileSystem.h"
#include "files/Format.h"
#include "files/Path.h"

namespace {

// The outcome of one file, filled by its worker and logged by the main thread.
struct PendingOutcome {
    FileOutcome outcome;
    bool done = false;
};

// The progress line: files done of all, and the steps of the file last moved.
class ProgressLine {
public:
    explicit ProgressLine(size_t total) : total_(total) {}
    void FileDone()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++done_;
        DrawLocked();
    }
    void Step(const std::string& name, int32_t position, int32_t range)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        name_ = name;
        position_ = position;
        range_ = range;
        DrawLocked();
    }
    // On an interrupt: the line goes for good, and how far the run came is said.
    void Interrupted()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        terminal::EnableProgress(false);
        terminal::Write(
            stderr, sdk::files::Format("quillconv-cli: interrupted; %zu of %zu files done\n", done_,
                                       total_));
    }

private:
    void DrawLocked()
    {
        terminal::DrawProgress(sdk::files::Format("[%zu/%zu] ", done_, total_), name_,
                               sdk::files::Format(" %d/%d", position_, range_));
    }
    size_t total_;
    size_t done_ = 0;
    std::string name_;
    int32_t position_ = 0;
    int32_t range_ = 0;
    std::mutex mutex_;
};

class FileProgress : public ProgressSink {
public:
    FileProgress(ProgressLine& line, const std::string& name) : line_(line), name_(name) {}
    void SetRange(int32_t low, int32_t high) override
    {
        low_ = low;
        high_ = high;
        Report();
    }
    void SetPos(int32_t position) override
    {
        position_ = position;
        Report();
    }
    void StepIt() override
    {
        // A progress bar wraps to its low end when stepped past its high end.
        position_ = position_ + 1 > high_ ? low_ : position_ + 1;
        Report();
    }

private:
    void Report() { line_.Step(name_, position_ - low_, high_ - low_); }
    ProgressLine& line_;
    std::string name_;
    int32_t low_ = 0;
    int32_t high_ = 100;
    int32_t position_ = 0;
};

// A file's status lines and the outputs it put in place, measured when the log lists their
// sizes.
class CollectedStatus : public StatusSink {
public:
    CollectedStatus(FileOutcome& outcome, bool measure) : outcome_(outcome), measure_(measure) {}
    void AddLine(const std::string& text) override { outcome_.windowLines.push_back(text); }
    void OutputWritten(const WrittenOutput& written) override
    {
        if (measure_) {
            outcome_.written.push_back(MeasureWritten(written));
        } else {
            WrittenFile file;
            file.output = written;
            outcome_.written.push_back(file);
        }
    }

private:
    FileOutcome& outcome_;
    bool measure_;
};

// The outputs made of the layers that the options ask for, as a note names them: "the MNG or
// the layer PNGs".
std::string LayerOutputsAsked()
{
    std::vector<std::string> names;
    if (option.psdToMng)
        names.push_back("the MNG");
    if (option.psdToApng)
        names.push_back("the APNG");
    if (option.psdToPngLayers)
        names.push_back("the layer PNGs");
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

// Why a document gave no output, in words: it has no layers for the layer outputs asked for,
// and it embeds no files for --smart-objects. (Every other output is written for any document.)
std::string NothingWritten()
{
    std::string text = "nothing written: the document";
    const std::string layers = LayerOutputsAsked();
    if (!layers.empty())
        text += std::string(" has no layers with pixels") +
                (option.skipHidden ? " that are not hidden" : "") + " for " + layers;
    if (option.smartObjects)
        text += std::string(layers.empty() ? "" : ", and") +
                " embeds no files for its placed layers (--smart-objects)";
    return text;
}

// The layer that ended a conversion, as a failure's note names it: its number as the status
// lines count (from 1) and its name, or its name after its groups, with control characters
// shown as "_".
std::string LayerNamed(const ConversionRemarks& remarks, bool path)
{
    if (remarks.failedLayer < 0)
        return "";
    const std::string& name = path ? remarks.failedLayerPath : remarks.failedLayerName;
    return sdk::files::Format("layer %d \"%s\": ", remarks.failedLayer + 1,
                              WithoutControls(name, '_').c_str());
}

}  // namespace

void RunBatch(const std::vector<InputFile>& files, const BatchSetting& setting, RunLog& log)
{
    // Each file's output base. Files that share one form a group, converted in input order by
    // one worker; with own names, a file whose base an earlier one took gets one of its own.
    const std::string current_folder = sdk::files::CurrentFolder();
    std::vector<std::string> bases(files.size());
    std::vector<std::string> renamed(files.size());  // why a file's outputs have other names
    std::vector<std::vector<size_t>> groups;
    std::map<std::string, size_t> group_of_base;
    std::map<std::string, size_t> first_of_base;  // the file that took a base first
    auto identity = [&](const std::string& base) {
        return sdk::files::PathIdentity(base, current_folder);
    };
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i].path;
        std::string base = OutputBase(path, setting.keepSubfolders ? files[i].subfolder : "");
        std::string id = identity(base);
        auto taken = first_of_base.find(id);
        if (setting.ownNames && taken != first_of_base.end()) {
            std::string extension = sdk::files::GetExt(path);
            if (!extension.empty())
                extension.erase(0, 1);
            const std::string stem = base + "_" + extension;
            std::string own = stem;
            for (int n = 2; first_of_base.count(identity(own)) != 0; ++n)
                own = stem + "_" + std::to_string(n);
            renamed[i] = "outputs named after " + sdk::files::GetFileName(own) + ", since " +
                         files[taken->second].path + " of this run writes those named after " +
                         sdk::files::GetFileName(base);
            base = own;
            id = identity(own);
        }
        bases[i] = base;
        first_of_base.emplace(id, i);
        auto found = group_of_base.find(id);
        if (found == group_of_base.end()) {
            group_of_base.emplace(id, groups.size());
            groups.push_back({i});
        } else {
            groups[found->second].push_back(i);
        }
    }

    std::vector<PendingOutcome> pending(files.size());
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<size_t> next_group{0};
    ProgressLine line(files.size());
    RunOutputs outputs;
    SetInterruptNotice([&] { line.Interrupted(); });
    const bool measure = log.Style() == LogStyle::Json;

    auto worker = [&] {
        for (size_t g = next_group++; g < groups.size(); g = next_group++) {
            for (size_t index : groups[g]) {
                const std::string& path = files[index].path;
                FileOutcome outcome;
                outcome.input = path;
                FileProgress file_progress(line, sdk::files::GetFileName(path));
                CollectedStatus status(outcome, measure);
                ConversionRemarks remarks;
                ConvertContext context{file_progress, status, &outputs, &remarks, bases[index]};
                ConversionFailure failure;
                outcome.ok = ConvertFile(context, path, &failure);
                std::vector<std::string> said;
                if (!renamed[index].empty())
                    said.push_back(renamed[index]);
                said.insert(said.end(), remarks.notes.begin(), remarks.notes.end());
                if (!outcome.ok) {
                    outcome.windowLines.push_back(FailureLine(path));
                    outcome.tag = failure.tag;
                    outcome.explanation = LayerNamed(remarks, setting.layerPaths) +
                                          ExplainFailure(path, failure, setting.explanation);
                    said.push_back(outcome.explanation +
                                   (failure.tag.empty() ? "" : " (" + failure.tag + ")"));
                } else if (outcome.written.empty()) {
                    outcome.explanation = NothingWritten();
                    said.push_back(outcome.explanation);
                }
                for (const std::string& text : said)
                    outcome.note += "quillconv-cli: " + path + ": " + text + "\n";
                line.FileDone();
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    pending[index].outcome = std::move(outcome);
                    pending[index].done = true;
                }
                finished.notify_all();
            }
        }
    };

    const size_t worker_count = std::max<size_t>(
        1, std::min<size_t>(static_cast<size_t>(std::max(1, setting.jobs)), groups.size()));
    // Processors that the workers leave idle decode and encode the layers of their documents.
    const unsigned processors = UsableProcessors();
    option.layerEncoders =
        std::max<int32_t>(1, static_cast<int32_t>(processors / std::max<size_t>(1, worker_count)));

    // The workers convert; this thread logs each file's outcome as soon as all files before it
    // are logged.
    std::vector<std::thread> workers;
    for (size_t i = 0; i < worker_count && !groups.empty(); ++i)
        workers.emplace_back(worker);

    for (size_t i = 0; i < files.size(); ++i) {
        FileOutcome outcome;
        {
            std::unique_lock<std::mutex> lock(mutex);
            finished.wait(lock, [&] { return pending[i].done; });
            outcome = std::move(pending[i].outcome);
        }
        log.File(outcome);
    }
    for (std::thread& thread : workers)
        thread.join();
    SetInterruptNotice(nullptr);
    terminal::ClearProgress();
}
