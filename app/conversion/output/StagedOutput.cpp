#include "conversion/output/StagedOutput.h"

#include "conversion/output/OutputFiles.h"
#include "conversion/output/StatusText.h"
#include "files/FileSystem.h"
#include "files/Path.h"

StagedOutput::StagedOutput(const std::string& scratchBeside, uint32_t memoryBound)
    : scratch_(scratchBeside, memoryBound)
{
}

void StagedOutput::Keep()
{
    error_ = std::current_exception();
    systemError_ = sdk::stream::LastFileError();
}

void StagedOutput::RaiseKept() const
{
    sdk::stream::SetLastFileError(systemError_);
    std::rethrow_exception(error_);
}

void StagedOutput::Close()
{
    // Also after a failure, so that a failed output holds no open file either.
    try {
        scratch_.Close();
    } catch (...) {
        if (!error_)
            Keep();
    }
}

void StagedOutput::AppendTo(StagedOutput& other, sdk::stream::stream_out& through)
{
    other.Run([&] {
        if (error_)
            RaiseKept();
        scratch_.CopyTo(through);
    });
}

void StagedOutput::Commit(ConvertContext& context, const std::string& input,
                          const std::string& path)
{
    PrepareOutput(context, input, path);
    WriteOutputFile(path, [&](sdk::stream::stream_out& file) {
        if (error_)
            RaiseKept();
        scratch_.CopyTo(file);
    });
}

void StagedOutput::CommitShown(ConvertContext& context, const std::string& input,
                               const std::string& path, OutputKind kind, int32_t steps)
{
    AddStatusLine(context, StatusLine(input, path));
    Commit(context, input, path);
    ReportWritten(context, input, path, kind);
    for (; steps > 0; --steps)
        context.progress.StepIt();
}

std::string ScratchBeside(const std::string& base)
{
    // A base without a folder part lies in the current folder.
    const std::string folder = sdk::files::GetFolder(base);
    if (folder.empty() || sdk::files::IsDirectory(folder))
        return base;
    return sdk::files::MakePath(sdk::files::TemporaryFolder(), sdk::files::GetFileName(base));
}
