#include "graphic/ImageSaverBMP.h"

#include "stream/ByteOrder.h"
#include "stream/StreamFile.h"

namespace sdk {
namespace graphic {

using stream::PutLittleEndian16;
using stream::PutLittleEndian32;
using stream::WriteLittleEndian32;

ImageSaverBMP::ImageSaverBMP(sdk::stream::stream_out& output) : output(output) {}

ImageSaverBMP::~ImageSaverBMP() = default;

void ImageSaverBMP::Save(const Image& image)
{
    // An image without pixels raises here, before anything is written.
    const uint8_t* const pixels = image.Data();
    const int32_t channels = image.Channels();
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    const int32_t stride = image.Stride();
    const bool bitFields = channels == 2 || channels == 4;

    uint8_t fileHeader[14] = {'B', 'M'};  // size and pixel offset are patched at the end
    output.Write(fileHeader, sizeof fileHeader);

    uint8_t info[40] = {};
    PutLittleEndian32(info + 0, 40);
    PutLittleEndian32(info + 4, static_cast<uint32_t>(width));
    PutLittleEndian32(info + 8, static_cast<uint32_t>(height));  // positive: rows stored bottom-up
    PutLittleEndian16(info + 12, 1);
    PutLittleEndian16(info + 14, static_cast<uint16_t>(8 * channels));
    PutLittleEndian32(info + 16, bitFields ? 3 : 0);                    // BI_BITFIELDS or BI_RGB
    PutLittleEndian32(info + 20, static_cast<uint32_t>(image.Size()));  // without the rows' padding
    output.Write(info, sizeof info);

    if (channels == 1) {
        uint8_t ramp[256 * 4];
        for (int i = 0; i < 256; ++i) {
            ramp[4 * i] = ramp[4 * i + 1] = ramp[4 * i + 2] = static_cast<uint8_t>(i);
            ramp[4 * i + 3] = 0;
        }
        output.Write(ramp, sizeof ramp);
    } else if (channels == 2) {
        // Pixel word A | G << 8: the grey byte shows as red, the alpha byte as green.
        WriteLittleEndian32(output, 0x0000FF00u);
        WriteLittleEndian32(output, 0x000000FFu);
        WriteLittleEndian32(output, 0);
    } else if (channels == 4) {
        // Pixel word A | B << 8 | G << 16 | R << 24.
        WriteLittleEndian32(output, 0xFF000000u);
        WriteLittleEndian32(output, 0x00FF0000u);
        WriteLittleEndian32(output, 0x0000FF00u);
    }
    const int32_t pixelOffset = output.GetPos();

    const uint8_t zeros[3] = {};
    const uint32_t padding = static_cast<uint32_t>(3 - ((stride - 1) & 3));
    for (int32_t y = height - 1; y >= 0; --y) {
        output.Write(pixels + static_cast<ptrdiff_t>(stride) * y, static_cast<uint32_t>(stride));
        if (padding != 0)
            output.Write(zeros, padding);
    }

    const int32_t fileSize = output.GetPos();
    output.SetPos(2);
    WriteLittleEndian32(output, static_cast<uint32_t>(fileSize));
    output.SetPos(10);
    WriteLittleEndian32(output, static_cast<uint32_t>(pixelOffset));
}

void SaveBMP(const Image& image, sdk::stream::stream_out& output)
{
    ImageSaverBMP saver(output);
    saver.Save(image);
}

void SaveBMP(const Image& image, const std::string& path)
{
    sdk::stream::file_out file(path);
    file.OpenWrite();
    SaveBMP(image, file);
}

}  // namespace graphic
}  // namespace sdk
