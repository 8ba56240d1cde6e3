#include "cli/CliArguments.h"

#include <getopt.h>

#include <cstdlib>
#include <cstring>
#include <set>

namespace {

// Long options without a short form are numbered above every character.
enum LongOnly {
    kPsdMng = 256,
    kPsdPng,
    kPsdLayers,
    kInfo,
    kLayerInfo,
    kBmpPng,
    kPngBmp,
    kAlpha,
    kCompression,
    kFillBlank,
    kInvertAlpha,
    kMngOffset,
    kMngTitle,
    kMngComment,
    kMngLoop,
    kFps,
    kPngOffset,
    kTrim,
    kNoAlpha,
    kNaming,
    kSkipEmptyLayers,
    kRemoveMatte,
    kExtended,
    kCompose,
    kAsShown,
    kGroups,
    kSkipHidden,
    kManifest,
    kSmartObjects,
    kPsdApng,
    kVerbose,
    kVersion,
    kLikeWindow,
    kFlat,
    kJson,
    kColor,
    kCmykProfile,
    kDepth,
    kComp,
};

const struct option kLongOptions[] = {
    {"psd-mng", no_argument, nullptr, kPsdMng},
    {"psd-png", no_argument, nullptr, kPsdPng},
    {"psd-layers", no_argument, nullptr, kPsdLayers},
    {"info", no_argument, nullptr, kInfo},
    {"layer-info", optional_argument, nullptr, kLayerInfo},
    {"bmp-png", no_argument, nullptr, kBmpPng},
    {"png-bmp", no_argument, nullptr, kPngBmp},
    {"alpha", required_argument, nullptr, kAlpha},
    {"output", required_argument, nullptr, 'o'},
    {"compression", required_argument, nullptr, kCompression},
    {"fill-blank", no_argument, nullptr, kFillBlank},
    {"invert-alpha", no_argument, nullptr, kInvertAlpha},
    {"mng-offset", no_argument, nullptr, kMngOffset},
    {"mng-title", no_argument, nullptr, kMngTitle},
    {"mng-comment", no_argument, nullptr, kMngComment},
    {"mng-loop", no_argument, nullptr, kMngLoop},
    {"fps", required_argument, nullptr, kFps},
    {"png-offset", no_argument, nullptr, kPngOffset},
    {"trim", no_argument, nullptr, kTrim},
    {"no-alpha", no_argument, nullptr, kNoAlpha},
    {"naming", required_argument, nullptr, kNaming},
    {"skip-empty-layers", no_argument, nullptr, kSkipEmptyLayers},
    {"remove-matte", no_argument, nullptr, kRemoveMatte},
    {"extended", no_argument, nullptr, kExtended},
    {"compose", no_argument, nullptr, kCompose},
    {"as-shown", no_argument, nullptr, kAsShown},
    {"comp", required_argument, nullptr, kComp},
    {"groups", required_argument, nullptr, kGroups},
    {"skip-hidden", no_argument, nullptr, kSkipHidden},
    {"manifest", no_argument, nullptr, kManifest},
    {"smart-objects", no_argument, nullptr, kSmartObjects},
    {"psd-apng", no_argument, nullptr, kPsdApng},
    {"color", required_argument, nullptr, kColor},
    {"cmyk-profile", required_argument, nullptr, kCmykProfile},
    {"depth", required_argument, nullptr, kDepth},
    {"like-window", no_argument, nullptr, kLikeWindow},
    {"flat", no_argument, nullptr, kFlat},
    {"json", no_argument, nullptr, kJson},
    {"jobs", required_argument, nullptr, 'j'},
    {"dry-run", no_argument, nullptr, 'n'},
    {"quiet", no_argument, nullptr, 'q'},
    {"verbose", no_argument, nullptr, kVerbose},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

// ":" first: a missing value comes back as ':' rather than as an unknown option.
const char kShortOptions[] = ":o:j:nqh";

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

// Applies one option and its value (null when none was given); false with a reason when the value
// is not one it takes.
bool ApplyOption(int code, const char* given, CliSettings& settings, std::string& reason)
{
    const std::string value = given != nullptr ? given : "";
    cOption& o = settings.options;
    switch (code) {
    case kPsdMng: o.psdToMng = true; return true;
    case kPsdPng: o.psdToPngMerged = true; return true;
    case kPsdLayers: o.psdToPngLayers = true; return true;
    case kInfo: o.textImageInfo = true; return true;
    case kLayerInfo:
        o.textLayerInfo = true;
        if (given != nullptr)
            return ParseLayerInfo(value, o, reason);
        o.textName = o.textPosition = o.textMode = true;
        return true;
    case kBmpPng: o.bmpToPng = true; return true;
    case kPngBmp: o.pngToBmp = true; return true;
    case kAlpha:
        if (value == "none") o.alphaFile = o.alphaSplit = o.alphaBgra = false;
        else if (value == "file") { o.alphaFile = true; o.alphaSplit = o.alphaBgra = false; }
        else if (value == "split") { o.alphaSplit = true; o.alphaFile = o.alphaBgra = false; }
        else if (value == "bgra") { o.alphaBgra = true; o.alphaFile = o.alphaSplit = false; }
        else { reason = "--alpha is none, file, split or bgra"; return false; }
        return true;
    case 'o': {
        std::string folder = value;
        if (folder.empty()) {
            reason = "--output needs a folder";
            return false;
        }
        // Kept without a final separator, as the window keeps it.
        while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
            folder.pop_back();
        o.outputFolder = folder;
        return true;
    }
    case kCompression:
        if (value == "standard") o.compressBest = o.compressFast = false;
        else if (value == "speed") { o.compressFast = true; o.compressBest = false; }
        else if (value == "ratio") { o.compressBest = true; o.compressFast = false; }
        else { reason = "--compression is standard, speed or ratio"; return false; }
        return true;
    case kFillBlank: o.fillBlank = true; return true;
    case kInvertAlpha: o.invertAlpha = true; return true;
    case kMngOffset: o.mngOffset = true; return true;
    case kMngTitle: o.mngTitle = true; return true;
    case kMngComment: o.mngComment = true; return true;
    case kMngLoop: o.mngLoop = true; return true;
    case kFps: {
        int fps = 0;
        if (!ParseNumber(value, 0, 100, fps)) {
            reason = "--fps takes a whole number from 0 to 100";
            return false;
        }
        o.mngFps = fps;
        return true;
    }
    case kPngOffset: o.pngOffset = true; return true;
    case kTrim: o.pngTrim = true; return true;
    case kNoAlpha: o.pngNoAlpha = true; return true;
    case kNaming:
        if (value == "folder-name") { o.separator = '\\'; o.serialNumber = false; }
        else if (value == "underscore-name") { o.separator = '_'; o.serialNumber = false; }
        else if (value == "folder-serial") { o.separator = '\\'; o.serialNumber = true; }
        else if (value == "underscore-serial") { o.separator = '_'; o.serialNumber = true; }
        else {
            reason = "--naming is folder-name, underscore-name, folder-serial or underscore-serial";
            return false;
        }
        return true;
    case kSkipEmptyLayers: o.skipEmptyLayers = true; return true;
    case kRemoveMatte: o.removeMatte = true; return true;
    case kExtended:
        o.extended = true;
        o.skipEmptyLayers = true;
        return true;
    case kCompose: o.compose = true; return true;
    case kAsShown: o.asShown = true; return true;
    case kGroups:
        if (value == "flat") o.groups = GroupLayout::Flat;
        else if (value == "folders") o.groups = GroupLayout::Folders;
        else if (value == "images") o.groups = GroupLayout::Images;
        else { reason = "--groups is flat, folders or images"; return false; }
        // Group records have no pixels of their own: they are left out, not failed.
        o.skipEmptyLayers = true;
        return true;
    case kSkipHidden: o.skipHidden = true; return true;
    case kManifest: o.manifest = true; return true;
    case kSmartObjects: o.smartObjects = true; return true;
    case kPsdApng: o.psdToApng = true; return true;
    case kColor:
        if (value == "auto") o.color = ColorChoice::Auto;
        else if (value == "srgb") o.color = ColorChoice::Srgb;
        else if (value == "keep") o.color = ColorChoice::Keep;
        else if (value == "none") o.color = ColorChoice::None;
        else { reason = "--color is auto, srgb, keep or none"; return false; }
        return true;
    case kDepth:
        if (value == "8") o.sixteenBitPngs = false;
        else if (value == "16") o.sixteenBitPngs = true;
        else { reason = "--depth is 8 or 16"; return false; }
        return true;
    case kComp:
        if (value.empty()) {
            reason = "--comp needs the name of a layer comp";
            return false;
        }
        o.comp = value;
        return true;
    case kCmykProfile: {
        std::string problem;
        o.cmykProfile = sdk::graphic::ReadIccProfileFile(value, problem);
        if (o.cmykProfile && o.cmykProfile->space != sdk::graphic::IccProfile::Space::Cmyk)
            problem = "it is not a CMYK profile";
        if (!problem.empty()) {
            reason = "--cmyk-profile: " + value + ": " + problem;
            return false;
        }
        return true;
    }
    case 'j':
        if (!ParseNumber(value, 1, 256, settings.jobs)) {
            reason = "--jobs takes a whole number from 1 to 256";
            return false;
        }
        return true;
    case kLikeWindow: settings.likeWindow = true; return true;
    case kFlat: settings.flat = true; return true;
    case kJson: settings.json = true; return true;
    case 'n': settings.dryRun = true; return true;
    case 'q': settings.quiet = true; return true;
    case kVerbose: settings.verbose = true; return true;
    case 'h': settings.help = true; return true;
    case kVersion: settings.version = true; return true;
    default:
        reason = "unknown option";
        return false;
    }
}

// The long options whose names start with typed (an option as typed, "--" and any "=value"
// taken off), in the order --help lists them.
std::vector<std::string> OptionsStartingWith(const std::string& typed)
{
    std::vector<std::string> names;
    for (const struct option* entry = kLongOptions; entry->name != nullptr; ++entry) {
        if (std::strncmp(entry->name, typed.c_str(), typed.size()) == 0)
            names.push_back(std::string("--") + entry->name);
    }
    return names;
}

// names as a list in words: "a, b or c".
std::string Alternatives(const std::vector<std::string>& names)
{
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

// What an option given does only with some conversions: the option, whether one of them is
// chosen, and the conversions it needs, as a note names them.
struct Dependence {
    int code;
    bool (*effective)(const cOption&);
    const char* needs;
};

bool LayerOutputs(const cOption& o) { return o.psdToPngLayers || o.psdToMng || o.psdToApng; }

const Dependence kDependences[] = {
    {kFps, [](const cOption& o) { return o.psdToMng || o.psdToApng; }, "--psd-mng or --psd-apng"},
    {kMngLoop, [](const cOption& o) { return o.psdToMng || o.psdToApng; },
     "--psd-mng or --psd-apng"},
    {kMngOffset, [](const cOption& o) { return o.psdToMng; }, "--psd-mng"},
    {kMngTitle, [](const cOption& o) { return o.psdToMng; }, "--psd-mng"},
    {kMngComment, [](const cOption& o) { return o.psdToMng; }, "--psd-mng"},
    {kPngOffset, [](const cOption& o) { return o.psdToPngLayers; }, "--psd-layers"},
    {kTrim, [](const cOption& o) { return o.psdToPngLayers; }, "--psd-layers"},
    {kNoAlpha, [](const cOption& o) { return o.psdToPngLayers; }, "--psd-layers"},
    {kNaming, [](const cOption& o) { return o.psdToPngLayers; }, "--psd-layers"},
    {kGroups, [](const cOption& o) { return o.psdToPngLayers; }, "--psd-layers"},
    {kSkipEmptyLayers, LayerOutputs, "--psd-layers, --psd-mng or --psd-apng"},
    {kSkipHidden,
     [](const cOption& o) { return LayerOutputs(o) || o.textImageInfo || o.textLayerInfo; },
     "--psd-layers, --psd-mng, --psd-apng, --info or --layer-info"},
    {kAsShown, [](const cOption& o) { return LayerOutputs(o) || o.textLayerInfo; },
     "--psd-layers, --psd-mng, --psd-apng or --layer-info"},
    {kCompose,
     [](const cOption& o) { return o.psdToPngMerged || o.textImageInfo || o.textLayerInfo; },
     "--psd-png, --info or --layer-info"},
    {kRemoveMatte, [](const cOption& o) { return o.psdToPngMerged; }, "--psd-png"},
    {kAlpha, [](const cOption& o) { return o.bmpToPng || o.pngToBmp; }, "--bmp-png or --png-bmp"},
    {kInvertAlpha, [](const cOption& o) { return o.bmpToPng || o.pngToBmp; },
     "--bmp-png or --png-bmp"},
    {kFillBlank, [](const cOption& o) { return LayerOutputs(o) || o.bmpToPng || o.pngToBmp; },
     "--psd-layers, --psd-mng, --psd-apng, --bmp-png or --png-bmp"},
    {kCompression,
     [](const cOption& o) { return LayerOutputs(o) || o.psdToPngMerged || o.bmpToPng; },
     "a PNG, MNG or APNG output"},
    {kExtended, [](const cOption& o) { return o.AnyPsdOutput() || o.bmpToPng; },
     "a PSD conversion or --bmp-png"},
    {kFlat, [](const cOption& o) { return !o.outputFolder.empty(); }, "-o"},
    {kColor, [](const cOption& o) { return LayerOutputs(o) || o.psdToPngMerged; },
     "--psd-png, --psd-layers, --psd-mng or --psd-apng"},
    {kCmykProfile, [](const cOption& o) { return LayerOutputs(o) || o.psdToPngMerged; },
     "--psd-png, --psd-layers, --psd-mng or --psd-apng"},
    {kDepth, [](const cOption& o) { return o.psdToPngLayers || o.psdToPngMerged; },
     "--psd-png or --psd-layers"},
    {kComp, [](const cOption& o) { return o.AnyPsdOutput(); }, "a PSD conversion"},
};

// The command line's own defaults, where the window's differ: the extended reading, layers
// without pixels left out, the merged image without its matte, animations at 10 frames a
// second, colours made sRGB where the document's are not, reports that name the colours and
// give the text of type layers, reports and manifests without the pixels, images made in bands.
void CommandLineDefaults(cOption& o, const std::set<int>& given)
{
    o.extended = true;
    o.skipEmptyLayers = true;
    o.removeMatte = true;
    if (given.count(kFps) == 0)
        o.mngFps = 10;
    if (given.count(kColor) == 0)
        o.color = ColorChoice::Auto;
    o.reportColor = true;
    o.reportsWithoutPixels = true;
    o.reportText = true;
    o.imageBands = true;
}

// The long name of an option's code.
std::string OptionName(int code)
{
    for (const struct option* entry = kLongOptions; entry->name != nullptr; ++entry) {
        if (entry->val == code)
            return std::string("--") + entry->name;
    }
    return "";
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& arguments, CliSettings& settings,
                    std::string& reason)
{
    // getopt_long reorders its array and keeps pointers into it: it gets copies of its own.
    std::vector<std::string> copies;
    copies.reserve(arguments.size() + 1);
    copies.push_back("quillconv-cli");
    copies.insert(copies.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : copies)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    const int argc = static_cast<int>(copies.size());

    std::set<int> given;
    optind = 0;  // a fresh scan, also when called again in one process
    opterr = 0;  // the messages are ours
    for (;;) {
        const int code = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr);
        if (code == -1)
            break;
        // The argument being looked at, named without its "=value", for the messages. Inside a
        // bundle of short options ("-nx") the option is known only by optopt.
        const std::string current = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        const std::string current_name =
            current.compare(0, 2, "--") == 0 ? current.substr(0, current.find('=')) : "";
        if (code == ':') {
            const std::string name =
                current_name.empty() ? std::string("-") + static_cast<char>(optopt) : current_name;
            reason = name + " needs a value";
            return false;
        }
        if (code == '?') {
            const bool short_option = optopt > 0 && optopt < 256;
            if (short_option && std::strchr(kShortOptions + 1, optopt) == nullptr)
                reason = std::string("unknown option -") + static_cast<char>(optopt);
            else if (optopt != 0)
                reason = current_name + " takes no value";
            else if (OptionsStartingWith(current_name.substr(2)).size() > 1)
                reason = current_name + " is ambiguous: it could be " +
                         Alternatives(OptionsStartingWith(current_name.substr(2)));
            else
                reason = "unknown option " + current_name;
            return false;
        }
        if (!ApplyOption(code, optarg, settings, reason))
            return false;
        given.insert(code);
    }
    for (int i = optind; i < argc; ++i)
        settings.paths.push_back(argv[i]);
    if (settings.likeWindow) {
        settings.flat = true;
        // The window writes the numbers as decoded, untagged.
        for (int code : {kColor, kCmykProfile, kDepth}) {
            if (given.count(code) != 0)
                settings.notes.push_back(OptionName(code) + " has no effect with --like-window");
            given.erase(code);
        }
        settings.options.color = ColorChoice::None;
        settings.options.cmykProfile.reset();
        settings.options.sixteenBitPngs = false;
    } else {
        CommandLineDefaults(settings.options, given);
    }

    const cOption& o = settings.options;
    if (settings.help || settings.version)
        return true;
    if (o.bmpToPng && o.pngToBmp) {
        reason = "--bmp-png and --png-bmp cannot be used together";
        return false;
    }
    if (!o.AnyPsdOutput() && !o.bmpToPng && !o.pngToBmp) {
        reason = "no conversion chosen (--psd-png, --psd-layers, --psd-mng, --psd-apng, --info, "
                 "--layer-info, --manifest, --smart-objects, --bmp-png or --png-bmp)";
        return false;
    }
    if (settings.paths.empty()) {
        reason = "no file or folder named";
        return false;
    }
    for (const Dependence& dependence : kDependences) {
        if (given.count(dependence.code) != 0 && !dependence.effective(o))
            settings.notes.push_back(OptionName(dependence.code) + " has no effect without " +
                                     dependence.needs);
    }
    return true;
}

const char* HelpText()
{
    return "Usage: quillconv-cli [OPTIONS] [--] PATH...\n"
           "Converts the PSD, PSB, BMP and PNG files named, and every such file below the\n"
           "folders named. Outputs go next to each input, or with -o below the folder it\n"
           "names as each input lies below the folder named. An output replaces an\n"
           "existing file only once it is complete: a conversion that fails leaves the\n"
           "earlier file as it was. --like-window converts as the window program does.\n"
           "\n"
           "PSD conversions (PSB, 1- to 32-bit, gray, indexed, RGB, CMYK, Lab,\n"
           "multichannel, duotone and bitmap documents, Unicode layer names):\n"
           "  --psd-png             the merged image as PNG, with straight alpha\n"
           "  --psd-layers          one PNG per layer with pixels; groups, dividers,\n"
           "                        adjustment layers and empty layers give none\n"
           "  --psd-mng             one MNG animation, a frame per layer with pixels\n"
           "  --psd-apng            one animated PNG (NAME.apng), which browsers play: a\n"
           "                        frame per layer with pixels, each at its offset and\n"
           "                        cut to the document's canvas; timed by --fps, looped by\n"
           "                        --mng-loop (else played once); unlike the MNG it holds\n"
           "                        no layer names or blend-mode keys\n"
           "  --info                text report: the document (size, colour, alpha, layers)\n"
           "  --layer-info[=LIST]   text report: a section per layer; LIST is a comma list\n"
           "                        of name, position, mode (all three when omitted); a\n"
           "                        type layer's section gives its text and first font\n"
           "  --manifest            NAME.json: the document's layer comps, and the layer\n"
           "                        tree top first (names, kinds, visibility, opacities,\n"
           "                        blend modes, clipping, masks, rectangles, type layers'\n"
           "                        text and styles, placed layers' files and corners,\n"
           "                        adjustments, fills, effects) with the layer PNG\n"
           "                        written for each node\n"
           "  --smart-objects       NAME/smart/: each file the document embeds for its\n"
           "                        placed layers (smart objects), once, byte for byte as\n"
           "                        stored, by its stored name; files it only links to\n"
           "                        are named on standard error, not copied\n"
           "  --compose             merged image: composed from the layers as the editor\n"
           "                        shows them (visibility, opacity and fill opacity,\n"
           "                        layer and vector masks, feathering, clipping, groups,\n"
           "                        knockout, artboards, blending ranges, blend modes,\n"
           "                        adjustment layers, solid, gradient and pattern fills,\n"
           "                        layer effects: shadows, glows, satin, overlays,\n"
           "                        strokes, bevels) instead of the image the document\n"
           "                        stores; standard error names each layer of which\n"
           "                        something is not drawn\n"
           "  --as-shown            each layer PNG and animation frame shows the layer as\n"
           "                        the editor draws it, alone: masks applied, opacity and\n"
           "                        fill opacity in its alpha, the adjustments clipped\n"
           "                        above it applied, a clipped layer cut by its base,\n"
           "                        its effects drawn and its rectangle grown by them;\n"
           "                        not its blend mode (--layer-info says which it has);\n"
           "                        hidden layers keep their pixels\n"
           "  --comp=NAME           every output shows the document in its layer comp\n"
           "                        NAME (its exact name): the layers' visibility,\n"
           "                        position and appearance (opacity, blend mode, layer\n"
           "                        style) as the comp records those it captured; a\n"
           "                        document without a comp of that name fails, and\n"
           "                        standard error lists the comps it has\n"
           "BMP and PNG:\n"
           "  --bmp-png             BMP to PNG: 1- to 32-bit, run-length coded, bit-field\n"
           "                        and OS/2 files; a file with an alpha mask keeps its\n"
           "                        alpha and takes none from a file or a half\n"
           "  --png-bmp             PNG to BMP (not together with --bmp-png)\n"
           "  --alpha=MODE          alpha on the BMP side: none (default), file (a second\n"
           "                        gray BMP named NAME_.bmp), split (right half of a BMP\n"
           "                        twice as wide) or bgra (--png-bmp: a 32-bit BMP with\n"
           "                        alpha, as current programs read it; opaque when the\n"
           "                        PNG has no alpha)\n"
           "  --invert-alpha        invert alpha (255 - value) in BMP and PNG conversion\n"
           "  --fill-blank          make fully transparent pixels black (layers, BMP, PNG)\n"
           "Output:\n"
           "  -o, --output=DIR      output folder, created if missing (default: next to\n"
           "                        each input); art/chars/a.psd of the folder art named\n"
           "                        goes to DIR/chars/, a file named itself to DIR\n"
           "  --flat                with -o: every output into DIR itself\n"
           "  --compression=MODE    PNG, MNG and APNG: standard (default), speed or ratio\n"
           "Colour and depth, of every PSD output but the reports:\n"
           "  --color=MODE          auto (default): srgb for documents whose numbers are\n"
           "                        not sRGB's already (CMYK, Lab, gray or RGB of another\n"
           "                        ICC profile), none for the others; srgb: converted\n"
           "                        through the document's profile to sRGB, the PNGs\n"
           "                        marked sRGB; keep: the numbers kept, the document's\n"
           "                        gray or RGB profile carried in the PNGs (CMYK and\n"
           "                        Lab as srgb); none: the numbers as decoded (CMYK by a\n"
           "                        simple ink formula), unmarked, as the window writes\n"
           "  --cmyk-profile=FILE   the ICC profile of CMYK documents that embed none\n"
           "                        (without it their ink is made colour by the formula)\n"
           "  --depth=N             8 (default) or 16: PNGs of 16-bit samples for 16- and\n"
           "                        32-bit documents (merged image, layers, group\n"
           "                        pictures, composed and as shown; animations stay\n"
           "                        8-bit)\n"
           "MNG and APNG:\n"
           "  --fps=N               frames per second, 0 to 100 (default 10); at 0 an\n"
           "                        APNG asks for the next frame at once, and players wait\n"
           "                        a short time of their own\n"
           "  --mng-loop            loop the animation (MNG: a TERM chunk; APNG: it plays\n"
           "                        endlessly, else once)\n"
           "  --mng-offset          keep layer offsets: a DEFI chunk before each frame whose\n"
           "                        layer is not at 0,0 (without it every frame is at 0,0)\n"
           "  --mng-title           keep layer names: a Title text in each named frame, and\n"
           "                        with --mng-offset a FRAM chunk carrying the name too\n"
           "  --mng-comment         each frame's blend-mode key (such as norm) as its\n"
           "                        Comment text\n"
           "Per-layer PNG:\n"
           "  --naming=SCHEME       folder-name (default: NAME/layer.png), underscore-name\n"
           "                        (NAME_layer.png), folder-serial (NAME/0000.png) or\n"
           "                        underscore-serial (NAME_0000.png); a name that an\n"
           "                        earlier layer took gets \" (2)\", \" (3)\", ...\n"
           "  --groups=MODE         flat (default: a file per layer record), folders (each\n"
           "                        layer below its groups: NAME/Group/Sub/layer.png, or\n"
           "                        NAME_Group_Sub_layer.png with underscore naming) or\n"
           "                        images (each outermost group drawn as one PNG, as the\n"
           "                        editor shows it, in place of its layers)\n"
           "  --skip-hidden         no layer PNG, MNG frame or group picture for hidden\n"
           "                        layers and the layers of hidden groups; the others\n"
           "                        keep their numbers\n"
           "  --png-offset          keep the layer offset in an oFFs chunk\n"
           "  --trim                give each layer PNG the document's size: the layer\n"
           "                        in place, cut where it passes the edges and padded\n"
           "                        with transparency where it does not fill it\n"
           "  --no-alpha            drop alpha\n"
           "The window's ways:\n"
           "  --like-window         convert and report as the window program does: only\n"
           "                        8-bit gray, indexed and RGB PSD documents of version 1\n"
           "                        and 8- and 24-bit BMP files (.psb files are left out),\n"
           "                        layer names read as code page 932, a layer without\n"
           "                        pixels failing its document, the stored merged image\n"
           "                        on the editor's white matte, --fps 0, one flat -o\n"
           "                        folder, and the window's status lines on standard\n"
           "                        output, each before its output is written, failures\n"
           "                        included; combines with the options below\n"
           "  --extended            with --like-window: the reading above, and layers\n"
           "                        without pixels left out\n"
           "  --skip-empty-layers   with --like-window: layers without pixels left out\n"
           "                        instead of failing the document; they keep numbers\n"
           "  --remove-matte        with --like-window: the merged image without the white\n"
           "                        the editor blends partly transparent colour with\n"
           "Running:\n"
           "  -j, --jobs=N          files converted at once, 1 to 256 (default: one per\n"
           "                        processor); idle processors make a document's\n"
           "                        images, each in bands at once\n"
           "  --json                a JSON object per line on standard output instead of\n"
           "                        the lines in words: each output written, each file\n"
           "                        that failed or was skipped, then the run's summary\n"
           "  -n, --dry-run         list the files that would be converted, convert nothing\n"
           "  -q, --quiet           no output lines, progress line or summary: failures\n"
           "                        alone (with --like-window the status lines stay)\n"
           "  --verbose             also the diagnostic records of failures (the error's\n"
           "                        class and codes) on standard error\n"
           "  -h, --help            this text\n"
           "  --version             the program's name and version\n"
           "  --                    every argument after it is a path, even one that\n"
           "                        starts with \"-\"\n"
           "\n"
           "Standard output lists each output once it is written (\"art.psd → art.png\"),\n"
           "file by file in input order, and nothing for an output that was not written.\n"
           "Standard error says why a file failed and what else is worth knowing about\n"
           "it, notes options that have no effect, and after a run given a folder or more\n"
           "than one file ends with a summary (\"12 converted, 1 failed, 2 skipped\"). Text\n"
           "is UTF-8. Files that are not regular files (pipes, devices) are skipped. Each\n"
           "file is converted once, however often it is named. A file fails rather than\n"
           "replace an output that another input of the same run wrote. Exit status: 0\n"
           "when every file converted, 1 when any failed or a path was missing, 2 for a\n"
           "usage error, 3 when a processor fault ended the run.\n"
           "Interrupted, it removes its unfinished outputs, says how many files were done\n"
           "and ends as the signal ends a program; so it does, silently, when the program\n"
           "reading its output stops (quillconv-cli ... | head -1).\n"
           "\n"
           "Examples:\n"
           "  quillconv-cli --psd-png --psd-layers --naming=underscore-serial art.psd\n"
           "  quillconv-cli --psd-layers --groups=folders --skip-hidden --manifest art.psd\n"
           "  quillconv-cli --psd-apng --mng-loop -o out art/\n"
           "  quillconv-cli --json --psd-png --psd-layers -o out art/ > log.jsonl\n"
           "  quillconv-cli --png-bmp --alpha=file -o out/ pictures/\n";
}
