#include "cli/InputFiles.h"

#include "conversion/Option.h"
#include "files/FileSystem.h"
#include "files/AsciiText.h"
#include "files/Path.h"

using sdk::files::EqualsIgnoringCase;

bool HasListedExtension(const std::string& path)
{
    const std::string extension = sdk::files::GetExt(path);
    return EqualsIgnoringCase(extension, ".bmp") || EqualsIgnoringCase(extension, ".png") ||
           EqualsIgnoringCase(extension, ".psd");
}

InputList CollectInputs(const std::vector<std::string>& paths)
{
    InputList list;
    for (const std::string& path : paths) {
        if (sdk::files::IsDirectory(path)) {
            std::vector<std::string> found;
            sdk::files::FindFiles(found, path, "*");
            for (const std::string& file : found) {
                if (HasListedExtension(file))
                    list.files.push_back(file);
            }
        } else if (sdk::files::IsFile(path)) {
            if (HasListedExtension(path))
                list.files.push_back(path);
            else
                list.skipped.push_back(path);
        } else {
            list.missing.push_back(path);
        }
    }
    return list;
}
