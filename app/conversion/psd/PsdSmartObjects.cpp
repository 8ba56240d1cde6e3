#include "conversion/psd/PsdSmartObjects.h"

#include <cctype>
#include <set>
#include <string>

#include "conversion/output/OutputFiles.h"
#include "conversion/psd/PsdToPng.h"
#include "files/CodePage.h"
#include "files/Format.h"
#include "files/NativeText.h"
#include "files/Path.h"
#include "files/Utf8Text.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "graphic/psd/PsdLinkedFiles.h"
#include "stream/Stream.h"

using sdk::graphic::ImageLoaderPSD;
using sdk::graphic::PsdLinkedFile;

namespace {

// The folder below the output base that holds the files.
const char kFolder[] = "smart";

// The extension a file of type takes when its name has none: the editor's documents by their
// types, and a type that is an extension already ("png ", "jpg ") by itself; empty for others.
std::string ExtensionOf(const char (&type)[4])
{
    const std::string code(type, 4);
    if (code == "8BPS")
        return "psd";
    if (code == "8BPB")
        return "psb";
    std::string extension = code.substr(0, code.find_last_not_of(' ') + 1);
    for (char& c : extension) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return std::string();
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension;
}

// Where the extension of a path's last name starts (its last dot), or the path's end when it has
// none: a name that starts with its only dot has none, and neither has one whose part after the
// dot is longer than an extension is (so that a number fits before it).
size_t ExtensionStart(const std::string& path)
{
    const size_t kLongestExtension = 16;
    size_t name = 0;
    size_t dot = std::string::npos;
    for (size_t pos = 0; pos < path.size(); pos += sdk::files::CharLength(path, pos)) {
        if (sdk::files::IsSeparator(path[pos])) {
            name = pos + 1;
            dot = std::string::npos;
        } else if (path[pos] == '.') {
            dot = pos;
        }
    }
    if (dot == std::string::npos || dot == name || path.size() - dot > kLongestExtension)
        return path.size();
    return dot;
}

// A path as the names that meet are compared: without regard to ASCII letter case, as the layer
// PNGs are named, and with either separator ("\" or "/") taken for the other, as the layer
// PNGs' names mix them.
std::string NameKey(const std::string& path)
{
    std::string key;
    for (size_t pos = 0; pos < path.size();) {
        const size_t length = sdk::files::CharLength(path, pos);
        if (length == 1 && sdk::files::IsSeparator(path[pos]))
            key += '/';
        else
            key.append(path, pos, length);
        pos += length;
    }
    return sdk::files::LowerAsciiLetters(key);
}

// The path of an output below the output base, as the status lines show it.
std::string BelowBase(const PsdDocument& document, const std::string& output)
{
    return output.substr(document.base.size() + 1);
}

}  // namespace

void NameSmartObjects(PsdDocument& document, const ImageLoaderPSD& psd)
{
    std::set<std::string> taken;
    for (const PsdLayer& layer : document.layers) {
        if (layer.png)
            taken.insert(NameKey(layer.output));
    }
    const std::vector<PsdLinkedFile>& files = psd.LinkedFiles();
    for (size_t i = 0; i < files.size(); ++i) {
        const PsdLinkedFile& file = files[i];
        if (!file.embedded || document.smartObjectFiles.count(file.id) != 0)
            continue;
        std::string name = SafeLayerName(sdk::files::Utf16ToNative(file.name));
        if (name.empty())
            name = "_";
        const std::string folder =
            document.base + sdk::files::kPathSeparator + kFolder + sdk::files::kPathSeparator;
        std::string path = folder + name;
        const size_t dot = ExtensionStart(path);
        const std::string extension = dot < path.size() ? path.substr(dot)
                                      : ExtensionOf(file.type).empty()
                                          ? std::string()
                                          : "." + ExtensionOf(file.type);
        const std::string stem = path.substr(0, dot);
        std::string output = FitLastName(stem, extension);
        for (int32_t n = 2; !taken.insert(NameKey(output)).second; ++n)
            output = FitLastName(stem, sdk::files::Format(" (%d)", n) + extension);
        document.smartObjects.push_back(PsdSmartObject{i, output});
        document.smartObjectFiles[file.id] = output;
    }
}

void WriteSmartObjects(ConvertContext& context, const PsdDocument& document, ImageLoaderPSD& psd)
{
    for (const PsdSmartObject& object : document.smartObjects) {
        const PsdLinkedFile& file = psd.LinkedFiles().at(object.file);
        AddStatusLine(context, sdk::files::Format(
                                   "%s → %s", sdk::files::GetFileName(document.inputPath).c_str(),
                                   BelowBase(document, object.output).c_str()));
        PrepareOutput(context, document.inputPath, object.output);
        WriteOutputFile(object.output,
                        [&](sdk::stream::stream_out& out) { psd.CopyLinkedFile(file, out); });
        ReportWritten(context, document.inputPath, object.output, OutputKind::SmartObject);
        context.progress.StepIt();
    }
}

void NoteLinkedFiles(ConvertContext& context, const ImageLoaderPSD& psd, bool external)
{
    if (context.remarks == nullptr)
        return;
    std::vector<std::string>& notes = context.remarks->notes;
    const std::string& damage = psd.LinkedFilesDamage();
    if (!damage.empty())
        notes.push_back(sdk::files::Format(
            "the records of the files its placed layers show are damaged (%s: %s); the records "
            "before the damage are kept (%d)",
            damage.c_str(), sdk::graphic::PsdLinkedFileDamage(damage).c_str(),
            static_cast<int>(psd.LinkedFiles().size())));
    if (!external)
        return;
    for (const PsdLinkedFile& file : psd.LinkedFiles()) {
        if (file.embedded)
            continue;
        const std::string name = sdk::files::Utf16ToUtf8(file.name);
        if (file.alias || file.externalPath.empty())
            notes.push_back(sdk::files::Format(
                "the placed file \"%s\" lives outside the document (linked); it is not copied",
                name.c_str()));
        else
            notes.push_back(sdk::files::Format(
                "the placed file \"%s\" lives outside the document, at %s (linked); it is not "
                "copied",
                name.c_str(), sdk::files::Utf16ToUtf8(file.externalPath).c_str()));
    }
}
