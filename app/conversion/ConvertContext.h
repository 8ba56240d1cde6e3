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

class StatusSink {
public:
    virtual ~StatusSink() = default;
    // Appends one line and makes it visible at once.
    virtual void AddLine(const std::string& text) = 0;
};

class RunOutputs;

// What a conversion tells about its file besides the status lines, for a caller that explains
// (the command-line tool).
struct ConversionRemarks {
    // Things worth knowing about outputs that were written ("the stored merged image is blank").
    std::vector<std::string> notes;
    // The layer whose image ended the conversion: its record index, or -1 when none did.
    int32_t failedLayer = -1;
    std::string failedLayerName;
};

struct ConvertContext {
    ProgressSink& progress;
    StatusSink& status;
    // The outputs of the run so far, when the file is one of a run's; null for a file on its own.
    RunOutputs* outputs = nullptr;
    // Where remarks go; null when nobody asks for them (the window).
    ConversionRemarks* remarks = nullptr;
};
