// The conversion of one file: open it, let its contents choose the reader, run the conversions
// the options ask for, and report one status line per output.
#pragma once

#include <functional>
#include <string>

#include "conversion/ConvertContext.h"
#include "graphic/Image.h"
#include "graphic/ImageInfo.h"
#include "stream/Stream.h"

// What is known of a file whose conversion did not run to the end.
struct ConversionFailure {
    std::string tag;           // the error's tag; empty when no error was raised
    std::string format;        // the format its contents showed ("PSD", "PNG", ...); empty: none
    uint32_t systemError = 0;  // the system's error code behind a failed file operation, or 0
};

// Converts one file; true when its conversion ran to the end. Never raises: an error's tag
// becomes a status line and the result is false. When failure is not null, a false result fills
// it in.
bool ConvertFile(ConvertContext& context, const std::string& path,
                 ConversionFailure* failure = nullptr);

// The body of ConvertFile; raises what the conversion raises. format receives the format that
// the contents showed (empty when none).
bool RunConversions(ConvertContext& context, const std::string& path, std::string& format);

// The path every output name of the input is built on: the input without its extension, or
// the output folder and the input's name.
std::string OutputBase(const std::string& path);

void AddStatusLine(ConvertContext& context, const std::string& text);

// Readies output, one of input's outputs, for writing: claims it in the run, if there is one (a
// file that another input of the run claimed raises "RunOutputs::Claim:31"), and creates the
// folder that will hold it (a failure shows when the file is opened).
void PrepareOutput(ConvertContext& context, const std::string& input, const std::string& output);

// Writes one output whole or not at all: write fills a stream on a new temporary file beside
// path, which takes path's place once write has returned and the file is closed. When anything
// fails, the temporary file is removed and a file already at path stays as it was.
void WriteOutputFile(const std::string& path,
                     const std::function<void(sdk::stream::stream_out&)>& write);

// Writes one PNG with the chosen compression; SavePngInfo adds the record's offset and texts.
void SavePng(const sdk::graphic::Image& image, const std::string& path);
void SavePngInfo(const sdk::graphic::Image& image, const sdk::graphic::ImageInfo& info,
                 const std::string& path);

// Fully transparent pixels become transparent black; other pixels are left alone.
void FillBlank(sdk::graphic::Image& image);
