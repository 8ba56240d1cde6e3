#include "stream/StreamFile.h"

#include "stream/FileHandle.h"

namespace sdk {
namespace stream {

namespace {

thread_local uint32_t g_last_file_error = 0;

}  // namespace

stream_file::stream_file(const std::string& path) : file(new impl(path)) {}

void stream_file::OpenRead()
{
    impl& target = *file;
    Wrapped(target, "stream_file::OpenRead:55", [&] { target.OpenRead(); });
}

void stream_file::OpenWrite()
{
    impl& target = *file;
    Wrapped(target, "stream_file::OpenWrite:56", [&] { target.OpenWrite(); });
}

int32_t stream_file::GetSize() { return file->GetSize(); }

uint32_t stream_file::GetRemain()
{
    // A position moved beyond the end has nothing left to read, not four billion bytes.
    int32_t size = file->GetSize();
    int32_t pos = file->GetPos();
    return pos < size ? static_cast<uint32_t>(size - pos) : 0;
}

int32_t stream_file::GetPos() { return file->GetPos(); }

void stream_file::Seek(int32_t offset)
{
    impl& target = *file;
    Wrapped(target, "stream_file::Seek:60", [&] { target.Seek(offset); });
}

void stream_file::SetPos(int32_t position)
{
    impl& target = *file;
    Wrapped(target, "stream_file::SetPos:61", [&] { target.SetPos(position); });
}

const std::string& stream_file::Path() const { return file->Path(); }

void file_in::Read(void* destination, uint32_t count)
{
    impl& target = *file;
    Wrapped(target, "file_in::Read:62", [&] { target.Read(destination, count); });
}

void file_out::OpenReplace()
{
    impl& target = *file;
    Wrapped(target, "stream_file::OpenWrite:56", [&] { target.OpenReplace(); });
}

void file_out::Write(const void* source, uint32_t count)
{
    impl& target = *file;
    Wrapped(target, "file_out::Write:63", [&] { target.Write(source, count); });
}

void file_out::Commit()
{
    impl& target = *file;
    Wrapped(target, "file_out::Commit:64", [&] { target.Commit(); });
}

uint32_t LastFileError() { return g_last_file_error; }

void ClearLastFileError() { g_last_file_error = 0; }

void SetLastFileError(uint32_t code) { g_last_file_error = code; }

}  // namespace stream
}  // namespace sdk
