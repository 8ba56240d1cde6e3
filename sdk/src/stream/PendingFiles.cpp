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

}  // namespace

std::string TemporaryPath(const std::string& final_path, uint32_t process, uint64_t number)
{
    const std::string folder = files::GetFolder(final_path);
    const std::string tail = "." + std::to_string(process) + "-" + std::to_string(number) + ".tmp";
    size_t room = files::kLongestName - 1 - tail.size();
    if (files::kLongestPath != 0) {
        const size_t fixed = folder.size() + 1 + tail.size();
        room = fixed < files::kLongestPath ? std::min(room, files::kLongestPath - fixed) : 0;
    }
    const std::string name = files::GetFileName(final_path);
    return folder + "." + name.substr(0, files::WholeCharactersWithin(name, room)) + tail;
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
