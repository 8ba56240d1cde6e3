// Test program for the corpus check: loads one PSD with the reader and writes what it decodes.
//
//   psd_dump [--extended] FILE OUTDIR
//
// With --extended the reader's extended reading is used.
// Prints one line per image to standard output:
//   refused TAG                                    the reader's scan refused the file
//   merged W H C | merged error TAG                the merged image, raster in OUTDIR/merged.raw
//   layer I X Y W H C IDS | layer I error TAG      each layer, raster in OUTDIR/layerI.raw
// IDS lists the layer's channel ids as the scan recorded them, comma-separated (-1 ignored).
// Rasters are the Image bytes as they are: G, AG, BGR or ABGR per pixel, rows top-down.
#include <cstdio>
#include <exception>
#include <string>

#include "graphic/psd/ImageLoaderPSD.h"
#include "stream/StreamFile.h"

using sdk::graphic::Image;
using sdk::graphic::ImageInfo;
using sdk::graphic::ImageLoaderPSD;

namespace {

bool WriteRaster(const std::string& path, const Image& image)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    size_t size = static_cast<size_t>(image.Size());
    bool ok = std::fwrite(image.Data(), 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool extended = argc == 4 && std::string(argv[1]) == "--extended";
    if (argc != 3 && !extended) {
        std::fprintf(stderr, "usage: psd_dump [--extended] FILE OUTDIR\n");
        return 2;
    }
    const std::string outdir = argv[argc - 1];
    sdk::stream::file_in file(argv[argc - 2]);
    try {
        file.OpenRead();
    } catch (const std::exception& error) {
        std::printf("unreadable %s\n", error.what());
        return 1;
    }

    try {
        ImageLoaderPSD loader(file, extended);
        Image image;
        ImageInfo info;
        try {
            loader.Load(image, info);
            std::printf("merged %d %d %d\n", image.Width(), image.Height(), image.Channels());
            if (!WriteRaster(outdir + "/merged.raw", image))
                return 1;
        } catch (const std::exception& error) {
            std::printf("merged error %s\n", error.what());
        }
        for (int32_t i = 0; i < loader.LayerCount(); ++i) {
            std::string ids;
            for (const auto& channel : loader.LayerRecord(i).channels)
                ids += (ids.empty() ? "" : ",") + std::to_string(channel.id);
            try {
                loader.LayerInfo(i, info);
                loader.LayerLoad(i, image);
                std::printf("layer %d %d %d %d %d %d %s\n", i, info.x, info.y, image.Width(),
                            image.Height(), image.Channels(), ids.empty() ? "-" : ids.c_str());
                if (!WriteRaster(outdir + "/layer" + std::to_string(i) + ".raw", image))
                    return 1;
            } catch (const std::exception& error) {
                std::printf("layer %d error %s\n", i, error.what());
            }
        }
    } catch (const std::exception& error) {
        std::printf("refused %s\n", error.what());
    }
    return 0;
}
