// Files over POSIX descriptors, with the sharing rules of Windows files: any number of readers
// or one writer at a time (advisory locks taken without waiting), a writer empties the file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "debug/Error.h"
#include "files/NativePath.h"
#include "stream/FileHandle.h"
#include "stream/PendingFiles.h"

namespace sdk {
namespace stream {

namespace {

const int32_t kMaxSize = std::numeric_limits<int32_t>::max();

[[noreturn]] void Fail(const char* tag, int code) { throw debug::windows_error(tag, static_cast<uint32_t>(code)); }

int Descriptor(intptr_t handle) { return static_cast<int>(handle); }

// Opens path with flags and takes the sharing lock; returns the descriptor or raises tag.
int OpenShared(const std::string& path, int flags, int lock, const char* tag)
{
    int fd;
    do {
        fd = open(files::NativePath(path).c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        Fail(tag, errno);
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        int code = S_ISDIR(info.st_mode) ? EISDIR : errno;
        close(fd);
        Fail(tag, code);
    }
    if (flock(fd, lock | LOCK_NB) != 0) {
        close(fd);
        Fail(tag, EBUSY);  // another stream holds the file the way Windows would refuse
    }
    return fd;
}

// Makes a new listed temporary file beside path, open for writing; raises tag when none can be
// made.
intptr_t MakeTemporary(const std::string& path, std::string& temporary, const char* tag)
{
    int fd = -1;
    int code = 0;
    const bool made = pending::Make(
        path, static_cast<uint32_t>(getpid()),
        [&](const std::string& candidate) {
            do {
                fd = open(files::NativePath(candidate).c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            } while (fd < 0 && errno == EINTR);
            code = fd < 0 ? errno : 0;
            return fd >= 0 ? pending::Made::kMade
                           : code == EEXIST ? pending::Made::kTaken : pending::Made::kFailed;
        },
        temporary);
    if (!made)
        Fail(tag, code);
    return fd;
}

}  // namespace

stream_file::impl::impl(const std::string& file_path) : handle(-1), path(file_path) {}

stream_file::impl::~impl()
{
    if (handle != -1)
        close(Descriptor(handle));
    if (!temporary.empty())
        pending::Discard(temporary);
}

void stream_file::impl::OpenRead()
{
    int fd = OpenShared(path, O_RDONLY, LOCK_SH, "stream_file::impl::OpenRead:75");
    // Sizes and positions are 32-bit: a larger file cannot be read correctly, so it is refused.
    struct stat info;
    if (fstat(fd, &info) != 0 || info.st_size > kMaxSize) {
        close(fd);
        Fail("stream_file::impl::OpenRead:75", EFBIG);
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    handle = fd;
}

void stream_file::impl::OpenWrite()
{
    // Emptied only once the lock is held, so a refused second writer destroys nothing.
    int fd = OpenShared(path, O_WRONLY | O_CREAT, LOCK_EX, "stream_file::impl::OpenWrite:88");
    if (ftruncate(fd, 0) != 0) {
        int code = errno;
        close(fd);
        Fail("stream_file::impl::OpenWrite:88", code);
    }
    handle = fd;
}

void stream_file::impl::OpenReplace()
{
    const char* tag = "stream_file::impl::OpenWrite:88";
    const std::string native = files::NativePath(path);
    struct stat existing;
    const bool exists = stat(native.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        Fail(tag, EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) {
        OpenWrite();  // a device or a pipe cannot be replaced by a file: it is written as it is
        return;
    }
    if (exists) {
        // Refused where writing the file itself would be refused: a file that may not be
        // written, or one that another stream holds.
        int fd = OpenShared(path, O_WRONLY, LOCK_EX, tag);
        close(fd);
    }
    handle = MakeTemporary(path, temporary, tag);
    // The new file keeps the old one's permissions.
    if (exists)
        fchmod(Descriptor(handle), existing.st_mode & 07777);
}

void stream_file::impl::OpenScratch()
{
    handle = MakeTemporary(path, temporary, "stream_file::impl::OpenWrite:88");
}

void stream_file::impl::Close()
{
    if (handle == -1)
        return;
    const int fd = Descriptor(handle);
    handle = -1;
    if (close(fd) != 0 && errno != EINTR)
        Fail("stream_file::impl::Close:170", errno);
}

void stream_file::impl::Commit()
{
    const char* tag = "stream_file::impl::Commit:175";
    if (handle == -1)
        Fail(tag, EBADF);
    const int fd = Descriptor(handle);
    handle = -1;
    if (close(fd) != 0 && errno != EINTR)
        Fail(tag, errno);  // the temporary file goes with this object
    if (temporary.empty())
        return;
    const uint32_t code = pending::Replace(temporary, path);
    temporary.clear();
    if (code != 0)
        Fail(tag, static_cast<int>(code));
}

int32_t stream_file::impl::GetSize()
{
    struct stat info;
    if (handle == -1 || fstat(Descriptor(handle), &info) != 0 || info.st_size > kMaxSize)
        return 0;
    return static_cast<int32_t>(info.st_size);
}

int32_t stream_file::impl::GetPos()
{
    off_t pos = handle == -1 ? -1 : lseek(Descriptor(handle), 0, SEEK_CUR);
    return pos < 0 || pos > kMaxSize ? 0 : static_cast<int32_t>(pos);
}

void stream_file::impl::Seek(int32_t offset)
{
    off_t current = lseek(Descriptor(handle), 0, SEEK_CUR);
    if (current < 0)
        Fail("stream_file::impl::Seek:131", errno);
    off_t target = current + offset;
    if (target < 0 || target > kMaxSize)
        Fail("stream_file::impl::Seek:131", EINVAL);
    if (lseek(Descriptor(handle), target, SEEK_SET) < 0)
        Fail("stream_file::impl::Seek:131", errno);
}

void stream_file::impl::SetPos(int32_t position)
{
    if (position < 0)
        Fail("stream_file::impl::SetPos:142", EINVAL);
    if (lseek(Descriptor(handle), position, SEEK_SET) < 0)
        Fail("stream_file::impl::SetPos:142", errno);
}

uint32_t stream_file::impl::Read(void* destination, uint32_t count)
{
    uint8_t* bytes = static_cast<uint8_t*>(destination);
    uint32_t done = 0;
    while (done < count) {
        ssize_t got = read(Descriptor(handle), bytes + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail("stream_file::impl::Read:153", errno);
        if (got == 0)
            break;  // the end of the file: the rest of the destination keeps its bytes
        done += static_cast<uint32_t>(got);
    }
    return done;
}

void stream_file::impl::Write(const void* source, uint32_t count)
{
    off_t pos = lseek(Descriptor(handle), 0, SEEK_CUR);
    if (pos < 0)
        Fail("stream_file::impl::Write:164", errno);
    if (pos + static_cast<off_t>(count) > kMaxSize)
        Fail("stream_file::impl::Write:164", EFBIG);
    const uint8_t* bytes = static_cast<const uint8_t*>(source);
    uint32_t done = 0;
    while (done < count) {
        ssize_t put = write(Descriptor(handle), bytes + done, count - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            Fail("stream_file::impl::Write:164", put < 0 ? errno : EIO);
        done += static_cast<uint32_t>(put);
    }
}

}  // namespace stream
}  // namespace sdk
