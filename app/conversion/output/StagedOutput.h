// An output made before its turn to be written. Its bytes wait in a scratch stream (in memory,
// or a temporary file once they outgrow a bound), and whatever failed while they were made waits
// with them. At its turn, Commit writes it as writing it then would have: the output is claimed
// and its folder made, the file opened, and then either the kept error raised (the file stays as
// it was) or the bytes written and the file put in place.
//
// One thread at a time uses an output: the one making it, then the one committing it.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "conversion/ConvertContext.h"
#include "stream/StreamFile.h"
#include "stream/StreamScratch.h"

class StagedOutput {
public:
    // scratchBeside: a path in the folder whose temporary files hold the bytes (ScratchBeside);
    // memoryBound: the bytes kept in memory before a temporary file takes them.
    StagedOutput(const std::string& scratchBeside, uint32_t memoryBound);

    sdk::stream::stream_out& Stream() { return scratch_; }
    bool Failed() const { return static_cast<bool>(error_); }

    // Runs one step of making the output unless an earlier step failed; what the step raises
    // is kept for Commit, with the system's error code of a failed file operation.
    template <class Step>
    void Run(Step step)
    {
        if (error_)
            return;
        sdk::stream::ClearLastFileError();
        try {
            step();
        } catch (...) {
            Keep();
        }
    }

    // The output is made, or has failed: a temporary file holding it is closed until Commit.
    void Close();
    // Appends this output's bytes to other, or makes other fail as this one did.
    void AppendTo(StagedOutput& other) { AppendTo(other, other.Stream()); }
    // The same through a stream that writes into other.
    void AppendTo(StagedOutput& other, sdk::stream::stream_out& through);
    // Writes the output at path as input's; raises what writing it raises, or the kept error.
    void Commit(ConvertContext& context, const std::string& input, const std::string& path);
    // Commit under the output's status line ("input → path"), reported as written output of
    // kind, then steps progress steps.
    void CommitShown(ConvertContext& context, const std::string& input, const std::string& path,
                     OutputKind kind, int32_t steps);

private:
    void Keep();
    [[noreturn]] void RaiseKept() const;

    sdk::stream::scratch_out scratch_;
    std::exception_ptr error_;
    uint32_t systemError_ = 0;
};

// Where the staged outputs of an output base wait: beside the base, in the output folder, when
// that folder exists; otherwise in the system's folder for temporary files.
std::string ScratchBeside(const std::string& base);
