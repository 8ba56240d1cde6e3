#include "conversion/ConvertFile.h"

#include <exception>

#include "conversion/Option.h"
#include "conversion/bmp_png/BmpPngConversion.h"
#include "conversion/output/OutputFiles.h"
#include "conversion/psd/PsdConversion.h"
#include "files/AsciiText.h"
#include "graphic/dispatch/LoaderDispatch.h"
#include "stream/StreamFile.h"

using sdk::files::EqualsIgnoringCase;

using sdk::graphic::ImageLoader;

bool RunConversions(ConvertContext& context, const std::string& path, std::string& format)
{
    context.progress.SetPos(0);
    sdk::stream::file_in file(path);
    file.OpenRead();
    sdk::smart_ptr<ImageLoader> loader = sdk::graphic::CreateLoader(file, ReadingOptions());
    if (loader.IsEmpty())
        return false;
    format = loader->FormatName();
    const std::string base = context.outputBase.empty() ? OutputBase(path) : context.outputBase;
    if (EqualsIgnoringCase(format, "BMP") && option.bmpToPng) {
        ConvertBmpToPng(context, *loader, path, base);
        return true;
    }
    if (EqualsIgnoringCase(format, "PNG") && option.pngToBmp) {
        ConvertPngToBmp(context, *loader, path, base);
        return true;
    }
    if (EqualsIgnoringCase(format, "PSD") && option.AnyPsdOutput()) {
        ConvertPsd(context, *loader, path, base);
        return true;
    }
    return false;
}

bool ConvertFile(ConvertContext& context, const std::string& path, ConversionFailure* failure)
{
    ConversionFailure found;
    sdk::stream::ClearLastFileError();
    try {
        if (RunConversions(context, path, found.format))
            return true;
    } catch (const std::exception& error) {
        AddStatusLine(context, error.what());
        found.tag = error.what();
        found.systemError = sdk::stream::LastFileError();
    } catch (...) {
    }
    if (failure != nullptr)
        *failure = found;
    return false;
}
