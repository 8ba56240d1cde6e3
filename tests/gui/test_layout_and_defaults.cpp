// The window as the program starts it: title, size, the 54 controls in keyboard order with their
// captions, identifiers, places and styles, and the start state of every option.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "gui/MainWindowDriver.h"
#include "gui/StartState.h"

namespace gui_test {
namespace {

struct Expected {
    const char* className;
    DWORD style;
    const char* caption;
    int id;
    int x, y, width, height;
};

const DWORD kButton = 0x30000, kGroup = 0x20007, kCheck = 0x10003, kRadio = 0x10009,
            kEdit = 0x30000, kLabel = 0x20080, kList = 0x2800D, kListBox = 0x201100,
            kProgress = 0, kUpDown = 0xA6;

const Expected kTable[kControlCount] = {
    {"Button", kButton, "クリア", 101, 604, 440, 192, 40},
    {"Button", kButton, "変換開始", 102, 604, 485, 192, 40},
    {"Button", kButton, "変換中止", 103, 604, 485, 192, 40},
    {"msctls_progress32", kProgress, "", 0, 604, 530, 192, 15},
    {"msctls_progress32", kProgress, "", 0, 604, 550, 192, 15},
    {"SysListView32", kList, "", 0, 4, 4, 392, 392},
    {"ListBox", kListBox, "", 0, 4, 400, 392, 166},
    {"Button", kGroup, "PSD→MNG変換", 0, 404, 4, 192, 190},
    {"Button", kCheck, "PSD→MNG", 104, 414, 24, 180, 15},
    {"Button", kCheck, "オフセット（→DEFI）", 0, 424, 44, 170, 15},
    {"Button", kCheck, "レイヤー名（→Title）", 0, 424, 64, 170, 15},
    {"Button", kCheck, "描画モード（→Comment）", 0, 424, 84, 170, 15},
    {"Static", kLabel, "アニメーション", 0, 424, 114, 170, 15},
    {"Edit", kEdit, "0", 0, 434, 134, -1, 20},  // the up-down takes the right of its buddy
    {"msctls_updown32", kUpDown, "", 0, -1, 134, -1, 20},
    {"Static", kLabel, "[ フレーム／秒 ]", 0, 494, 139, 100, 15},
    {"Button", kCheck, "ループ（TERM）", 0, 434, 164, 160, 15},
    {"Button", kGroup, "PSD→PNG変換", 0, 404, 200, 192, 230},
    {"Button", kCheck, "PSD→PNG（結合画像）", 104, 414, 220, 180, 15},
    {"Button", kCheck, "PSD→PNG（レイヤー分解）", 104, 414, 240, 180, 15},
    {"Button", kCheck, "オフセット（→oFFs）", 0, 424, 260, 170, 15},
    {"Button", kCheck, "トリミング", 0, 424, 280, 170, 15},
    {"Button", kCheck, "αチャンネル削除", 0, 424, 300, 170, 15},
    {"Static", kLabel, "出力先", 0, 424, 320, 170, 15},
    {"Button", kRadio, "ファイル名/レイヤー名", 0, 434, 340, 160, 15},
    {"Button", kRadio, "ファイル名_レイヤー名", 0, 434, 360, 160, 15},
    {"Button", kRadio, "ファイル名/連番", 0, 434, 380, 160, 15},
    {"Button", kRadio, "ファイル名_連番", 0, 434, 400, 160, 15},
    {"Button", kGroup, "PSD→テキスト出力", 0, 404, 440, 192, 126},
    {"Button", kCheck, "画像情報", 104, 414, 460, 180, 15},
    {"Button", kCheck, "レイヤー情報", 104, 414, 480, 180, 15},
    {"Button", kCheck, "レイヤー名", 105, 424, 500, 170, 15},
    {"Button", kCheck, "位置／サイズ", 105, 424, 520, 170, 15},
    {"Button", kCheck, "描画モード", 105, 424, 540, 170, 15},
    {"Button", kGroup, "BMP/PNG変換", 0, 604, 4, 192, 150},
    {"Button", kCheck, "BMP→PNG", 106, 614, 24, 180, 15},
    {"Button", kCheck, "PNG→BMP", 107, 614, 44, 180, 15},
    {"Static", kLabel, "αチャンネル", 0, 614, 64, 180, 15},
    {"Button", kRadio, "無し", 104, 624, 84, 160, 15},
    {"Button", kRadio, "*_.bmp", 104, 624, 104, 160, 15},
    {"Button", kRadio, "左右分割", 104, 624, 124, 160, 15},
    {"Button", kGroup, "出力オプション", 0, 604, 160, 192, 270},
    {"Static", kLabel, "圧縮（PNG/MNG）", 0, 614, 180, 180, 15},
    {"Button", kRadio, "標準", 0, 624, 200, 100, 15},
    {"Button", kRadio, "速度優先", 0, 624, 220, 100, 15},
    {"Button", kRadio, "圧縮率優先", 0, 624, 240, 100, 15},
    {"Static", kLabel, "出力先", 0, 614, 270, 180, 15},
    {"Button", kRadio, "入力ファイルと同じ場所", 104, 624, 290, 170, 15},
    {"Button", kRadio, "指定したフォルダ", 104, 624, 310, 170, 15},
    {"Edit", kEdit, "", 0, 634, 330, 130, 20},
    {"Button", kButton, "...", 108, 764, 330, 20, 20},
    {"Static", kLabel, "その他", 0, 614, 360, 180, 15},
    {"Button", kCheck, "透明部分を塗りつぶす", 0, 624, 380, 170, 15},
    {"Button", kCheck, "α画像反転", 0, 624, 400, 170, 15},
};

TEST(StartOfProgram, WindowHasItsFixedSizeTitleAndStyle)
{
    const StartState& start = StartOfProgram();
    // The test program carries no version resource: the texts around the title's frame stay
    // empty (the program itself is checked in ProgramProcess).
    EXPECT_EQ(" Version ()", start.title);
    EXPECT_EQ(800, start.client.right - start.client.left);
    EXPECT_EQ(570, start.client.bottom - start.client.top);
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
              start.style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_MAXIMIZEBOX));
    EXPECT_EQ(WS_EX_ACCEPTFILES | WS_EX_NOPARENTNOTIFY,
              start.exStyle & (WS_EX_ACCEPTFILES | WS_EX_NOPARENTNOTIFY));
}

TEST(StartOfProgram, ControlsFollowTheTableInCreationOrder)
{
    const StartState& start = StartOfProgram();
    ASSERT_EQ(static_cast<size_t>(kControlCount), start.controls.size());
    for (int index = 0; index < kControlCount; ++index) {
        const Expected& expected = kTable[index];
        const ControlState& control = start.controls[static_cast<size_t>(index)];
        SCOPED_TRACE("control " + std::to_string(index + 1) + " " + expected.caption);
        EXPECT_EQ(0, lstrcmpiA(expected.className, control.className.c_str())) << control.className;
        EXPECT_EQ(expected.caption, control.caption);
        EXPECT_EQ(expected.id, control.id);
        EXPECT_EQ(expected.style, static_cast<DWORD>(control.style) & expected.style);
        EXPECT_EQ(static_cast<LONG>(WS_CHILD), control.style & WS_CHILD);
        if (expected.x >= 0) {
            EXPECT_EQ(expected.x, control.rect.left);
        }
        EXPECT_EQ(expected.y, control.rect.top);
        if (expected.width >= 0) {
            EXPECT_EQ(expected.width, control.rect.right - control.rect.left);
        }
        EXPECT_EQ(expected.height, control.rect.bottom - control.rect.top);
    }
    // The up-down sits on its buddy's right edge (sharing the border), inside the buddy's
    // place 434 to 484.
    const ControlState& box = start.controls[kFpsBox - 1];
    const ControlState& spin = start.controls[kFpsSpin - 1];
    EXPECT_LE(std::abs(box.rect.right - spin.rect.left), 2);
    EXPECT_GE(spin.rect.left, 434);
    EXPECT_LE(spin.rect.right, 484);
    EXPECT_EQ(0x200, start.controls[kFileList - 1].exStyle & 0x200);
    EXPECT_EQ(0x20, start.controls[13 - 1].exStyle & 0x20);
}

TEST(StartOfProgram, OptionsStartAtTheirDefaults)
{
    const StartState& start = StartOfProgram();
    ASSERT_EQ(static_cast<size_t>(kControlCount), start.controls.size());
    const auto state = [&](int place) { return start.controls[static_cast<size_t>(place - 1)]; };
    for (int place = 1; place <= kControlCount; ++place) {
        const bool checkedByDefault = place == kNameFolderLayer || place == kAlphaNone ||
                                      place == kCompressStandard || place == kBesideInput;
        EXPECT_EQ(checkedByDefault, state(place).checked) << "control " << place;
    }
    for (int place : {kMngOffset, kMngTitle, kMngComment, kFpsBox, kFpsSpin, kMngLoop, kPngOffset,
                      kPngTrim, kPngNoAlpha, kNameFolderLayer, kNameUnderscoreLayer,
                      kNameFolderSerial, kNameUnderscoreSerial, kTextName, kTextPosition,
                      kTextMode, kAlphaNone, kAlphaFile, kAlphaSplit, kFolderBox, kChooseFolder})
        EXPECT_FALSE(state(place).enabled) << "control " << place;
    for (int place : {kClear, kStart, kPsdToMng, kPngMerged, kPngLayers, kImageInfo, kLayerInfo,
                      kBmpToPng, kPngToBmp, kCompressStandard, kCompressFast, kCompressBest,
                      kBesideInput, kToFolder, kFillBlank, kInvertAlpha})
        EXPECT_TRUE(state(place).enabled) << "control " << place;
    for (int label : {13, 16, 24, 38, 43, 47, 52})
        EXPECT_TRUE(state(label).enabled) << "label " << label;
    EXPECT_TRUE(state(kStart).visible);
    EXPECT_FALSE(state(kStop).visible);
    EXPECT_EQ("0", start.fpsText);

    const cOption& options = start.options;
    EXPECT_FALSE(options.AnyPsdOutput() || options.bmpToPng || options.pngToBmp);
    EXPECT_EQ('\\', options.separator);
    EXPECT_FALSE(options.serialNumber || options.alphaFile || options.alphaSplit ||
                 options.compressBest || options.compressFast || options.fillBlank ||
                 options.invertAlpha);
    EXPECT_EQ(0, options.mngFps);
    EXPECT_EQ("", options.outputFolder);

    const std::vector<std::string> headers = {"名前", "パス", "サイズ"};
    EXPECT_EQ(headers, start.columns);
    EXPECT_EQ((std::vector<int>{90, 200, 80}), start.columnWidths);
}

}  // namespace
}  // namespace gui_test
