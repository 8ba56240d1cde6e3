// The options of a run: one process-wide record. The window (or the command-line tool) writes
// it; the conversions only read it. With several workers it is written once before they start.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphic/color/IccProfile.h"
#include "graphic/dispatch/LoaderDispatch.h"

// Command-line tool only: how the layer PNGs follow the document's groups.
enum class GroupLayout {
    Flat,     // one file per layer record, as the window writes them
    Folders,  // each layer's file below folders named after the groups that hold it
    Images,   // each outermost group drawn as one picture in place of its layers
};

// Command-line tool only: what the colours of the PSD outputs are.
enum class ColorChoice {
    Auto,  // sRGB for documents whose numbers are not sRGB already, the numbers elsewhere
    Srgb,  // converted to sRGB through the document's profile, and marked sRGB
    Keep,  // the document's numbers, its profile carried along where PNG can carry it
    None,  // the numbers as decoded, unmarked, as the window writes them
};

class cOption {
public:
    bool psdToMng = false;        // one MNG per PSD
    bool psdToPngMerged = false;  // the PSD's merged image as PNG
    bool psdToPngLayers = false;  // one PNG per layer
    bool textImageInfo = false;   // text report: document section
    bool textLayerInfo = false;   // text report: one section per layer
    bool bmpToPng = false;
    bool pngToBmp = false;
    std::string outputFolder;     // empty: outputs go next to their input
    bool compressBest = false;    // PNG and MNG compression: best ratio
    bool compressFast = false;    // fastest (neither: standard)
    bool fillBlank = false;       // clear the colour of fully transparent pixels
    bool invertAlpha = false;     // invert alpha in BMP and PNG conversion
    bool mngOffset = false;       // MNG: layer offsets (DEFI) and frame chunks
    bool mngTitle = false;        // MNG: layer names
    bool mngComment = false;      // MNG: the layer's blend-mode key as the frame's comment
    bool mngLoop = false;         // MNG: looping TERM chunk
    int32_t mngFps = 0;           // MNG ticks per second, 0 to 100
    bool pngOffset = false;       // per-layer PNG: layer offset as oFFs
    bool pngTrim = false;         // per-layer PNG: cut to the document's frame
    bool pngNoAlpha = false;      // per-layer PNG: drop alpha
    char separator = '\\';        // '\\': layer files in a folder named after the input; '_': beside
    bool serialNumber = false;    // layer files named by number instead of by name
    bool textName = false;        // text report: name line
    bool textPosition = false;    // text report: size and offset lines
    bool textMode = false;        // text report: blend-mode line
    bool alphaFile = false;       // BMP alpha in a second file ending in "_.bmp"
    bool alphaSplit = false;      // BMP alpha in the right half of the picture
    // Command-line tool only: PNG to BMP writes alpha in the picture itself, as a 32-bit BMP
    // with a BITMAPV5HEADER (B, G, R, A); BMP to PNG then takes no alpha from a second file or
    // a half, as with neither of the two above.
    bool alphaBgra = false;
    // Command-line tool only: layers with an empty rectangle are left out of the MNG and the
    // per-layer PNGs instead of ending the document's conversion.
    bool skipEmptyLayers = false;
    // Command-line tool only: the merged image's colour is taken out of its blend with white
    // (the matte the editor stores it with) where it is partly transparent.
    bool removeMatte = false;
    // Command-line tool only: PSD documents are read with the reader's extended reading (the
    // large document format, other depths and colour modes, Unicode layer names), and .psb
    // files are listed. Implies skipEmptyLayers. BMP files are read with the BMP reader's
    // extended reading too (core and OS/2 headers, 1-, 2- and 4-bit palettes, run-length
    // coding, bit fields, alpha).
    bool extended = false;
    // Command-line tool only: a document's images are decoded and their outputs encoded on this
    // many threads at once (the outputs are written in their order all the same). With 1 the
    // converting thread does it all, as the window does.
    int32_t layerEncoders = 1;
    // Command-line tool only: each image's rows are cut into bands that the threads above
    // decode, filter and compress at once; every PNG datastream is joined from its bands'
    // blocks, the same bytes for any number of threads. Off: one stream per image, as the
    // window writes it.
    bool imageBands = false;
    // The filtered bytes of a band, about (tests make them small to get many bands).
    size_t bandBytes = 4 * 1024 * 1024;
    // Command-line tool only: the merged image is composed from the layers as the editor shows
    // them (straight alpha, no matte) instead of taken from the stored merged image.
    bool compose = false;
    // Command-line tool only: each layer's PNG and MNG frame shows the layer as the editor draws
    // it, alone: masks, opacities and clipping applied.
    bool asShown = false;

    // Command-line tool only: how the layer PNGs follow the groups.
    GroupLayout groups = GroupLayout::Flat;
    // Command-line tool only: hidden layers, and every layer of a hidden group, give no layer
    // PNG, no MNG frame and no group picture.
    bool skipHidden = false;
    // Command-line tool only: NAME.json, the document's layer tree with the files written.
    bool manifest = false;
    // Command-line tool only: each file the document embeds for its placed layers (smart
    // objects), as stored, into NAME/smart/.
    bool smartObjects = false;
    // Command-line tool only: NAME.apng, an animated PNG of a frame per layer with pixels, at
    // its offset on the document's canvas; timed and looped as the MNG.
    bool psdToApng = false;

    // Command-line tool only: what the colours of the PSD outputs are, and the profile of CMYK
    // documents that embed none (null: the simple ink formula).
    ColorChoice color = ColorChoice::None;
    std::shared_ptr<const sdk::graphic::IccProfile> cmykProfile;
    // Command-line tool only: documents of 16 and 32 bits give PNGs of 16-bit samples (the
    // merged image, the layer PNGs and group pictures, drawn or stored; animations stay 8-bit).
    bool sixteenBitPngs = false;
    // Command-line tool only: the name of the layer comp that every PSD document is shown in (in
    // this system's byte strings; matched exactly, as UTF-8, against the comps' names): its layers
    // take the visibility, position and appearance the comp records before anything is written. A
    // document without a comp of that name fails. Empty: the layers as the document keeps them.
    std::string comp;
    // Command-line tool only: the document report and the manifest name the document's colour
    // profile and what its colours became.
    bool reportColor = false;
    // Command-line tool only: the layer report gives each type layer's text and its first
    // style's font and size.
    bool reportText = false;
    // Command-line tool only: a run that writes only reports and manifests reads no pixels (the
    // merged image is not decoded), so damaged image data does not stop them.
    bool reportsWithoutPixels = false;
    // True when a PSD output that holds pixels is asked for.
    bool AnyPsdPicture() const
    {
        return psdToMng || psdToPngMerged || psdToPngLayers || psdToApng;
    }
    // True when any PSD output is asked for.
    bool AnyPsdOutput() const
    {
        return psdToMng || psdToPngMerged || psdToPngLayers || textImageInfo || textLayerInfo ||
               manifest || psdToApng || smartObjects;
    }
};

extern cOption option;

// How the readers read under the current options: their extended readings with extended.
sdk::graphic::ReadOptions ReadingOptions();

// Whether a file (name or path; only its end is looked at) is converted under the current
// options.
bool IsConvertible(const std::string& name);
