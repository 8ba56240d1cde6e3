#include "conversion/psd/PsdToPng.h"

#include <algorithm>
#include <set>
#include <vector>

#include "conversion/Option.h"
#include "conversion/output/OutputFiles.h"
#include "conversion/output/StatusText.h"
#include "debug/Error.h"
#include "files/CodePage.h"
#include "files/FileSystem.h"
#include "files/Format.h"
#include "files/Path.h"

namespace {

// part cut at a character so that it and ending fit in most bytes.
std::string FitName(const std::string& part, const std::string& ending,
                    size_t most = sdk::files::kLongestName)
{
    const size_t room = most > ending.size() ? most - ending.size() : 0;
    return part.substr(0, sdk::files::WholeCharactersWithin(part, room)) + ending;
}

}  // namespace

std::string FitLastName(const std::string& path, const std::string& ending)
{
    // Where the last name starts (the path functions bound what they return on Windows, so
    // they cannot take a name that is too long apart).
    size_t start = 0;
    for (size_t pos = 0; pos < path.size(); pos += sdk::files::CharLength(path, pos)) {
        if (sdk::files::IsSeparator(path[pos]))
            start = pos + 1;
    }
    const std::string folder = path.substr(0, start);
    const std::string name = path.substr(start);
    size_t most = sdk::files::kLongestName;
    if (sdk::files::kLongestPath != 0) {
        // The bound is on the whole path: a relative folder lies in the current one.
        const bool rooted = !sdk::files::GetDrive(folder).empty() ||
                            (!folder.empty() && sdk::files::IsSeparator(folder[0]));
        const size_t taken =
            folder.size() + (rooted ? 0 : sdk::files::CurrentFolder().size() + 1);
        if (taken + ending.size() < sdk::files::kLongestPath)
            most = std::min(most, sdk::files::kLongestPath - taken);
    }
    return folder + FitName(name, ending, most);
}

namespace {

// Whether Windows takes a part of a path for a device ("con.png" is the console there, whatever
// the extension): a device name before the first dot, in any letter case, trailing spaces
// ignored.
bool IsDeviceName(const std::string& part)
{
    std::string stem = part.substr(0, part.find('.'));
    stem.erase(stem.find_last_not_of(' ') + 1);
    stem = sdk::files::LowerAsciiLetters(stem);
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::string SafeLayerName(const std::string& name)
{
    std::string result;
    std::string part;
    auto flush_part = [&] {
        if (part.empty())
            return;
        if (part.find_first_not_of('.') == std::string::npos)
            part.assign(part.size(), '_');
        if (IsDeviceName(part))
            part.insert(0, 1, '_');
        part = FitName(part, "");
        if (!result.empty())
            result += sdk::files::kPathSeparator;
        result += part;
        part.clear();
    };
    for (size_t pos = 0; pos < name.size();) {
        const size_t length = sdk::files::CharLength(name, pos);
        const char c = name[pos];
        if (length == 1 && sdk::files::IsSeparator(c)) {
            flush_part();
        } else if (length == 1 && (c == ':' || static_cast<uint8_t>(c) < 0x20 || c == 0x7F)) {
            part += '_';
        } else {
            part.append(name, pos, length);
        }
        pos += length;
    }
    flush_part();
    return result;
}

std::string LayerFileName(char separator, bool serial, int32_t index, const std::string& title)
{
    if (serial)
        return sdk::files::Format("%c%04d.png", separator, index);
    return sdk::files::Format("%c%s.png", separator, SafeLayerName(title).c_str());
}

namespace {

// A group's name as a part of a path: a group without a name (or with nothing left of it) still
// gets its level.
std::string SafeGroupName(const std::string& group)
{
    const std::string safe = SafeLayerName(group);
    return safe.empty() ? "_" : safe;
}

// What a layer PNG's status line shows: its file name, after the folders of its groups when
// they are folders.
std::string ShownOutput(const PsdLayer& layer)
{
    std::string shown;
    if (option.separator == '\\') {
        for (const std::string& group : layer.groups)
            shown += SafeGroupName(group) + sdk::files::kPathSeparator;
    }
    return shown + sdk::files::GetFileName(layer.output);
}

}  // namespace

std::string GroupPathPart(char separator, const std::vector<std::string>& groups)
{
    std::string part;
    for (const std::string& group : groups)
        part += separator + SafeGroupName(group);
    return part;
}

void CommitMergedPng(ConvertContext& context, const PsdDocument& document, StagedOutput& png)
{
    const std::string output = document.base + ".png";
    png.CommitShown(context, document.inputPath, output, OutputKind::Merged, 1);
}

void NameLayerPngs(PsdDocument& document)
{
    // A path that an earlier picture of the document takes already (compared without regard to
    // ASCII letter case, so that every platform gives the same names) becomes "NAME (2).png",
    // "NAME (3).png", ..., the first that is still free.
    std::set<std::string> taken;
    for (PsdLayer& layer : document.layers) {
        if (!layer.png)
            continue;
        // A name too long for the file system is cut to fit, its ending and number kept.
        const std::string path =
            document.base + GroupPathPart(option.separator, layer.groups) +
            LayerFileName(option.separator, option.serialNumber, layer.index, layer.info.title);
        const std::string stem = path.substr(0, path.size() - 4);  // without ".png"
        std::string output = FitLastName(stem, ".png");
        for (int32_t n = 2; !taken.insert(sdk::files::LowerAsciiLetters(output)).second; ++n)
            output = FitLastName(stem, sdk::files::Format(" (%d).png", n));
        layer.output = output;
    }
}

void CommitLayerPngs(ConvertContext& context, const PsdDocument& document,
                     const std::vector<StagedOutput*>& pngs)
{
    for (size_t i = 0; i < document.layers.size(); ++i) {
        const PsdLayer& layer = document.layers[i];
        if (!layer.png)
            continue;
        AddStatusLine(context, sdk::files::Format(
                                   "%s (%d) → %s",
                                   sdk::files::GetFileName(document.inputPath).c_str(),
                                   layer.index + 1, ShownOutput(layer).c_str()));
        // A layer whose PNG was not made comes after one that failed, which ends the loop.
        if (pngs[i] == nullptr)
            throw sdk::debug::logic_error("CommitLayerPngs:85");
        pngs[i]->Commit(context, document.inputPath, layer.output);
        ReportWritten(context, document.inputPath, layer.output,
                      layer.groupPicture ? OutputKind::Group : OutputKind::Layer, layer.index + 1);
        context.progress.StepIt();
    }
}
