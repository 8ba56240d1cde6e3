// quillconv-cli: the conversions of the window program from a terminal.
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "cli/BatchRunner.h"
#include "cli/CliArguments.h"
#include "cli/InputFiles.h"
#include "cli/InterruptCleanup.h"
#include "cli/Processors.h"
#include "cli/RunLog.h"
#include "cli/Terminal.h"
#include "conversion/Option.h"
#include "debug/DebugLog.h"
#include "debug/Error.h"
#include "debug/FaultHandler.h"
#include "files/FileSystem.h"
#include "files/FileVersion.h"
#include "files/Format.h"

namespace {

const int kExitFailed = 1;
const int kExitUsage = 2;
const int kExitFault = 3;

// The output folder, created when missing; false with the reason when it cannot be one.
bool ReadyOutputFolder(const std::string& folder, bool create, std::string& reason)
{
    if (folder.empty() || sdk::files::IsDirectory(folder))
        return true;
    if (sdk::files::IsFile(folder)) {
        reason = folder + ": not a folder";
        return false;
    }
    if (!create)
        return true;  // a dry run writes nothing, so it creates nothing
    uint32_t error = 0;
    if (!sdk::files::MakeDirectories(folder, &error)) {
        reason = folder + ": cannot be created: " + sdk::debug::GetErrorText(error);
        return false;
    }
    return true;
}

int Run(const std::vector<std::string>& arguments)
{
    CliSettings settings;
    std::string reason;
    if (!ParseArguments(arguments, settings, reason)) {
        std::fprintf(stderr, "quillconv-cli: %s\nTry 'quillconv-cli --help'.\n", reason.c_str());
        return kExitUsage;
    }
    if (settings.help) {
        std::fputs(HelpText(), stdout);
        return 0;
    }
    if (settings.version) {
        std::printf("%s\n", sdk::files::FileVersion().Title().c_str());
        return 0;
    }
    if (!ReadyOutputFolder(settings.options.outputFolder, !settings.dryRun, reason)) {
        std::fprintf(stderr, "quillconv-cli: -o %s\nTry 'quillconv-cli --help'.\n", reason.c_str());
        return kExitUsage;
    }
    // The options are set once, before any worker starts, and only read after.
    option = settings.options;
    terminal::ShowRecords(settings.verbose);
    for (const std::string& note : settings.notes)
        std::fprintf(stderr, "quillconv-cli: %s\n", note.c_str());

    const InputList inputs =
        CollectInputs(settings.paths, option.extended ? Listing::kExtended : Listing::kStandard);
    for (const std::string& note : inputs.notes)
        std::fprintf(stderr, "quillconv-cli: %s\n", note.c_str());
    std::vector<InputFile> files;
    for (const InputFile& file : inputs.files) {
        if (IsConvertible(file.path))
            files.push_back(file);
    }
    if (files.empty()) {
        std::fprintf(stderr,
                     "quillconv-cli: nothing to convert: no file named or found is one that the "
                     "chosen conversions take\n");
    }
    if (settings.dryRun) {
        for (const InputFile& file : files)
            terminal::Write(stdout, file.path + "\n");
        return inputs.missing.empty() ? 0 : kExitFailed;
    }

    const auto start = std::chrono::steady_clock::now();
    const LogStyle style = settings.json         ? LogStyle::Json
                           : settings.likeWindow ? LogStyle::WindowLines
                                                 : LogStyle::OutputLines;
    RunLog log(style, settings.likeWindow || !settings.quiet, stdout);
    for (const std::string& path : inputs.missing)
        log.Missing(path);
    for (const SkippedInput& skipped : inputs.skipped)
        log.Skipped(skipped);

    BatchSetting batch;
    batch.jobs = settings.jobs > 0 ? settings.jobs : static_cast<int>(UsableProcessors());
    batch.keepSubfolders = !settings.flat;
    batch.ownNames = !settings.likeWindow;
    batch.layerPaths = !settings.likeWindow;
    batch.explanation.windowTexts = settings.likeWindow;
    batch.explanation.flatOutputFolder = settings.flat && !option.outputFolder.empty();
    const bool on_terminal = !settings.quiet && isatty(fileno(stderr));
    terminal::EnableProgress(on_terminal);
    RunBatch(files, batch, log);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    log.Summary(seconds.count());

    // The window's ways say how a run went on a terminal only; the command line's after every
    // run given a folder or more than one path.
    const bool summary = settings.likeWindow
                             ? on_terminal
                             : !settings.quiet && (inputs.folderNamed || settings.paths.size() > 1);
    const RunCounts& counts = log.Counts();
    if (summary) {
        // Skipped are the files a note said were left out; files of a folder that the chosen
        // conversions do not take were never meant.
        terminal::Write(stderr, sdk::files::Format("quillconv-cli: %d converted, %d failed, %d "
                                                   "skipped\n",
                                                   counts.converted, counts.failed,
                                                   counts.skipped));
    }
    return counts.failed == 0 && inputs.missing.empty() ? 0 : kExitFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    // Diagnostic records go with the other messages (with --verbose), never into the folder the
    // tool is run from.
    sdk::debug::RedirectLog(terminal::WriteRecord);
    sdk::debug::InstallFaultHandler(kExitFault);
    RemoveTemporaryFilesOnInterrupt();
    terminal::OnClosedOutput(EndOnClosedOutput);
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillconv-cli: %s\n", error.what());
        return kExitFailed;
    }
}
