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
        if (seen.insert(sdk::files::PathIdentity(file, current_folder)).second)
            list.files.push_back(file);
    };
    for (const std::string& path : paths) {
        std::vector<std::string> found;
        std::vector<sdk::files::ListingProblem> problems;
        const NamedPath named = ExpandNamedPath(path, found, &problems, listing);
        for (const sdk::files::ListingProblem& problem : problems)
            list.notes.push_back(ProblemNote(problem));
        for (const std::string& file : found)
            add(file);
        if (named == NamedPath::kFile && found.empty())
            list.notes.push_back(path + (listing == Listing::kExtended
                                             ? ": skipped (not .psd, .psb, .bmp or .png)"
                                             : ": skipped (not .psd, .bmp or .png)"));
        if (named == NamedPath::kMissing) {
            list.notes.push_back(path + ": no such file or folder");
            list.missing = true;
        }
    }
    return list;
}
