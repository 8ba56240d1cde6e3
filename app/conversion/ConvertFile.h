// The conversion of one file: open it, let its contents choose the reader, run the conversions
// the options ask for, and report one status line per output.
#pragma once

#include <functional>
#include <string>

#include "conversion/ConvertContext.h"
#include "graphic/Image.h"
#include "graphic/ImageInfo.h"
#include "stream/Stream.h"

// Converts one file; true when its conversion ran to the end. Never raises: an error's tag
// becomes a status line and the result is false.
bool ConvertFile(ConvertContext& context, const std::string& path);

// The body of ConvertFile; raises what the conversion raises.
bool RunConversions(ConvertContext& context, const std::string& path);

// The path every output name of the input is built on: the input without its extension, or
// the output folder and the input's name.
std::string OutputBase(const std::string& path);

void AddStatusLine(ConvertContext& context, const std::string& text);

// Creates the folder that will hold the file path (a failure shows when the file is opened).
void MakeOutputFolder(const std::string& path);

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
