#include "conversion/Option.h"

#include "files/Path.h"

cOption option;

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

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
