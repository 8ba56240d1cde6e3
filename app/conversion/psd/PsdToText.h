// PSD to text: a report of the document and of its layers.
#pragma once

#include <cstdint>
#include <string>

#include "conversion/ConvertContext.h"
#include "conversion/psd/PsdDocument.h"
#include "graphic/ImageLoader.h"

// Writes the report; a report that cannot be opened or written ends the conversion with a
// runtime error, like every other output.
void WriteTextInfo(ConvertContext& context, const PsdDocument& document,
                   sdk::graphic::ImageLoader& loader, int32_t layer_count);

// The display name of a blend-mode key, or null for a key outside the table.
const char* BlendModeName(const std::string& key);
