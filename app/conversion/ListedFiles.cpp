#include "conversion/ListedFiles.h"

#include "files/AsciiText.h"
#include "files/Path.h"

InputKind InputKindOf(const std::string& path, Listing listing)
{
    struct Listed {
        const char* extension;
        InputKind kind;
    };
    static const Listed listed[] = {
        {".bmp", InputKind::kBmp},
        {".png", InputKind::kPng},
        {".psd", InputKind::kPsd},
    };
    const std::string extension = sdk::files::GetExt(path);
    for (const Listed& entry : listed) {
        if (sdk::files::EqualsIgnoringCase(extension, entry.extension))
            return entry.kind;
    }
    if (listing == Listing::kExtended && sdk::files::EqualsIgnoringCase(extension, ".psb"))
        return InputKind::kPsd;
    return InputKind::kNone;
}

bool HasListedExtension(const std::string& path, Listing listing)
{
    return InputKindOf(path, listing) != InputKind::kNone;
}

NamedPath ExpandNamedPath(const std::string& path, std::vector<std::string>& files,
                          std::vector<sdk::files::ListingProblem>* problems, Listing listing)
{
    if (sdk::files::IsDirectory(path)) {
        std::vector<std::string> found;
        sdk::files::FindFiles(found, path, "*", problems);
        for (const std::string& file : found) {
            if (HasListedExtension(file, listing))
                files.push_back(file);
        }
        return NamedPath::kFolder;
    }
    if (sdk::files::IsFile(path)) {
        if (HasListedExtension(path, listing))
            files.push_back(path);
        return NamedPath::kFile;
    }
    return NamedPath::kMissing;
}
