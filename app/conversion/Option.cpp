#include "conversion/Option.h"

#include "files/AsciiText.h"
#include "files/Path.h"

using sdk::files::EqualsIgnoringCase;

cOption option;

bool IsConvertible(const std::string& name)
{
    // The alpha half of a BMP pair is never an input of its own.
    if (option.alphaFile && name.size() >= 5 &&
        EqualsIgnoringCase(name.substr(name.size() - 5), "_.bmp"))
        return false;
    const std::string extension = sdk::files::GetExt(name);
    if (EqualsIgnoringCase(extension, ".psd"))
        return option.AnyPsdOutput();
    if (EqualsIgnoringCase(extension, ".png"))
        return option.pngToBmp;
    if (EqualsIgnoringCase(extension, ".bmp"))
        return option.bmpToPng;
    return false;
}
