// BMP to PNG and PNG to BMP, with alpha carried in one of three ways on the BMP side: not at
// all, in a second gray BMP whose name ends in "_.bmp", or in the right half of a BMP twice as
// wide.
#pragma once

#include <string>

#include "conversion/ConvertContext.h"
#include "graphic/ImageLoader.h"

void ConvertBmpToPng(ConvertContext& context, sdk::graphic::ImageLoader& loader,
                     const std::string& path, const std::string& base);
void ConvertPngToBmp(ConvertContext& context, sdk::graphic::ImageLoader& loader,
                     const std::string& path, const std::string& base);
