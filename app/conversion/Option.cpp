#include "conversion/Option.h"

#include "conversion/ListedFiles.h"
#include "files/AsciiText.h"

using sdk::files::EqualsIgnoringCase;

cOption option;

sdk::graphic::ReadOptions ReadingOptions()
{
    sdk::graphic::ReadOptions reading;
    reading.extendedPsd = option.extended;
    reading.extendedBmp = option.extended;
    return reading;
}

bool IsConvertible(const std::string& name)
{
    // The alpha half of a BMP pair is never an input of its own.
    if (option.alphaFile && name.size() >= 5 &&
        EqualsIgnoringCase(name.substr(name.size() - 5), "_.bmp"))
        return false;
    switch (InputKindOf(name, option.extended ? Listing::kExtended : Listing::kStandard)) {
        case InputKind::kPsd:
            return option.AnyPsdOutput();
        case InputKind::kPng:
            return option.pngToBmp;
        case InputKind::kBmp:
            return option.bmpToPng;
        case InputKind::kNone:
            break;
    }
    return false;
}
