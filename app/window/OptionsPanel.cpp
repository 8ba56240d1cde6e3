// The options panel: controls read into the options of a run, the options that depend on
// others, and the output-folder chooser.
#include "window/ConvWindowImpl.h"

#include <shlobj.h>

#include <algorithm>
#include <initializer_list>

#include "conversion/Option.h"
#include "files/Path.h"

namespace {

const int kMaxFramesPerSecond = 100;

// The frame rate the up-down shows. When its buddy holds something it cannot take (a
// non-number, or a number outside 0 to 100) it reports an error with the position it keeps;
// that position, within the range, is used.
int32_t FramesPerSecond(uint32_t answer)
{
    const int32_t position = static_cast<int16_t>(LOWORD(answer));
    return std::min<int32_t>(std::max<int32_t>(position, 0), kMaxFramesPerSecond);
}

void EnableAll(std::initializer_list<sdk::gui::Control*> controls, bool enabled)
{
    for (sdk::gui::Control* control : controls)
        control->Enable(enabled);
}

}  // namespace

void cConvWindow::impl::ApplySettings()
{
    // Every check box and radio button, disabled or not.
    option.psdToMng = psdToMng_.IsChecked();
    option.mngOffset = mngOffset_.IsChecked();
    option.mngTitle = mngTitle_.IsChecked();
    option.mngComment = mngComment_.IsChecked();
    option.mngLoop = mngLoop_.IsChecked();
    option.psdToPngMerged = psdToPngMerged_.IsChecked();
    option.psdToPngLayers = psdToPngLayers_.IsChecked();
    option.pngOffset = pngOffset_.IsChecked();
    option.pngTrim = pngTrim_.IsChecked();
    option.pngNoAlpha = pngNoAlpha_.IsChecked();
    option.separator =
        nameUnderscoreLayer_.IsChecked() || nameUnderscoreSerial_.IsChecked() ? '_' : '\\';
    option.serialNumber = nameFolderSerial_.IsChecked() || nameUnderscoreSerial_.IsChecked();
    option.textImageInfo = textImageInfo_.IsChecked();
    option.textLayerInfo = textLayerInfo_.IsChecked();
    option.textName = textName_.IsChecked();
    option.textPosition = textPosition_.IsChecked();
    option.textMode = textMode_.IsChecked();
    option.bmpToPng = bmpToPng_.IsChecked();
    option.pngToBmp = pngToBmp_.IsChecked();
    option.alphaFile = alphaFile_.IsChecked();
    option.alphaSplit = alphaSplit_.IsChecked();
    option.compressFast = compressFast_.IsChecked();
    option.compressBest = compressBest_.IsChecked();
    option.fillBlank = fillBlank_.IsChecked();
    option.invertAlpha = invertAlpha_.IsChecked();

    option.mngFps = FramesPerSecond(fpsSpin_.GetPos());

    // The folder loses one trailing separator, in the box as well.
    const std::string typed = sdk::gui::GetText(folderBox_);
    const std::string folder = sdk::files::StripSeparator(typed);
    if (folder != typed)
        folderBox_.SetText(folder);
    option.outputFolder = outputToFolder_.IsChecked() ? folder : std::string();

    MarkConvertibleRows();

    EnableAll({&mngOffset_, &mngTitle_, &mngComment_, &mngLoop_, &fpsBox_, &fpsSpin_},
              psdToMng_.IsChecked());
    EnableAll({&pngOffset_, &pngTrim_, &pngNoAlpha_, &nameFolderLayer_, &nameUnderscoreLayer_,
               &nameFolderSerial_, &nameUnderscoreSerial_},
              psdToPngLayers_.IsChecked());
    const bool layerReport = textLayerInfo_.IsChecked();
    EnableAll({&textName_, &textPosition_, &textMode_}, layerReport);

    // The layer report without any of its parts means all of them.
    if (layerReport && !textName_.IsChecked() && !textPosition_.IsChecked() &&
        !textMode_.IsChecked()) {
        textName_.SetCheck(true);
        textPosition_.SetCheck(true);
        textMode_.SetCheck(true);
        option.textName = option.textPosition = option.textMode = true;
    }

    EnableAll({&alphaNone_, &alphaFile_, &alphaSplit_},
              bmpToPng_.IsChecked() || pngToBmp_.IsChecked());
    EnableAll({&folderBox_, &chooseFolderButton_}, outputToFolder_.IsChecked());
}

void cConvWindow::impl::MarkConvertibleRows()
{
    fileList_.SetRedraw(false);
    const int rows = fileList_.GetItemCount();
    for (int row = 0; row < rows; ++row)
        fileList_.SetItemHighlight(row, IsConvertible(fileList_.GetItemText(row, kColumnName)));
    fileList_.SetRedraw(true);
    InvalidateRect(fileList_.Handle(), nullptr, TRUE);
}

void cConvWindow::impl::OnTextOptionChanged()
{
    // The layer report cannot stay on with none of its parts.
    if (!textName_.IsChecked() && !textPosition_.IsChecked() && !textMode_.IsChecked()) {
        textLayerInfo_.SetCheck(false);
        ApplySettings();
    }
}

void cConvWindow::impl::ChooseOutputFolder()
{
    char title[] = "出力先フォルダの選択";
    BROWSEINFOA browse = {};
    browse.hwndOwner = Handle();
    browse.lpszTitle = title;
    browse.ulFlags = BIF_EDITBOX | BIF_VALIDATE;
    LPITEMIDLIST item = SHBrowseForFolderA(&browse);
    if (item != nullptr) {
        IMalloc* allocator = nullptr;
        if (SHGetMalloc(&allocator) == E_FAIL)
            return;
        char path[MAX_PATH] = {};
        const BOOL converted = SHGetPathFromIDListA(item, path);
        if (allocator != nullptr) {
            allocator->Free(item);
            allocator->Release();
        } else {
            CoTaskMemFree(item);  // the shell's allocator is the task allocator
        }
        // An item without a file-system path leaves the box as it was.
        if (converted)
            folderBox_.SetText(path);
    }
    ApplySettings();
}
