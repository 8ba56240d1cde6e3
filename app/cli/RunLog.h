// What a run of quillconv-cli tells, in one of three styles. Standard output lists the outputs:
// the window's status lines, or a line per output once it is complete, or a JSON object per
// output, failure and skipped file. Standard error says why a file failed and what else is worth
// knowing, in words, in every style.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/InputFiles.h"
#include "conversion/ConvertContext.h"

enum class LogStyle {
    WindowLines,  // the window's status lines, each before its output, failures included
    OutputLines,  // "input → output" for each output once it is complete, nothing for failures
    Json,         // one JSON object per line (its fields: the README)
};

// An output written, with its size in bytes and, for a picture, its width and height.
struct WrittenFile {
    WrittenOutput output;
    uint64_t bytes = 0;
    int32_t width = 0;  // 0: not a picture
    int32_t height = 0;
};

// An output as it lies on disk: its size, and the width and height that its PNG, MNG or BMP
// header gives.
WrittenFile MeasureWritten(const WrittenOutput& output);

// How one file's conversion went.
struct FileOutcome {
    std::string input;
    std::vector<std::string> windowLines;  // the window's status lines
    std::vector<WrittenFile> written;      // the outputs, in the order they were put in place
    bool ok = false;
    std::string tag;          // a failure's tag; empty when no error was raised
    std::string explanation;  // a failure in words (without its tag), or why nothing was written
    std::string note;         // for standard error, whole lines
};

// The counts of a run.
struct RunCounts {
    int converted = 0;  // files with an output written (any file that did not fail, in the
                        // window's style)
    int failed = 0;     // files that failed, and named paths that are missing
    int skipped = 0;    // files left out, and files that gave nothing
    int outputs = 0;
};

class RunLog {
public:
    // statusLines: whether the output lines of the styles in words are written.
    RunLog(LogStyle style, bool statusLines, std::FILE* out);

    LogStyle Style() const { return style_; }

    // A file named or found that is left out, or a named path that is missing: only JSON
    // lists them (their notes say the rest).
    void Skipped(const SkippedInput& skipped);
    void Missing(const std::string& path);
    // One file's outcome: its lines on standard output, its note on standard error.
    void File(const FileOutcome& outcome);
    // The JSON summary object of the counts so far; nothing in the other styles.
    void Summary(double seconds);

    const RunCounts& Counts() const { return counts_; }

private:
    void Out(const std::string& text);

    LogStyle style_;
    bool statusLines_;
    std::FILE* out_;
    RunCounts counts_;
};
