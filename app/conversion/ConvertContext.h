// What the conversion of one file reports to: a per-file progress bar and a status list. The
// window supplies its controls; the command-line tool supplies its own.
#pragma once

#include <cstdint>
#include <string>

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

struct ConvertContext {
    ProgressSink& progress;
    StatusSink& status;
    // The outputs of the run so far, when the file is one of a run's; null for a file on its own.
    RunOutputs* outputs = nullptr;
};
