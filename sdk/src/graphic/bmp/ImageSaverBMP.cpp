#include "graphic/bmp/ImageSaverBMP.h"

#include <vector>

#include "debug/Error.h"
#include "graphic/ImageLimits.h"
#include "stream/ByteOrder.h"
#include "stream/StreamFile.h"

namespace sdk {
namespace graphic {

using stream::PutLittleEndian16;
using stream::PutLittleEndian32;
using stream::WriteLittleEndian32;

namespace {

const uint32_t kV5HeaderSize = 124;
const uint32_t kSrgb = 0x73524742;  // LCS_sRGB: 'sRGB'
const uint32_t kGmImages = 4;       // LCS_GM_IMAGES: perceptual rendering intent

// Patches the file size and the pixel offset into the file header written at position 0.
void FinishFile(sdk::stream::stream_out& output, int32_t pixelOffset)
{
    const int32_t fileSize = output.GetPos();
    output.SetPos(2);
    WriteLittleEndian32(output, static_cast<uint32_t>(fileSize));
    output.SetPos(10);
    WriteLittleEndian32(output, static_cast<uint32_t>(pixelOffset));
}

}  // namespace

ImageSaverBMP::ImageSaverBMP(sdk::stream::stream_out& output, BmpForm form)
    : output(output), form(form)
{
}

ImageSaverBMP::~ImageSaverBMP() = default;

void ImageSaverBMP::Save(const Image& image)
{
    if (form == BmpForm::Bgra) {
        SaveBgra(image);
        return;
    }
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

    FinishFile(output, pixelOffset);
}

void ImageSaverBMP::SaveBgra(const Image& image)
{
    // An image without pixels raises here, before anything is written.
    const uint8_t* const pixels = image.Data();
    const int32_t channels = image.Channels();
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    const int32_t stride = image.Stride();
    // Rows of 4-byte pixels need no padding. Four bytes a pixel may take a raster past the
    // largest file that the streams' positions reach: refused before anything is written.
    const int64_t rowBytes = int64_t{4} * width;
    if (rowBytes * height > kMaxImageBytes - kV5HeaderSize - 14)
        throw debug::runtime_error("ImageSaverBMP::SaveBgra:91");

    uint8_t fileHeader[14] = {'B', 'M'};  // size and pixel offset are patched at the end
    output.Write(fileHeader, sizeof fileHeader);

    uint8_t info[kV5HeaderSize] = {};
    PutLittleEndian32(info + 0, kV5HeaderSize);
    PutLittleEndian32(info + 4, static_cast<uint32_t>(width));
    PutLittleEndian32(info + 8, static_cast<uint32_t>(height));  // positive: rows bottom-up
    PutLittleEndian16(info + 12, 1);
    PutLittleEndian16(info + 14, 32);
    PutLittleEndian32(info + 16, 3);  // BI_BITFIELDS
    PutLittleEndian32(info + 20, static_cast<uint32_t>(rowBytes * height));
    PutLittleEndian32(info + 40, 0x00FF0000u);  // red
    PutLittleEndian32(info + 44, 0x0000FF00u);  // green
    PutLittleEndian32(info + 48, 0x000000FFu);  // blue
    PutLittleEndian32(info + 52, 0xFF000000u);  // alpha
    PutLittleEndian32(info + 56, kSrgb);        // endpoints and gammas stay 0, as sRGB has them
    PutLittleEndian32(info + 108, kGmImages);
    output.Write(info, sizeof info);
    const int32_t pixelOffset = output.GetPos();

    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (int32_t y = height - 1; y >= 0; --y) {
        const uint8_t* in = pixels + static_cast<ptrdiff_t>(stride) * y;
        uint8_t* out = row.data();
        for (int32_t x = 0; x < width; ++x, in += channels, out += 4) {
            switch (channels) {
            case 1: out[0] = out[1] = out[2] = in[0]; out[3] = 255; break;
            case 2: out[0] = out[1] = out[2] = in[1]; out[3] = in[0]; break;
            case 3: out[0] = in[0]; out[1] = in[1]; out[2] = in[2]; out[3] = 255; break;
            default: out[0] = in[1]; out[1] = in[2]; out[2] = in[3]; out[3] = in[0]; break;
            }
        }
        output.Write(row.data(), static_cast<uint32_t>(rowBytes));
    }

    FinishFile(output, pixelOffset);
}

void SaveBMP(const Image& image, sdk::stream::stream_out& output, BmpForm form)
{
    ImageSaverBMP saver(output, form);
    saver.Save(image);
}

void SaveBMP(const Image& image, const std::string& path, BmpForm form)
{
    sdk::stream::file_out file(path);
    file.OpenWrite();
    SaveBMP(image, file, form);
}

}  // namespace graphic
}  // namespace sdk
