// The reader a file calls for, chosen from its first bytes, never from its name: the one place
// that knows every format.
#pragma once

#include <string>

#include "graphic/Image.h"
#include "graphic/ImageInfo.h"
#include "graphic/ImageLoader.h"
#include "smart_ptr/SmartPtr.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

// How the readers read. extendedPsd: the PSD reader also takes the large document format,
// other depths and colour modes and Unicode layer names (ImageLoaderPSD.h). extendedBmp: the BMP
// reader also takes the core and OS/2 headers, 1-, 2- and 4-bit palettes, run-length coding,
// bit fields and alpha (ImageLoaderBMP.h).
struct ReadOptions {
    bool extendedPsd = false;
    bool extendedBmp = false;
};

// The reader that the stream's signature calls for, built on the stream; empty when no
// signature matches. Errors of the reader's own scan pass through.
smart_ptr<ImageLoader> CreateLoader(stream::stream_in& stream,
                                    const ReadOptions& options = ReadOptions());

// The main image of the file on stream; raises "graphic::Load:48" when no reader fits.
void Load(Image& image, ImageInfo& info, stream::stream_in& stream,
          const ReadOptions& options = ReadOptions());
void Load(Image& image, stream::stream_in& stream, const ReadOptions& options = ReadOptions());
// The main image of the file at path, read as options say.
void Load(Image& image, const std::string& path, const ReadOptions& options = ReadOptions());

}  // namespace graphic
}  // namespace sdk
