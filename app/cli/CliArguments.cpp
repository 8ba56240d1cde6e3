#include "cli/CliArguments.h"

#include <cstdlib>

namespace {

// Splits "--name=value" into name and value; has_value tells whether "=" was there.
void SplitOption(const std::string& argument, std::string& name, std::string& value,
                 bool& has_value)
{
    const size_t equals = argument.find('=');
    has_value = equals != std::string::npos;
    name = has_value ? argument.substr(0, equals) : argument;
    value = has_value ? argument.substr(equals + 1) : std::string();
}

bool ParseNumber(const std::string& text, int low, int high, int& number)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    number = std::atoi(text.c_str());
    return number >= low && number <= high;
}

bool ParseLayerInfo(const std::string& list, cOption& options, std::string& reason)
{
    options.textName = options.textPosition = options.textMode = false;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        const std::string item = list.substr(start, comma - start);
        if (item == "name")
            options.textName = true;
        else if (item == "position")
            options.textPosition = true;
        else if (item == "mode")
            options.textMode = true;
        else {
            reason = "--layer-info takes a comma list of name, position and mode, not '" + item + "'";
            return false;
        }
        start = comma + 1;
    }
    return true;
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& arguments, CliSettings& settings,
                    std::string& reason)
{
    cOption& o = settings.options;
    bool only_paths = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (only_paths || argument.empty() || argument[0] != '-' || argument == "-") {
            settings.paths.push_back(argument);
            continue;
        }
        if (argument == "--") {
            only_paths = true;
            continue;
        }
        std::string name, value;
        bool has_value = false;
        SplitOption(argument, name, value, has_value);
        // The short forms and the long forms that take their value from the next argument.
        if ((name == "-o" || name == "-j") && !has_value) {
            if (i + 1 >= arguments.size()) {
                reason = name + " needs a value";
                return false;
            }
            value = arguments[++i];
            has_value = true;
        }
        auto flag = [&](bool& field) {
            if (has_value) {
                reason = name + " takes no value";
                return false;
            }
            field = true;
            return true;
        };
        auto needs_value = [&]() {
            if (!has_value || value.empty()) {
                reason = name + " needs a value (" + name + "=...)";
                return false;
            }
            return true;
        };

        bool ok = true;
        if (name == "--psd-mng") ok = flag(o.psdToMng);
        else if (name == "--psd-png") ok = flag(o.psdToPngMerged);
        else if (name == "--psd-layers") ok = flag(o.psdToPngLayers);
        else if (name == "--info") ok = flag(o.textImageInfo);
        else if (name == "--layer-info") {
            o.textLayerInfo = true;
            ok = has_value ? ParseLayerInfo(value, o, reason)
                           : (o.textName = o.textPosition = o.textMode = true);
        }
        else if (name == "--bmp-png") ok = flag(o.bmpToPng);
        else if (name == "--png-bmp") ok = flag(o.pngToBmp);
        else if (name == "--alpha") {
            ok = needs_value();
            if (ok && value == "none") o.alphaFile = o.alphaSplit = false;
            else if (ok && value == "file") { o.alphaFile = true; o.alphaSplit = false; }
            else if (ok && value == "split") { o.alphaFile = false; o.alphaSplit = true; }
            else if (ok) { reason = "--alpha is none, file or split"; ok = false; }
        }
        else if (name == "-o" || name == "--output") {
            ok = needs_value();
            // Kept without a final separator, as the window keeps it.
            while (ok && value.size() > 1 && (value.back() == '/' || value.back() == '\\'))
                value.pop_back();
            o.outputFolder = value;
        }
        else if (name == "--compression") {
            ok = needs_value();
            if (ok && value == "standard") o.compressBest = o.compressFast = false;
            else if (ok && value == "speed") { o.compressFast = true; o.compressBest = false; }
            else if (ok && value == "ratio") { o.compressBest = true; o.compressFast = false; }
            else if (ok) { reason = "--compression is standard, speed or ratio"; ok = false; }
        }
        else if (name == "--fill-blank") ok = flag(o.fillBlank);
        else if (name == "--invert-alpha") ok = flag(o.invertAlpha);
        else if (name == "--mng-offset") ok = flag(o.mngOffset);
        else if (name == "--mng-title") ok = flag(o.mngTitle);
        else if (name == "--mng-comment") ok = flag(o.mngComment);
        else if (name == "--mng-loop") ok = flag(o.mngLoop);
        else if (name == "--fps") {
            int fps = 0;
            ok = needs_value() && ParseNumber(value, 0, 100, fps);
            if (ok) o.mngFps = fps;
            else if (reason.empty()) reason = "--fps takes a whole number from 0 to 100";
        }
        else if (name == "--png-offset") ok = flag(o.pngOffset);
        else if (name == "--trim") ok = flag(o.pngTrim);
        else if (name == "--no-alpha") ok = flag(o.pngNoAlpha);
        else if (name == "--skip-empty-layers") ok = flag(o.skipEmptyLayers);
        else if (name == "--naming") {
            ok = needs_value();
            if (ok && value == "folder-name") { o.separator = '\\'; o.serialNumber = false; }
            else if (ok && value == "underscore-name") { o.separator = '_'; o.serialNumber = false; }
            else if (ok && value == "folder-serial") { o.separator = '\\'; o.serialNumber = true; }
            else if (ok && value == "underscore-serial") { o.separator = '_'; o.serialNumber = true; }
            else if (ok) {
                reason = "--naming is folder-name, underscore-name, folder-serial or underscore-serial";
                ok = false;
            }
        }
        else if (name == "-j" || name == "--jobs") {
            ok = needs_value() && ParseNumber(value, 1, 256, settings.jobs);
            if (!ok && reason.empty()) reason = "--jobs takes a whole number from 1 to 256";
        }
        else if (name == "-n" || name == "--dry-run") ok = flag(settings.dryRun);
        else if (name == "-q" || name == "--quiet") ok = flag(settings.quiet);
        else if (name == "--help" || name == "-h") ok = flag(settings.help);
        else if (name == "--version") ok = flag(settings.version);
        else {
            reason = "unknown option " + name;
            ok = false;
        }
        if (!ok)
            return false;
    }
    if (o.bmpToPng && o.pngToBmp) {
        reason = "--bmp-png and --png-bmp cannot be used together";
        return false;
    }
    if (!settings.help && !settings.version && settings.paths.empty()) {
        reason = "no file or folder named";
        return false;
    }
    return true;
}

const char* HelpText()
{
    return "Usage: quillconv-cli [OPTIONS] PATH...\n"
           "Converts the PSD, BMP and PNG files named, and every such file below the folders\n"
           "named, as the window converts the files dropped on it. Outputs go next to each\n"
           "input unless -o names a folder. An output replaces an existing file only once\n"
           "it is complete: a conversion that fails leaves the earlier file as it was.\n"
           "\n"
           "PSD conversions:\n"
           "  --psd-mng             one MNG animation, a frame per layer\n"
           "  --psd-png             the merged image as PNG\n"
           "  --psd-layers          one PNG per layer\n"
           "  --info                text report: the document (size, colour, alpha, layers)\n"
           "  --layer-info[=LIST]   text report: a section per layer; LIST is a comma list of\n"
           "                        name, position, mode (all three when omitted)\n"
           "BMP and PNG:\n"
           "  --bmp-png             BMP to PNG\n"
           "  --png-bmp             PNG to BMP (not together with --bmp-png)\n"
           "  --alpha=MODE          alpha on the BMP side: none (default), file (a second gray\n"
           "                        BMP named NAME_.bmp) or split (right half of a BMP twice\n"
           "                        as wide)\n"
           "  --invert-alpha        invert alpha (255 - value) in BMP and PNG conversion\n"
           "  --fill-blank          make fully transparent pixels black (layers, BMP and PNG)\n"
           "Output:\n"
           "  -o DIR, --output=DIR  output folder (default: next to each input)\n"
           "  --compression=MODE    PNG and MNG: standard (default), speed or ratio\n"
           "MNG:\n"
           "  --mng-offset          keep layer offsets (DEFI) and write frame chunks\n"
           "  --mng-title           keep layer names (FRAM name and Title text)\n"
           "  --mng-comment         write each layer's blend-mode key (such as norm) as the\n"
           "                        frame's Comment text\n"
           "  --mng-loop            loop the animation (TERM chunk)\n"
           "  --fps=N               ticks per second, 0 to 100 (default 0)\n"
           "Per-layer PNG:\n"
           "  --png-offset          keep the layer offset in an oFFs chunk\n"
           "  --trim                cut each layer to the document's frame\n"
           "  --no-alpha            drop alpha\n"
           "  --naming=SCHEME       folder-name (default: NAME/layer.png), underscore-name\n"
           "                        (NAME_layer.png), folder-serial (NAME/0000.png) or\n"
           "                        underscore-serial (NAME_0000.png)\n"
           "  --skip-empty-layers   leave out layers with an empty rectangle (groups,\n"
           "                        adjustment layers) instead of failing the document; the\n"
           "                        other layers keep their numbers\n"
           "Running:\n"
           "  -j N, --jobs=N        files converted at once (default: one per processor); idle\n"
           "                        processors encode a document's layer PNGs\n"
           "  -n, --dry-run         list the files that would be converted, convert nothing\n"
           "  -q, --quiet           no progress line\n"
           "  --help, --version\n"
           "\n"
           "Standard output lists each file's status lines, as the window's status list does,\n"
           "in input order. Exit status: 0 when every file converted, 1 when any failed or a\n"
           "path was missing, 2 for a usage error. Interrupted, it removes its unfinished\n"
           "outputs and ends as the signal ends a program.\n"
           "\n"
           "Examples:\n"
           "  quillconv-cli --psd-png --psd-layers --naming=underscore-serial art.psd\n"
           "  quillconv-cli --png-bmp --alpha=file -o out/ pictures/\n";
}
