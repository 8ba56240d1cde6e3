#include "cli/FailureExplanation.h"

#include <cstdint>
#include <cstring>
#include <exception>

#include "cli/ProgressText.h"
#include "conversion/Option.h"
#include "debug/Error.h"
#include "files/FileSystem.h"
#include "files/NativeText.h"
#include "graphic/dispatch/LoaderDispatch.h"
#include "graphic/psd/ImageLoaderPSD.h"
#include "stream/StreamFile.h"

namespace {

// Tags and what they mean, matched by their start: the first entry that the tag starts with
// explains it. "%s" stands for the system's reason where a file operation failed. Where the
// extended reading of PSD documents and BMP files (--extended) says something else,
// extendedText says it.
struct Explanation {
    const char* tag;
    const char* text;
    const char* extendedText = nullptr;
};

// A layer without pixel data: LoadImage:305, or in a document an image of width or height 0.
const char kEmptyLayer[] =
    "a layer without pixels, such as a group: --skip-empty-layers leaves such layers out";

const Explanation kExplanations[] = {
    {"RunOutputs::Claim:",
     "another input of this run already wrote an output of the same name; convert one of "
     "them in another run or into another folder (-o)"},
    {"stream_file::OpenRead:", "the file cannot be opened: %s"},
    {"file_in::Read:", "the file cannot be read: %s"},
    {"stream_file::Seek:", "the file cannot be read: %s"},
    {"stream_file::SetPos:", "the file cannot be read: %s"},
    {"stream_file::OpenWrite:",
     "an output cannot be written there: %s; check the folder, or choose another with -o"},
    {"file_out::Write:", "an output could not be written in full: %s; is the disk full?"},
    {"file_out::Commit:", "a finished output could not take its name: %s"},
    {"WriteTextInfo:41",
     "the text report cannot be written there: %s; check the folder, or choose another with -o"},
    {"WriteTextInfo:52", "the text report could not be written in full: %s; is the disk full?"},
    {"ImageLoaderPSD::Scan:103",
     "not a PSD document of version 1 (a large-document PSB file, perhaps): --extended reads "
     "those",
     "neither a PSD nor a PSB document (a version that no editor writes)"},
    {"ImageLoaderPSD::Scan:123", "",  // by the document's depth, below
     "channels of a depth that is not read (bitmaps have 1 bit, indexed documents 8, others "
     "8, 16 or 32)"},
    {"ImageLoaderPSD::Scan:124",
     "a bitmap (1-bit) document: without --extended only gray, indexed and RGB documents are "
     "read"},
    {"ImageLoaderPSD::Scan:125",
     "a CMYK, Lab, multichannel or duotone document: without --extended only gray, indexed and "
     "RGB documents are read",
     "a colour mode that is not read"},
    {"ImageLoaderPSD::LoadImage:305", kEmptyLayer},
    {"ImageLoaderPSD::LoadImage:340",
     "a picture of the document is wider than 1,000,000 pixels, more than a PNG is written "
     "with"},
    {"ImageLoaderPSD::LayerProperties:",
     "a layer's masks, blend settings or group information are damaged, so the layers cannot "
     "be drawn as the editor shows them"},
    {"ImageLoaderPSD::LayerBlock:",
     "a layer's adjustment, fill or effect settings are damaged, so the layers cannot be drawn "
     "as the editor shows them"},
    {"ImageLoaderPSD::LayerTree:450",
     "the layer groups are nested more deeply than the renderer takes (24 levels)"},
    {"GroupAsShown:140",
     "a group's layers lie so far apart that its picture (--groups=images) would hold more "
     "pixels than the document and its layers together, or be wider or taller than "
     "1,000,000 pixels"},
    {"ImageLoaderPSD::", "the PSD file is damaged or cut short"},
    {"ImageLoaderBMP::LoadInfo:121",
     "an OS/2 or core BMP header (shorter than 40 bytes): --extended reads those",
     "a BMP header of a size that no BMP version has"},
    {"ImageLoaderBMP::LoadInfo:122", "the BMP header's plane count is not 1"},
    {"ImageLoaderBMP::LoadInfo:123",
     "a compressed (run-length coded) or bit-field BMP: --extended reads those"},
    {"ImageLoaderBMP::LoadInfo:124",
     "a BMP of fewer than 8 bits a pixel: --extended reads 1-, 2- and 4-bit files"},
    {"ImageLoaderBMP::LoadInfo:133", "a BMP bit count that no BMP layout has"},
    {"ImageLoaderBMP::LoadInfo:134", "the BMP header's height is out of range"},
    {"ImageLoaderBMP::LoadInfo:135", "the BMP palette counts more than 256 colours"},
    {"ImageLoaderBMP::LoadInfo:139",
     "a BMP compression that is not read (embedded JPEG or PNG, OS/2 Huffman or 24-bit "
     "run-length coding)"},
    {"ImageLoaderBMP::LoadInfo:140", "the BMP compression does not fit its bits a pixel"},
    {"ImageLoaderBMP::LoadInfo:141", "the BMP header's width or height is 0 or negative"},
    {"ImageLoaderBMP::LoadInfo:142",
     "a BMP bit-field mask that is not one run of bits inside the pixel"},
    {"ImageLoaderBMP::Load:151",
     "the BMP file holds fewer pixels than its header says (cut short, or a size too large)"},
    {"ImageLoaderBMP::Load:152",
     "the run-length coded data is far too short for the picture size its header says"},
    {"ImageLoaderBMP::", "the BMP file is damaged or cut short"},
    {"ImageSaverBMP::SaveBgra:91", "the picture is too large for a 32-bit BMP (over 2 GiB)"},
    {"ImageLoaderPNG::", "the PNG file is damaged or cut short"},
    {"graphic::Load:", "the alpha file NAME_.bmp beside it is not a picture"},
    {"Image::Create:61", "the picture is too large (more than 2 GiB of pixels)"},
    {"ConvertPngToBmp:104", "the picture is too wide to be doubled in width (--alpha=split)"},
};

bool StartsWith(const std::string& text, const char* start)
{
    return text.compare(0, std::strlen(start), start) == 0;
}

// The bits per channel that the PSD document at path names in its header; 0 when it cannot be
// read.
int PsdDepth(const std::string& path)
{
    try {
        sdk::stream::file_in file(path);
        file.OpenRead();
        uint8_t header[24] = {};
        file.Read(header, sizeof header);
        return header[22] << 8 | header[23];
    } catch (const std::exception&) {
        return 0;
    }
}

// Why a document of another depth than 8 bits is not read without --extended.
std::string DepthNotRead(const std::string& path)
{
    const int depth = PsdDepth(path);
    if (depth == 1)
        return "a bitmap (1-bit) document: without --extended only 8-bit gray, indexed and RGB "
               "documents are read";
    if (depth == 16 || depth == 32)
        return std::to_string(depth) + "-bit channels: without --extended only 8-bit documents "
                                       "are read";
    return "channels of a depth other than 8 bits: without --extended only 8-bit documents are "
           "read";
}

// Why the PSD document at path is not shown in the layer comp that --comp names: the comps it
// has, by name, read from it again.
std::string NoSuchComp(const std::string& path)
{
    std::string text =
        "the document has no layer comp named \"" + WithoutControls(option.comp, '_') + "\"";
    try {
        sdk::stream::file_in file(path);
        file.OpenRead();
        sdk::smart_ptr<sdk::graphic::ImageLoader> loader =
            sdk::graphic::CreateLoader(file, ReadingOptions());
        auto* psd = dynamic_cast<sdk::graphic::ImageLoaderPSD*>(loader.Get());
        if (psd == nullptr)
            return text;
        if (!psd->LayerCompsDamage().empty())
            return text + ": its list of layer comps is damaged (" + psd->LayerCompsDamage() + ")";
        const std::vector<sdk::graphic::PsdLayerComp>& comps = psd->LayerComps();
        if (comps.empty())
            return text + ": it has no layer comps";
        text += ": its layer comps are ";
        for (size_t i = 0; i < comps.size(); ++i) {
            text += i == 0 ? "" : i + 1 == comps.size() ? " and " : ", ";
            text += "\"" + WithoutControls(sdk::files::Utf16ToNative(comps[i].name), '_') + "\"";
        }
        return text;
    } catch (const std::exception&) {
        return text;
    }
}

}  // namespace

std::string ExplainFailure(const std::string& path, const ConversionFailure& failure,
                           const ExplanationSetting& setting)
{
    if (failure.tag.empty()) {
        if (failure.format.empty()) {
            return sdk::files::GetFileSize64(path) == 0
                       ? "an empty file"
                       : "not a PSD, BMP or PNG file (its first bytes are none of them)";
        }
        if (failure.format == "MNG")
            return "an MNG file, which is never converted";
        return "its contents are " + failure.format +
               ", which the chosen conversions do not take from a file named like this one";
    }
    std::string text = "the conversion failed";
    const bool in_document = failure.format == "PSD";
    if (in_document && (failure.tag == "Image::Create:59" || failure.tag == "Image::Create:60")) {
        text = kEmptyLayer;
    } else if (StartsWith(failure.tag, "RunOutputs::Claim:") && !setting.windowTexts) {
        text = "another input of this run already wrote an output of the same name: files of "
               "one name in one folder (a.psd and a.psb, or a.psd and a.bmp) write the same "
               "outputs; convert one of them in a run of its own, with -o naming another folder";
        if (setting.flatOutputFolder)
            text += ", or leave out --flat, which puts the outputs of every folder into one";
    } else if (failure.tag == "ImageLoaderPSD::Scan:123" && !option.extended) {
        text = DepthNotRead(path);
    } else if (failure.tag == "ConvertPsd:740") {
        text = NoSuchComp(path);
    } else {
        for (const Explanation& entry : kExplanations) {
            if (StartsWith(failure.tag, entry.tag)) {
                text = option.extended && entry.extendedText != nullptr ? entry.extendedText
                                                                        : entry.text;
                break;
            }
        }
    }
    const size_t reason = text.find("%s");
    if (reason != std::string::npos) {
        const std::string system = failure.systemError != 0
                                       ? sdk::debug::GetErrorText(failure.systemError)
                                       : std::string("no reason given by the system");
        text.replace(reason, 2, system);
    }
    return text;
}
