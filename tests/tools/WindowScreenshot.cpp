// Renders the main window with files in it and writes its picture as a PNG, for the README.
//
//   window-screenshot OUTPUT.png SAMPLES_FOLDER OUTPUT_FOLDER
//
// The real main window is made in this process. The samples folder is dropped on it, a few
// options are ticked (merged and per-layer PNG, the image report, BMP to PNG, output into
// OUTPUT_FOLDER), a run converts the highlighted rows so that the status list fills, and the
// whole window, title bar included, is captured. The tool carries the window program's version
// resource and icon, so its title bar reads as the program's does.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "conversion/output/OutputFiles.h"
#include "files/Format.h"
#include "graphic/Image.h"
#include "support/DropFiles.h"
#include "window/ConvWindow.h"

using sdk::graphic::Image;

namespace {

const size_t kControlCount = 54;

// Positions (from 0) of the controls used here among the main window's children, which come
// in the order the window creates them.
const size_t kStartButton = 1;
const size_t kPsdToPngMerged = 18;
const size_t kPsdToPngLayers = 19;
const size_t kTextImageInfo = 29;
const size_t kBmpToPng = 35;
const size_t kOutputToFolder = 48;
const size_t kFolderBox = 49;

// The command of the options whose change re-reads every option.
const int kApplySettingsCommand = 104;

class failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::vector<HWND> Children(HWND window)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::string WindowText(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Handles whatever is waiting, as the program's message loop would, then paints what is due.
void Pump(HWND window)
{
    for (int round = 0; round < 3; ++round) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                throw failure("the window asked to quit");
            HandleLoopMessage(message);
        }
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        GdiFlush();
        Sleep(100);
    }
}

// Ticks one check box or radio button as a click would, and checks that it took.
void Tick(HWND control, const char* caption)
{
    if (WindowText(control) != caption)
        throw failure(sdk::files::Format("a control is not where it was expected (found \"%s\")",
                                         WindowText(control).c_str()));
    if (!IsWindowEnabled(control))
        throw failure(sdk::files::Format("\"%s\" is disabled", WindowText(control).c_str()));
    SendMessageA(control, BM_CLICK, 0, 0);
    if (SendMessageA(control, BM_GETCHECK, 0, 0) != BST_CHECKED)
        throw failure(sdk::files::Format("\"%s\" did not get ticked", WindowText(control).c_str()));
}

// The window as it is on the screen, frame and title bar included, as a 3-byte image.
Image Capture(HWND window)
{
    RECT frame;
    if (!GetWindowRect(window, &frame))
        throw failure("GetWindowRect failed");
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0)
        throw failure("the window has no size");

    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // top-down rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        DeleteDC(memory);
        ReleaseDC(window, source);
        throw failure("CreateDIBSection failed");
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const BOOL copied = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();

    Image image(3, width, height);
    if (copied) {
        // DIB rows are padded to 4 bytes; the image's rows are packed. Both are B, G, R.
        const size_t dibStride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
        const uint8_t* row = static_cast<const uint8_t*>(bits);
        for (int y = 0; y < height; ++y, row += dibStride)
            std::memcpy(sdk::graphic::Pixel(image, 0, y), row, static_cast<size_t>(width) * 3);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    if (!copied)
        throw failure("BitBlt from the window failed");
    return image;
}

// A capture that is one colour throughout shows nothing of the window.
bool IsBlank(const Image& image)
{
    const uint8_t* first = image.Data();
    for (int32_t i = 3; i < image.Size(); ++i)
        if (image.Data()[i] != first[i % 3])
            return false;
    return true;
}

void Run(const std::string& output, const std::string& samples, const std::string& folder)
{
    HWND window = MainWindow().GetHandle();
    SetForegroundWindow(window);
    Pump(window);

    const std::vector<HWND> children = Children(window);
    if (children.size() != kControlCount)
        throw failure(sdk::files::Format("the main window has %u child windows, not %u",
                                         static_cast<unsigned>(children.size()),
                                         static_cast<unsigned>(kControlCount)));

    test_support::DropFiles(window, {samples});
    const int rows = static_cast<int>(SendMessageA(children[5], LVM_GETITEMCOUNT, 0, 0));
    if (rows == 0)
        throw failure("dropping " + samples + " listed no files");

    Tick(children[kPsdToPngMerged], "PSD→PNG（結合画像）");
    Tick(children[kPsdToPngLayers], "PSD→PNG（レイヤー分解）");
    Tick(children[kTextImageInfo], "画像情報");
    Tick(children[kBmpToPng], "BMP→PNG");
    Tick(children[kOutputToFolder], "指定したフォルダ");
    SetWindowTextA(children[kFolderBox], folder.c_str());
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(kApplySettingsCommand, BN_CLICKED), 0);

    // The rows the ticked options apply to carry the drop-highlight state.
    int marked = 0;
    for (int row = 0; row < rows; ++row)
        if (SendMessageA(children[5], LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                         LVIS_DROPHILITED) & LVIS_DROPHILITED)
            ++marked;
    if (marked == 0)
        throw failure("the options mark none of the dropped files");

    // The start button only sets the flag; the run itself is the loop's idle step.
    if (WindowText(children[kStartButton]) != "変換開始")
        throw failure("the start button is not where it was expected");
    SendMessageA(children[kStartButton], BM_CLICK, 0, 0);
    MainWindow().RunBatch();
    const int lines = static_cast<int>(SendMessageA(children[6], LB_GETCOUNT, 0, 0));
    if (lines == 0)
        throw failure("the run wrote no status lines");
    Pump(window);

    const Image picture = Capture(window);
    if (IsBlank(picture))
        throw failure("the captured picture is blank");
    SavePng(picture, output);
    std::printf("%s: %d x %d, %d rows (%d marked), %d status lines\n", output.c_str(),
                picture.Width(), picture.Height(), rows, marked, lines);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: window-screenshot OUTPUT.png SAMPLES_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    try {
        Run(argv[1], argv[2], argv[3]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "window-screenshot: %s\n", error.what());
        return 1;
    }
    return 0;
}
