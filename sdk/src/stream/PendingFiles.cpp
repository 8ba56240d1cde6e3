#include "stream/PendingFiles.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>

#include "files/CodePage.h"
#include "files/FileSystem.h"
#include "files/Path.h"

namespace sdk {
namespace stream {
namespace pending {

namespace {

// A file name has at most 255 bytes on the systems the program runs on; a Windows path at most
// 259 and its terminator.
const size_t kMaxName = 255;
#if defined(_WIN32)
const size_t kMaxPath = 259;
#endif

// The most names tried for one temporary file before giving up.
const int kMaxAttempts = 1000;

struct List {
    std::mutex mutex;
    std::set<std::string> paths;
};

// Never destroyed: an interrupt may come while the program's statics are being torn down.
List& TheList()
{
    static List* list = new List;
    return *list;
}

std::atomic<uint64_t> next_number{0};

// The longest start of text of at most limit bytes that ends between two characters.
std::string CutAtCharacter(const std::string& text, size_t limit)
{
    const bool utf8 = files::ActiveCodePage() == files::kCodePageUtf8;
    size_t end = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t length = files::CharLength(text, pos);
        // In UTF-8 the continuation bytes belong to the character before them.
        while (utf8 && pos + length < text.size() &&
               (static_cast<uint8_t>(text[pos + length]) & 0xC0) == 0x80)
            ++length;
        if (pos + length > limit)
            break;
        pos += length;
        end = pos;
    }
    return text.substr(0, end);
}

}  // namespace

std::string TemporaryPath(const std::string& final_path, uint32_t process, uint64_t number)
{
    const std::string folder = files::GetFolder(final_path);
    const std::string tail = "." + std::to_string(process) + "-" + std::to_string(number) + ".tmp";
    size_t room = kMaxName - 1 - tail.size();
#if defined(_WIN32)
    const size_t fixed = folder.size() + 1 + tail.size();
    room = fixed < kMaxPath ? std::min(room, kMaxPath - fixed) : 0;
#endif
    return folder + "." + CutAtCharacter(files::GetFileName(final_path), room) + tail;
}

bool Make(const std::string& final_path, uint32_t process,
          const std::function<Made(const std::string&)>& make, std::string& temporary_path)
{
    List& list = TheList();
    std::lock_guard<std::mutex> lock(list.mutex);
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        const std::string candidate = TemporaryPath(final_path, process, next_number++);
        const Made made = make(candidate);
        if (made == Made::kTaken)
            continue;
        if (made == Made::kFailed)
            return false;
        list.paths.insert(candidate);
        temporary_path = candidate;
        return true;
    }
    return false;
}

uint32_t Replace(const std::string& path, const std::string& final_path)
{
    List& list = TheList();
    std::lock_guard<std::mutex> lock(list.mutex);
    const uint32_t code = files::RenameOver(path, final_path);
    if (code != 0)
        files::RemoveFile(path);
    list.paths.erase(path);
    return code;
}

void Discard(const std::string& path)
{
    List& list = TheList();
    std::lock_guard<std::mutex> lock(list.mutex);
    files::RemoveFile(path);
    list.paths.erase(path);
}

void RemoveAllAndHold()
{
    List& list = TheList();
    list.mutex.lock();  // never unlocked: the program ends next
    for (const std::string& path : list.paths)
        files::RemoveFile(path);
    list.paths.clear();
}

}  // namespace pending
}  // namespace stream
}  // namespace sdk
