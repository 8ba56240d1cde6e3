#include "conversion/ListedFiles.h"

#include "files/AsciiText.h"
#include "files/Path.h"

InputKind InputKindOf(const std::string& path)
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
    return InputKind::kNone;
}

bool HasListedExtension(const std::string& path)
{
    return InputKindOf(path) != InputKind::kNone;
}

NamedPath ExpandNamedPath(const std::string& path, std::vector<std::string>& files,
                          std::vector<sdk::files::ListingProblem>* problems)
{
    if (sdk::files::IsDirectory(path)) {
        std::vector<std::string> found;
        sdk::files::FindFiles(found, path, "*", problems);
        for (const std::string& file : found) {
            if (HasListedExtension(file))
                files.push_back(file);
        }
        return NamedPath::kFolder;
    }
    if (sdk::files::IsFile(path)) {
        if (HasListedExtension(path))
            files.push_back(path);
        return NamedPath::kFile;
    }
    return NamedPath::kMissing;
}
