// What the conversions share to make their outputs: the names they are built on, the status
// lines, the claim and folder of each output, whole-file writing, PNG writing with the chosen
// compression, and the clean-up of fully transparent pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "conversion/ConvertContext.h"
#include "graphic/Image.h"
#include "graphic/ImageInfo.h"
#include "graphic/png/ImageSaverPNG.h"
#include "stream/Stream.h"

// The path every output name of the input is built on: the input without its extension, or
// the output folder, the subfolder below it and the input's name.
std::string OutputBase(const std::string& path, const std::string& subfolder = std::string());

void AddStatusLine(ConvertContext& context, const std::string& text);

// Tells the context that output, one of input's outputs, is complete and in place; layer counts
// a layer PNG's record from 1 (0 for other outputs).
void ReportWritten(ConvertContext& context, const std::string& input, const std::string& output,
                   OutputKind kind, int32_t layer = 0);

// The name of a kind: "merged", "layer", "group", "mng", "apng", "text", "manifest", "bmp", "png",
// "smartObject".
const char* OutputKindName(OutputKind kind);

// Readies output, one of input's outputs, for writing: claims it in the run, if there is one (a
// file that another input of the run claimed raises "RunOutputs::Claim:31"), and creates the
// folder that will hold it (a failure shows when the file is opened).
void PrepareOutput(ConvertContext& context, const std::string& input, const std::string& output);

// Writes one output whole or not at all: write fills a stream on a new temporary file beside
// path, which takes path's place once write has returned and the file is closed. When anything
// fails, the temporary file is removed and a file already at path stays as it was.
void WriteOutputFile(const std::string& path,
                     const std::function<void(sdk::stream::stream_out&)>& write);

// Sets the compression the options chose on a PNG or MNG writer.
void ConfigurePngSaver(sdk::graphic::ImageSaverPNG& saver);

// Writes one PNG with the chosen compression; SavePngInfo adds the record's offset and texts.
void SavePng(const sdk::graphic::Image& image, const std::string& path);
void SavePngInfo(const sdk::graphic::Image& image, const sdk::graphic::ImageInfo& info,
                 const std::string& path);

// Fully transparent pixels become transparent black; other pixels are left alone.
void FillBlank(sdk::graphic::Image& image);
// The same on one row of width pixels of channels bytes each.
void FillBlankRow(uint8_t* row, int32_t channels, int32_t width);
// The same on a row of 16-bit samples.
void FillBlankRow16(uint16_t* row, int32_t channels, int32_t width);
