// What the conversion of one file reports to: a per-file progress bar and a status list. The
// window supplies its controls; the command-line tool supplies its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void SetRange(int32_t low, int32_t high) = 0;
    virtual void SetPos(int32_t position) = 0;
    // Advances the position by one step.
    virtual void StepIt() = 0;
};

// What an output is, as a caller that lists the outputs written names it.
enum class OutputKind { Merged, Layer, Group, Mng, Apng, Text, Manifest, Bmp, Png, SmartObject };

// One output, complete and in place.
struct WrittenOutput {
    std::string input;   // the input's path
    std::string output;  // the output's path
    OutputKind kind;
    int32_t layer;  // a layer PNG's or group picture's record, counted from 1; 0 for others
};

class StatusSink {
public:
    virtual ~StatusSink() = default;
    // Appends one line and makes it visible at once. The window's lines come before the
    // output they name is written.
    virtual void AddLine(const std::string& text) = 0;
    // Told once an output is complete and in place (the window does not list these).
    virtual void OutputWritten(const WrittenOutput&) {}
};

class RunOutputs;

// What a conversion tells about its file besides the status lines, for a caller that explains
// (the command-line tool).
struct ConversionRemarks {
    // Things worth knowing about outputs that were written ("the stored merged image is blank").
    std::vector<std::string> notes;
    // The layer whose image ended the conversion: its record index, or -1 when none did; its
    // name, and its name after the groups that hold it as the editor's layer panel shows them
    // ("Group/Sub/name"; a group's end is named by its group).
    int32_t failedLayer = -1;
    std::string failedLayerName;
    std::string failedLayerPath;
};

struct ConvertContext {
    ProgressSink& progress;
    StatusSink& status;
    // The outputs of the run so far, when the file is one of a run's; null for a file on its own.
    RunOutputs* outputs = nullptr;
    // Where remarks go; null when nobody asks for them (the window).
    ConversionRemarks* remarks = nullptr;
    // The path the file's output names are built on, when the caller chose it (the command-line
    // tool keeps folders below the output folder and gives inputs of one name their own);
    // empty: OutputBase of the file's path.
    std::string outputBase{};
};
