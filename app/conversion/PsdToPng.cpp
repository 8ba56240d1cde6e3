#include "conversion/PsdToPng.h"

#include <set>
#include <vector>

#include "conversion/Option.h"
#include "conversion/OutputFiles.h"
#include "conversion/StatusText.h"
#include "debug/Error.h"
#include "files/CodePage.h"
#include "files/Format.h"
#include "files/Path.h"

std::string SafeLayerName(const std::string& name)
{
    std::string result;
    std::string part;
    auto flush_part = [&] {
        if (part.empty())
            return;
        if (part.find_first_not_of('.') == std::string::npos)
            part.assign(part.size(), '_');
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
        } else if (length == 1 && c == ':') {
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

void CommitMergedPng(ConvertContext& context, const PsdDocument& document, StagedOutput& png)
{
    const std::string output = document.base + ".png";
    AddStatusLine(context, StatusLine(document.inputPath, output));
    png.Commit(context, document.inputPath, output);
    context.progress.StepIt();
}

namespace {

// The path of every layer's PNG, in layer order. A path that an earlier layer of the document
// takes already (compared without regard to ASCII letter case, so that every platform gives the
// same names) becomes "NAME (2).png", "NAME (3).png", ..., the first that is still free.
std::vector<std::string> LayerOutputs(const PsdDocument& document)
{
    std::vector<std::string> outputs;
    std::set<std::string> taken;
    for (const PsdLayer& layer : document.layers) {
        const std::string path =
            document.base +
            LayerFileName(option.separator, option.serialNumber, layer.index, layer.info.title);
        std::string output = path;
        const std::string stem = path.substr(0, path.size() - 4);  // without ".png"
        for (int32_t n = 2; !taken.insert(sdk::files::LowerAsciiLetters(output)).second; ++n)
            output = sdk::files::Format("%s (%d).png", stem.c_str(), n);
        outputs.push_back(output);
    }
    return outputs;
}

}  // namespace

void CommitLayerPngs(ConvertContext& context, const PsdDocument& document,
                     const std::vector<StagedOutput*>& pngs)
{
    const std::vector<std::string> outputs = LayerOutputs(document);
    for (size_t i = 0; i < document.layers.size(); ++i) {
        AddStatusLine(context, sdk::files::Format(
                                   "%s (%d) → %s",
                                   sdk::files::GetFileName(document.inputPath).c_str(),
                                   document.layers[i].index + 1,
                                   sdk::files::GetFileName(outputs[i]).c_str()));
        // A layer whose PNG was not made comes after one that failed, which ends the loop.
        if (pngs[i] == nullptr)
            throw sdk::debug::logic_error("CommitLayerPngs:85");
        pngs[i]->Commit(context, document.inputPath, outputs[i]);
        context.progress.StepIt();
    }
}
