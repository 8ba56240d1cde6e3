#include "graphic/ImageSaverBMP.h"

#include "stream/StreamFile.h"

namespace sdk {
namespace graphic {

namespace {

void Put16(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void Write32(sdk::stream::stream_out& output, uint32_t value)
{
    uint8_t bytes[4];
    Put32(bytes, value);
    output.Write(bytes, 4);
}

}  // namespace

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
    Put32(info + 0, 40);
    Put32(info + 4, static_cast<uint32_t>(width));
    Put32(info + 8, static_cast<uint32_t>(height));  // positive: rows stored bottom-up
    Put16(info + 12, 1);
    Put16(info + 14, static_cast<uint32_t>(8 * channels));
    Put32(info + 16, bitFields ? 3 : 0);  // BI_BITFIELDS or BI_RGB
    Put32(info + 20, static_cast<uint32_t>(image.Size()));  // without the rows' padding
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
        Write32(output, 0x0000FF00u);
        Write32(output, 0x000000FFu);
        Write32(output, 0);
    } else if (channels == 4) {
        // Pixel word A | B << 8 | G << 16 | R << 24.
        Write32(output, 0xFF000000u);
        Write32(output, 0x00FF0000u);
        Write32(output, 0x0000FF00u);
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
    Write32(output, static_cast<uint32_t>(fileSize));
    output.SetPos(10);
    Write32(output, static_cast<uint32_t>(pixelOffset));
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
