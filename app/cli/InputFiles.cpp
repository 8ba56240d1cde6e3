#include "cli/InputFiles.h"

#include <set>

#include "conversion/ListedFiles.h"
#include "debug/Error.h"
#include "files/FileSystem.h"
#include "files/Path.h"

namespace {

std::string ProblemNote(const sdk::files::ListingProblem& problem)
{
    if (problem.kind == sdk::files::ListingProblem::Kind::kFolderLink)
        return problem.path + ": a link to a folder, not followed";
    return problem.path + ": cannot be read (" + sdk::debug::GetErrorText(problem.error) +
           "); the files in it are left out";
}

}  // namespace

InputList CollectInputs(const std::vector<std::string>& paths, Listing listing)
{
    InputList list;
    const std::string current_folder = sdk::files::CurrentFolder();
    std::set<std::string> seen;
    auto add = [&](const std::string& file) {
        if (!seen.insert(sdk::files::PathIdentity(file, current_folder)).second)
            return;
        // Reading a pipe or a device could wait for ever.
        if (!sdk::files::IsRegularFile(file)) {
            list.notes.push_back(file + ": not a regular file (a pipe, a device or a socket), "
                                        "skipped");
            ++list.skipped;
            return;
        }
        list.files.push_back(file);
    };
    for (const std::string& path : paths) {
        std::vector<std::string> found;
        std::vector<sdk::files::ListingProblem> problems;
        // The extended listing finds .psb files too, which are left out with a hint when it is
        // not asked for.
        const NamedPath named = ExpandNamedPath(path, found, &problems, Listing::kExtended);
        for (const sdk::files::ListingProblem& problem : problems)
            list.notes.push_back(ProblemNote(problem));
        int large_documents = 0;
        for (const std::string& file : found) {
            if (listing == Listing::kStandard && !HasListedExtension(file, listing))
                ++large_documents;
            else
                add(file);
        }
        if (named == NamedPath::kFile && found.empty()) {
            list.notes.push_back(path + (listing == Listing::kExtended
                                             ? ": skipped (not .psd, .psb, .bmp or .png)"
                                             : ": skipped (not .psd, .bmp or .png)"));
            ++list.skipped;
        }
        if (named == NamedPath::kFile && large_documents > 0) {
            list.notes.push_back(path + ": skipped (a .psb file; --extended reads those)");
            ++list.skipped;
        }
        if (named == NamedPath::kFolder && large_documents > 0) {
            list.notes.push_back(
                path + (large_documents == 1 ? ": 1 .psb file left out"
                                             : ": " + std::to_string(large_documents) +
                                                   " .psb files left out") +
                "; --extended reads those");
            list.skipped += large_documents;
        }
        if (named == NamedPath::kMissing) {
            list.notes.push_back(path + ": no such file or folder");
            list.missing = true;
        }
    }
    return list;
}
