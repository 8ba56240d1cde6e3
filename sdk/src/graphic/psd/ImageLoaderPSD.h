// The reader of layered PSD documents.
//
// The constructor scans the whole file once and builds a table of records: one for the merged
// image and one per layer, each with its rectangle, name, blend-mode key and, per channel, where
// the channel's data lies and how it is compressed. Pixels are decoded only when they are asked
// for, from the positions recorded by the scan: row by row (Rows, LayerRows), so that an image
// of any height passes through in the memory of a few rows, or whole (Load, LayerLoad).
//
// By default the reader takes version 1 documents with 8 bits per channel in grayscale, indexed
// or RGB, raw or PackBits-compressed. Extended reading takes everything else a user is likely to
// have as well: the large document format (version 2, with its 8-byte lengths and 4-byte row
// counts), 1, 16 and 32 bits per channel (made 8-bit row by row as they are read), bitmap, CMYK,
// multichannel, duotone and Lab documents (made gray or RGB), ZIP-compressed layer channels,
// layer records kept in an "Lr16" or "Lr32" block, and the Unicode layer names of "luni"
// blocks.
//
// Files that are cut short or whose lengths and counts do not fit the file are refused with a
// runtime error before anything is sized by the numbers they declare.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "graphic/ImageLoader.h"
#include "graphic/psd/PsdFormat.h"
#include "graphic/psd/PsdLayerComps.h"
#include "graphic/psd/PsdLayerProperties.h"
#include "graphic/psd/PsdLinkedFiles.h"

namespace sdk {
namespace graphic {

class PsdInput;
struct PsdLayerNode;

class ImageLoaderPSD : public ImageLoader {
public:
    // One image of the document: the merged image or a layer.
    struct info_t : ImageInfo {
        struct channel_t {
            // 0 .. colorChannels - 1: colour components in file order; 0xFFFF: transparency;
            // -1: ignored (layer masks, extra channels). A layer channel may also carry
            // colorChannels itself.
            int32_t id = 0;
            // Layer channel: its length from the layer record, compression field included.
            // Merged channel: the byte count of its data.
            int64_t length = 0;
            int32_t countsOffset = 0;  // position of the RLE row counts; 0 unless RLE
            int32_t dataOffset = 0;    // position of the first data byte
            uint16_t compression = 0;  // 0 raw, 1 RLE, 2 ZIP, 3 ZIP with prediction
            int16_t storedId = 0;      // the id as the file stores it (-2 and -3: masks)
        };
        std::vector<channel_t> channels;
        // Records of layer masks (ids -2 and -3) among the channels: they hold no pixels of
        // the layer and do not count toward its alpha.
        int32_t masks = 0;
        // A layer's opacities, masks, group role and the rest of how it is shown.
        PsdLayerProperties properties;
    };

    explicit ImageLoaderPSD(stream::stream_in& stream, bool extended = false);
    ~ImageLoaderPSD() override;

    const char* FormatName() const override { return "PSD"; }
    void Load(Image& image, ImageInfo& info) override;
    int32_t LayerCount() override { return static_cast<int32_t>(layers.size()); }
    void LayerLoad(int32_t index, Image& image) override;
    void LayerInfo(int32_t index, ImageInfo& info) override;
    std::unique_ptr<RowSource> Rows() override;
    // Raises "ImageLoaderPSD::LayerLoad:75" for an index out of range.
    std::unique_ptr<RowSource> LayerRows(int32_t index) override;
    // The same opened at a row: the first NextRow gives row firstRow (0 .. the image's height;
    // a logic error otherwise), and the rows from there on are those of the source opened at
    // row 0, bytes and errors alike (see PsdImageRows.h). Height() stays the image's height.
    // Raw and PackBits channels are read from the row's place on; ZIP channels are inflated
    // from their start, the rows before firstRow dropped (see OpensAtAnyRow).
    std::unique_ptr<RowSource> Rows(int32_t firstRow);
    std::unique_ptr<RowSource> LayerRows(int32_t index, int32_t firstRow);
    // Whether the merged image (layer -1) or a layer's image opens at any row as cheaply as at
    // row 0: no channel it decodes is ZIP-compressed (or hidden by a later channel of the same
    // part of the pixel, which every opening decodes whole). Raises as LayerRecord.
    bool OpensAtAnyRow(int32_t layer) const;

    // The records the scan built, for callers that report on the document's structure.
    uint8_t ColorMode() const { return format.colorMode; }
    const info_t& MergedRecord() const { return merged; }
    // The channels of the merged image's decoded pixels (as Rows gives them), known without
    // decoding it.
    int32_t MergedChannels() const { return format.outputColors + (HasAlpha(merged) ? 1 : 0); }
    const info_t& LayerRecord(int32_t index) const;
    const PsdFormat& Format() const { return format; }
    // The ICC profile the document embeds (image resource 1039), as stored and unchecked; empty
    // when it has none, or one larger than kLargestIccProfile (then iccTooLarge). Whether the
    // document says its colours are untagged (resource 1041), whatever profile it keeps.
    const std::vector<uint8_t>& IccProfileBytes() const { return iccProfile; }
    bool IccProfileTooLarge() const { return iccTooLarge; }
    bool ColorsUntagged() const { return iccUntagged; }
    // The document's resolution (image resource 1005), when it says one.
    const PsdResolution& Resolution() const { return resolution; }
    // Where the document's layer comps (image resource 1065) lie: a versioned descriptor; a
    // length of 0 when it has none.
    const PsdBlockPlace& LayerCompsResource() const { return layerCompsResource; }
    // The document's layer comps (see PsdLayerComps.h), read from that resource on the first
    // call from any thread and kept: none when it has none, or when they cannot be read, and then
    // LayerCompsDamage names the damage ("ImageLoaderPSD::LayerComps:710"; empty when there is
    // none). The document is never refused for them.
    const std::vector<PsdLayerComp>& LayerComps();
    const std::string& LayerCompsDamage();
    // What the comps record for layer index, from the "cmls" item of its metadata block; none
    // when it has none. Raises "ImageLoaderPSD::LayerComps:720" when the records cannot be read.
    std::vector<PsdLayerCompRecord> LayerCompRecords(int32_t index);
    // Makes the layer records what the comp with id makes them, where it captured that part and
    // the layer has a record for it: the visibility; the position (the layer's rectangle, its
    // pixel mask, which moves with it, its vector mask unless unlinked, the anchor of its
    // effects); the appearance (opacity, fill opacity, blend mode, and the layer style in place
    // of the effects block, or none). Layers without a record stay as they are; so do layers
    // whose records cannot be read, which come back with their tag. Call it before any rows or
    // the group structure are asked for (a structure built before is built again, on the layers
    // as they are now). Raises "ImageLoaderPSD::ApplyLayerComp:730" when the document has no comp
    // of id.
    std::vector<PsdLayerCompDamage> ApplyLayerComp(int32_t id);
    // CMYK documents: every image's ink is made colour through transform (ink in, B G R out;
    // transform16 for rows of 16 bits) from now on, instead of by the simple ink formula; null
    // restores the formula. Set before any rows are asked for.
    void SetInkConversion(std::shared_ptr<const ColorTransform> transform,
                          std::shared_ptr<const ColorTransform> transform16 = nullptr)
    {
        format.inkToColor = std::move(transform);
        format.inkToColor16 = std::move(transform16);
    }
    // The merged image's rows, and a layer's, with 16-bit samples (see RowSource): the samples
    // of a 16-bit document as stored, those of a 32-bit one as its 8-bit rows make them but to 16
    // bits; raising what Rows and LayerRows raise. firstRow as for Rows.
    std::unique_ptr<RowSource> Rows16(int32_t firstRow = 0);
    std::unique_ptr<RowSource> LayerRows16(int32_t index, int32_t firstRow = 0);
    // Documents of 16 and 32 bits: the pictures drawn from the layers from now on take their
    // 16-bit samples and give 16-bit ones (see PsdFormat::drawSixteen); a document of fewer bits
    // keeps 8. Set before any rows are asked for.
    void SetSixteenBitDrawing(bool on) { format.drawSixteen = on && format.depth >= 16; }

    // How each layer is shown. Raises the tag of the first layer whose properties were damaged
    // (see ReadPsdLayerProperties); the scan itself does not refuse a document for them.
    void CheckLayerProperties() const;
    // The group structure of the layers (see PsdLayerTree.h), built on the first call from any
    // thread and kept. Raises what CheckLayerProperties and BuildPsdLayerTree raise.
    const PsdLayerNode& LayerTree();
    // The rows of a layer's pixel mask (one gray byte per pixel, over the mask's rectangle), or
    // nothing when the layer has no mask or its mask has no pixels. Raises what the decode of
    // the mask's channel raises. firstRow as for Rows, of the mask's rows. (PsdMaskRows.cpp)
    std::unique_ptr<RowSource> LayerMaskRows(int32_t index, int32_t firstRow = 0);
    // Whether LayerMaskRows opens at any row as cheaply as at row 0 (see OpensAtAnyRow); true
    // when the layer has no mask to decode.
    bool MaskOpensAtAnyRow(int32_t index) const;
    // The data of the layer's drawing or describing block with the 4-character key (see
    // PsdLayerProperties::drawingBlocks and describingBlocks) into bytes; false when the layer
    // has no such block. Raises "ImageLoaderPSD::LayerBlock:470" for a block larger than real
    // settings are (64 MiB). A block the file ends inside comes back with zeros for the missing
    // bytes.
    bool LayerBlock(int32_t index, const char* key, std::vector<uint8_t>& bytes);
    // Where the document's pattern blocks ("Patt", "Pat2", "Pat3", among the blocks after the
    // layer information) lie, in file order; the scan has checked that each lies within the
    // layer and mask section. Damaged blocks there end the list instead of refusing the file.
    const std::vector<PsdBlockPlace>& PatternBlocks() const { return patternBlocks; }
    // Reads count bytes at offset within the block at place into bytes; false (and nothing
    // read) when they do not lie within the block.
    bool BlockPart(const PsdBlockPlace& place, int64_t offset, int64_t count,
                   std::vector<uint8_t>& bytes);
    // The files the document keeps for its placed layers, in the order of its linked file
    // blocks ("lnkD", "lnk2", "lnk3", "lnkE") and of their records (see PsdLinkedFiles.h).
    // Damaged records do not refuse the document: each block's records end at the first, whose
    // tag LinkedFilesDamage keeps (the first of the document; empty when none).
    const std::vector<PsdLinkedFile>& LinkedFiles() const { return linkedFiles; }
    const std::string& LinkedFilesDamage() const { return linkedFilesDamage; }
    // The first linked file with the unique id, or nullptr.
    const PsdLinkedFile* FindLinkedFile(const std::string& id) const;
    // Copies an embedded file's bytes, as stored, to out in pieces of bounded size. Raises
    // "ImageLoaderPSD::LinkedFile:660" for a file that is not embedded, and what out raises.
    void CopyLinkedFile(const PsdLinkedFile& file, stream::stream_out& out);

private:
    // The scan, one step per section of the file, in file order (PsdFileSections.cpp; the layer
    // records: PsdLayerRecords.cpp).
    void Scan();
    void ScanHeader();
    void ScanColorModeData();
    void ScanImageResources();
    void ScanResourceBlocks(int64_t end);
    void ScanLayerAndMask();
    void ScanLayer(int64_t sectionEnd);
    void ScanLayerList();
    void ScanLayerInfo(info_t& layer);
    void ScanLayerChannels();
    std::string ScanUnicodeName(int64_t recordEnd);
    void ScanAdditionalLayerInfo(int64_t sectionEnd);
    void ScanGlobalBlocks(int64_t sectionEnd);
    void ScanLinkedFiles();
    void ScanMergedImage();
    // A length field of the large document format's width (8 bytes) or of the usual 4; a value
    // that no file can hold comes back as the largest 64-bit value.
    int64_t ReadLength(bool wide);

    // Whether the decoded pixels of record carry an alpha byte.
    bool HasAlpha(const info_t& record) const;
    std::unique_ptr<RowSource> RecordRows(const info_t& record, bool sixteen = false,
                                          int32_t firstRow = 0);
    void ReadRowCounts(int64_t countsOffset, int64_t rows, std::vector<uint32_t>& counts);

    stream::stream_in& stream;
    const bool extended;
    PsdFormat format;
    info_t merged;
    std::vector<info_t> layers;
    // The decode's reads of the file, which the sources of rows share.
    std::unique_ptr<PsdInput> input;
    std::mutex treeMutex;
    std::unique_ptr<PsdLayerNode> tree;
    std::vector<PsdBlockPlace> patternBlocks;
    std::vector<PsdBlockPlace> linkedFileBlocks;
    std::vector<PsdLinkedFile> linkedFiles;
    std::string linkedFilesDamage;
    std::vector<uint8_t> iccProfile;
    bool iccTooLarge = false;
    bool iccUntagged = false;
    PsdResolution resolution;
    PsdBlockPlace layerCompsResource;
    std::mutex compsMutex;
    bool compsRead = false;
    std::vector<PsdLayerComp> comps;
    std::string compsDamage;
    // Where the layer information ends, for the blocks that follow it.
    int64_t layerInfoEnd = 0;
    // What the document says of the merged channels after the colour channels ("extra"
    // channels): the image resources describe them as saved selections, spot colours or the
    // transparency; a negative layer count or a merged transparency block ("Mtrn", "Mt16",
    // "Mt32") says that the first of them is the transparency.
    struct ExtraChannels {
        bool firstIsSpot = false;  // the display information's kind of the first: spot colour
        // How many the resources name (alpha names, Unicode alpha names) or identify (alpha
        // identifiers), whichever list is longest.
        int64_t described = 0;
        bool firstIdentifiedAsTransparency = false;  // its alpha identifier is 0
        bool negativeLayerCount = false;
        bool transparencyBlock = false;
    } extra;
    // The first extra merged channel is the merged image's transparency (see ScanMergedImage).
    bool mergedAlpha = false;
};

}  // namespace graphic
}  // namespace sdk
