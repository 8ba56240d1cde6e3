#include "graphic/psd/ImageLoaderPSD.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "debug/Error.h"
#include "graphic/ImageRows.h"
#include "graphic/psd/PsdImageRows.h"
#include "graphic/psd/PsdInput.h"
#include "graphic/psd/PsdLayerTree.h"
#include "graphic/psd/PsdRecordFields.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

ImageLoaderPSD::ImageLoaderPSD(stream::stream_in& stream, bool extended)
    : stream(stream), extended(extended), input(new PsdInput(stream))
{
    Scan();
}

ImageLoaderPSD::~ImageLoaderPSD() = default;

void ImageLoaderPSD::LayerLoad(int32_t index, Image& image)
{
    ReadAllRows(*LayerRows(index), image);
}

std::unique_ptr<RowSource> ImageLoaderPSD::LayerRows(int32_t index)
{
    return LayerRows(index, 0);
}

std::unique_ptr<RowSource> ImageLoaderPSD::LayerRows(int32_t index, int32_t firstRow)
{
    if (index < 0 || index >= LayerCount())
        throw debug::runtime_error("ImageLoaderPSD::LayerLoad:75");
    return RecordRows(layers[static_cast<size_t>(index)], false, firstRow);
}

std::unique_ptr<RowSource> ImageLoaderPSD::LayerRows16(int32_t index, int32_t firstRow)
{
    if (index < 0 || index >= LayerCount())
        throw debug::runtime_error("ImageLoaderPSD::LayerLoad:75");
    return RecordRows(layers[static_cast<size_t>(index)], true, firstRow);
}

bool ImageLoaderPSD::OpensAtAnyRow(int32_t layer) const
{
    const info_t& record = layer == -1 ? merged : LayerRecord(layer);
    return PsdImageRows::OpensAtAnyRow(format, record, HasAlpha(record));
}

void ImageLoaderPSD::LayerInfo(int32_t index, ImageInfo& info)
{
    if (index < 0 || index >= LayerCount())
        throw debug::runtime_error("ImageLoaderPSD::LayerInfo:87");
    info = layers[static_cast<size_t>(index)];
}

const ImageLoaderPSD::info_t& ImageLoaderPSD::LayerRecord(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(layers.size()))
        throw debug::runtime_error("ImageLoaderPSD::LayerRecord:92");
    return layers[static_cast<size_t>(index)];
}

bool ImageLoaderPSD::LayerBlock(int32_t index, const char* key, std::vector<uint8_t>& bytes)
{
    const int64_t kLargest = 64 << 20;
    const PsdLayerProperties& properties = LayerRecord(index).properties;
    for (const auto* list : {&properties.drawingBlocks, &properties.describingBlocks}) {
        for (const PsdBlockPlace& place : *list) {
            if (memcmp(place.key, key, 4) != 0)
                continue;
            if (place.length > kLargest)
                throw debug::runtime_error("ImageLoaderPSD::LayerBlock:470");
            bytes.assign(static_cast<size_t>(place.length), 0);
            if (!bytes.empty())
                input->ReadAt(place.start, bytes.data(), static_cast<uint32_t>(bytes.size()));
            return true;
        }
    }
    return false;
}

bool ImageLoaderPSD::BlockPart(const PsdBlockPlace& place, int64_t offset, int64_t count,
                               std::vector<uint8_t>& bytes)
{
    if (offset < 0 || count < 0 || offset > place.length || count > place.length - offset ||
        count > std::numeric_limits<uint32_t>::max())
        return false;
    bytes.assign(static_cast<size_t>(count), 0);
    if (!bytes.empty())
        input->ReadAt(place.start + offset, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return true;
}

const PsdLinkedFile* ImageLoaderPSD::FindLinkedFile(const std::string& id) const
{
    for (const PsdLinkedFile& file : linkedFiles) {
        if (file.id == id)
            return &file;
    }
    return nullptr;
}

void ImageLoaderPSD::CopyLinkedFile(const PsdLinkedFile& file, stream::stream_out& out)
{
    // The scan has checked that the data lies within its record, and so within the file.
    if (!file.embedded || file.dataStart < 0 || file.dataLength < 0)
        throw debug::runtime_error("ImageLoaderPSD::LinkedFile:660");
    const int64_t kPiece = 1 << 20;
    std::vector<uint8_t> piece(static_cast<size_t>(std::min(kPiece, file.dataLength)));
    for (int64_t done = 0; done < file.dataLength;) {
        const uint32_t count = static_cast<uint32_t>(std::min(kPiece, file.dataLength - done));
        input->ReadAt(file.dataStart + done, piece.data(), count);
        out.Write(piece.data(), count);
        done += count;
    }
}

void ImageLoaderPSD::CheckLayerProperties() const
{
    for (const info_t& layer : layers) {
        if (!layer.properties.damage.empty())
            throw debug::runtime_error(layer.properties.damage.c_str());
    }
}

const PsdLayerNode& ImageLoaderPSD::LayerTree()
{
    std::lock_guard<std::mutex> lock(treeMutex);
    if (!tree) {
        CheckLayerProperties();
        tree.reset(new PsdLayerNode(BuildPsdLayerTree(*this)));
    }
    return *tree;
}

void ImageLoaderPSD::Load(Image& image, ImageInfo& info)
{
    info = merged;
    ReadAllRows(*Rows(), image);
}

std::unique_ptr<RowSource> ImageLoaderPSD::Rows()
{
    return RecordRows(merged);
}

std::unique_ptr<RowSource> ImageLoaderPSD::Rows(int32_t firstRow)
{
    return RecordRows(merged, false, firstRow);
}

std::unique_ptr<RowSource> ImageLoaderPSD::Rows16(int32_t firstRow)
{
    return RecordRows(merged, true, firstRow);
}

// The scan runs through the sections of the file in their order: PsdFileSections.cpp, with
// the layer records in PsdLayerRecords.cpp.

void ImageLoaderPSD::Scan()
{
    format.fileSize = stream.GetSize();
    stream.SetPos(0);
    ScanHeader();
    ScanColorModeData();
    ScanImageResources();
    ScanLayerAndMask();
    ScanMergedImage();
}

int64_t ImageLoaderPSD::ReadLength(bool wide)
{
    if (!wide)
        return ReadI32(stream);
    const uint64_t value = stream::ReadBigEndian64(stream);
    return static_cast<int64_t>(
        std::min<uint64_t>(value, static_cast<uint64_t>(std::numeric_limits<int64_t>::max())));
}

bool ImageLoaderPSD::HasAlpha(const info_t& record) const
{
    // A multichannel document has inks only; the merged image has the transparency that
    // ScanMergedImage found, if any.
    if (format.colorMode == PsdFormat::kMultichannel)
        return false;
    if (&record == &merged)
        return mergedAlpha;
    return static_cast<int64_t>(record.channels.size()) - record.masks > format.colorChannels;
}

std::unique_ptr<RowSource> ImageLoaderPSD::RecordRows(const info_t& record, bool sixteen,
                                                      int32_t firstRow)
{
    return std::unique_ptr<RowSource>(new PsdImageRows(format, *input, record, HasAlpha(record),
                                                       &record == &merged, sixteen, firstRow));
}

}  // namespace graphic
}  // namespace sdk
