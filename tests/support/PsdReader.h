// Test support: a PSD reader over bytes in memory served like a file (short reads at the end,
// no error), keeping the bytes and the stream alive as long as the reader.
#pragma once

#include <utility>

#include "graphic/ImageLoaderPSD.h"
#include "support/FileLikeStream.h"
#include "support/PsdBuilder.h"

namespace test_support {

struct PsdReader {
    explicit PsdReader(Bytes file, bool extended = false)
        : bytes(std::move(file)), stream(bytes.data(), bytes.size()), psd(stream, extended)
    {
    }
    Bytes bytes;
    FileLikeStream stream;
    sdk::graphic::ImageLoaderPSD psd;
};

}  // namespace test_support
