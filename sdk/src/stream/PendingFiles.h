// The temporary files that outputs are written to until they are complete. Each lies beside its
// final path and is listed, process-wide, from the moment it is made until it has replaced its
// final path or has been removed, so that a program being interrupted can remove what is left of
// its unfinished outputs before it ends. Safe to use from several threads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace sdk {
namespace stream {
namespace pending {

// A temporary name for final_path: in the same folder, ".NAME.PROCESS-NUMBER.tmp", NAME being
// the final file name. NAME is cut at a character boundary where the name would be longer than
// a file name may be (or, on Windows, the path longer than a path may be). Such a name is never
// one that either program lists as an input.
std::string TemporaryPath(const std::string& final_path, uint32_t process, uint64_t number);

// What an attempt to make a file at a new path gave.
enum class Made { kMade, kTaken, kFailed };

// Makes the temporary file of final_path through make, which creates the file at the path it
// is given and never opens an existing one: a taken name is followed by a fresh one. True when
// make made a file, whose path is then listed and returned in temporary_path; false when make
// failed (the reason is make's to keep) or every name tried was taken.
bool Make(const std::string& final_path, uint32_t process,
          const std::function<Made(const std::string&)>& make, std::string& temporary_path);

// Renames the listed (and closed) file at path over final_path and takes it off the list; when
// the rename fails, removes it. 0 when done, otherwise the system's error code of the rename.
uint32_t Replace(const std::string& path, const std::string& final_path);

// Removes the listed (and closed) file at path and takes it off the list.
void Discard(const std::string& path);

// Removes every listed file and keeps the list locked from then on, so that no temporary file is
// made, renamed or removed any more: for a program about to end on an interrupt.
void RemoveAllAndHold();

}  // namespace pending
}  // namespace stream
}  // namespace sdk
