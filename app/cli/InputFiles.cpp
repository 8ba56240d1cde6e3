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

// The folders between folder and file, a file found below it: "a/b" for folder/a/b/c.psd.
std::string SubfolderBelow(const std::string& folder, const std::string& file)
{
    size_t start = sdk::files::StripSeparator(folder).size();
    if (file.compare(0, start, sdk::files::StripSeparator(folder)) != 0)
        return std::string();
    while (start < file.size() && sdk::files::IsSeparator(file[start]))
        ++start;
    return sdk::files::StripSeparator(sdk::files::GetFolder(file.substr(start)));
}

}  // namespace

InputList CollectInputs(const std::vector<std::string>& paths, Listing listing)
{
    InputList list;
    const std::string current_folder = sdk::files::CurrentFolder();
    std::set<std::string> seen;
    auto skip = [&](const std::string& file, const std::string& why, const std::string& note) {
        list.notes.push_back(note);
        list.skipped.push_back({file, why});
    };
    auto add = [&](const std::string& file, const std::string& subfolder) {
        if (!seen.insert(sdk::files::PathIdentity(file, current_folder)).second)
            return;
        // Reading a pipe or a device could wait for ever.
        if (!sdk::files::IsRegularFile(file)) {
            const std::string why = "not a regular file (a pipe, a device or a socket)";
            skip(file, why, file + ": " + why + ", skipped");
            return;
        }
        list.files.push_back({file, subfolder});
    };
    for (const std::string& path : paths) {
        std::vector<std::string> found;
        std::vector<sdk::files::ListingProblem> problems;
        // The extended listing finds .psb files too, which are left out with a hint when it is
        // not asked for.
        const NamedPath named = ExpandNamedPath(path, found, &problems, Listing::kExtended);
        for (const sdk::files::ListingProblem& problem : problems)
            list.notes.push_back(ProblemNote(problem));
        std::vector<std::string> large_documents;
        for (const std::string& file : found) {
            if (listing == Listing::kStandard && !HasListedExtension(file, listing))
                large_documents.push_back(file);
            else
                add(file, named == NamedPath::kFolder ? SubfolderBelow(path, file) : "");
        }
        const char* const psb_why = "a .psb file, which --extended reads";
        if (named == NamedPath::kFile && found.empty()) {
            const std::string why = listing == Listing::kExtended
                                        ? "not .psd, .psb, .bmp or .png"
                                        : "not .psd, .bmp or .png";
            skip(path, why, path + ": skipped (" + why + ")");
        }
        if (named == NamedPath::kFile && !large_documents.empty())
            skip(path, psb_why, path + ": skipped (a .psb file; --extended reads those)");
        if (named == NamedPath::kFolder && !large_documents.empty()) {
            const size_t count = large_documents.size();
            list.notes.push_back(path +
                                 (count == 1 ? ": 1 .psb file left out"
                                             : ": " + std::to_string(count) + " .psb files left out") +
                                 "; --extended reads those");
            for (const std::string& file : large_documents)
                list.skipped.push_back({file, psb_why});
        }
        if (named == NamedPath::kFolder)
            list.folderNamed = true;
        if (named == NamedPath::kMissing) {
            list.notes.push_back(path + ": no such file or folder");
            list.missing.push_back(path);
        }
    }
    return list;
}
