// quillconv-cli: the conversions of the window program from a terminal.
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
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
#include "conversion/Option.h"
#include "debug/FaultHandler.h"
#include "files/FileVersion.h"

namespace {

const int kExitFailed = 1;
const int kExitUsage = 2;
const int kExitFault = 3;

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
    // The options are set once, before any worker starts, and only read after.
    option = settings.options;

    const InputList inputs = CollectInputs(settings.paths);
    for (const std::string& path : inputs.missing)
        std::fprintf(stderr, "quillconv-cli: %s: no such file or folder\n", path.c_str());
    for (const std::string& path : inputs.skipped)
        std::fprintf(stderr, "quillconv-cli: %s: skipped (not .psd, .bmp or .png)\n",
                     path.c_str());
    std::vector<std::string> files;
    for (const std::string& path : inputs.files) {
        if (IsConvertible(path))
            files.push_back(path);
    }
    if (settings.dryRun) {
        for (const std::string& path : files)
            std::printf("%s\n", path.c_str());
        return inputs.missing.empty() ? 0 : kExitFailed;
    }

    int jobs = settings.jobs;
    if (jobs <= 0)
        jobs = static_cast<int>(std::thread::hardware_concurrency());
    std::FILE* progress = !settings.quiet && isatty(fileno(stderr)) ? stderr : nullptr;
    const BatchResult result = RunBatch(files, jobs > 0 ? jobs : 1, stdout, progress);
    return result.failed == 0 && inputs.missing.empty() ? 0 : kExitFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    sdk::debug::InstallFaultHandler(kExitFault);
    RemoveTemporaryFilesOnInterrupt();
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillconv-cli: %s\n", error.what());
        return kExitFailed;
    }
}
