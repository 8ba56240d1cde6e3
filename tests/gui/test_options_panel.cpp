// The options panel driven by clicks: what each control sets in the options, which controls
// each one enables, the couplings of the layer report and of the two BMP/PNG directions, the
// output folder and the frame rate.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "conversion/Option.h"
#include "gui/MainWindowDriver.h"

namespace gui_test {
namespace {

class OptionsPanel : public testing::Test {
protected:
    void SetUp() override { ResetWindow(); }
};

TEST_F(OptionsPanel, EachConversionEnablesExactlyItsOwnSubOptions)
{
    const std::vector<int> mng = {kMngOffset, kMngTitle, kMngComment, kFpsBox, kFpsSpin, kMngLoop};
    const std::vector<int> layers = {kPngOffset, kPngTrim, kPngNoAlpha, kNameFolderLayer,
                                     kNameUnderscoreLayer, kNameFolderSerial, kNameUnderscoreSerial};
    const std::vector<int> report = {kTextName, kTextPosition, kTextMode};
    const std::vector<int> alpha = {kAlphaNone, kAlphaFile, kAlphaSplit};
    const std::vector<int> folder = {kFolderBox, kChooseFolder};
    const std::vector<std::vector<int>> groups = {mng, layers, report, alpha, folder};
    const auto expectEnabled = [&](const std::vector<bool>& on) {
        for (size_t group = 0; group < groups.size(); ++group)
            for (int place : groups[group])
                EXPECT_EQ(on[group], Enabled(place)) << "control " << place;
    };

    // The merged image enables nothing.
    Click(kPngMerged);
    EXPECT_TRUE(option.psdToPngMerged);
    expectEnabled({false, false, false, false, false});
    Click(kPsdToMng);
    expectEnabled({true, false, false, false, false});
    Click(kPngLayers);
    expectEnabled({true, true, false, false, false});
    Click(kLayerInfo);
    expectEnabled({true, true, true, false, false});
    Click(kPngToBmp);
    expectEnabled({true, true, true, true, false});
    Click(kToFolder);
    expectEnabled({true, true, true, true, true});
    // And back: every group switches off with its own control.
    Click(kPsdToMng);
    Click(kPngLayers);
    Click(kLayerInfo);
    Click(kPngToBmp);
    Click(kBesideInput);
    expectEnabled({false, false, false, false, false});
    // Disabled controls keep their state, and it is still read.
    EXPECT_TRUE(Checked(kTextName));
    EXPECT_TRUE(option.textName);
}

TEST_F(OptionsPanel, EveryControlReachesItsOption)
{
    Click(kPsdToMng);
    Click(kMngOffset);
    Click(kMngTitle);
    Click(kMngComment);
    Click(kMngLoop);
    Click(kPngLayers);
    Click(kPngOffset);
    Click(kPngTrim);
    Click(kPngNoAlpha);
    Click(kNameUnderscoreSerial);
    Click(kImageInfo);
    Click(kBmpToPng);
    Click(kAlphaSplit);
    Click(kCompressBest);
    Click(kFillBlank);
    Click(kInvertAlpha);
    // Options without a command of their own are read at the next one.
    Click(kPngMerged);
    EXPECT_TRUE(option.psdToMng && option.mngOffset && option.mngTitle && option.mngComment &&
                option.mngLoop);
    EXPECT_TRUE(option.psdToPngMerged && option.psdToPngLayers && option.pngOffset &&
                option.pngTrim && option.pngNoAlpha);
    EXPECT_EQ('_', option.separator);
    EXPECT_TRUE(option.serialNumber);
    EXPECT_TRUE(option.textImageInfo);
    EXPECT_FALSE(option.textLayerInfo);
    EXPECT_TRUE(option.bmpToPng);
    EXPECT_FALSE(option.pngToBmp);
    EXPECT_TRUE(option.alphaSplit);
    EXPECT_FALSE(option.alphaFile);
    EXPECT_TRUE(option.compressBest);
    EXPECT_FALSE(option.compressFast);
    EXPECT_TRUE(option.fillBlank && option.invertAlpha);

    // The naming radios: "\" for the folder forms, serial numbers for the numbered forms.
    const struct {
        int place;
        char separator;
        bool serial;
    } naming[] = {{kNameFolderLayer, '\\', false},
                  {kNameUnderscoreLayer, '_', false},
                  {kNameFolderSerial, '\\', true},
                  {kNameUnderscoreSerial, '_', true}};
    for (const auto& form : naming) {
        Click(form.place);
        Click(kPngMerged);
        EXPECT_EQ(form.separator, option.separator) << form.place;
        EXPECT_EQ(form.serial, option.serialNumber) << form.place;
    }
    Click(kCompressFast);
    Click(kAlphaFile);
    EXPECT_TRUE(option.compressFast && option.alphaFile);
    EXPECT_FALSE(option.compressBest || option.alphaSplit);
    EXPECT_FALSE(Checked(kCompressStandard) || Checked(kAlphaNone));
}

TEST_F(OptionsPanel, LayerReportAndItsPartsStayConsistent)
{
    // Ticking the report with none of its parts ticks all three.
    Click(kLayerInfo);
    EXPECT_TRUE(Checked(kTextName) && Checked(kTextPosition) && Checked(kTextMode));
    EXPECT_TRUE(option.textLayerInfo && option.textName && option.textPosition && option.textMode);
    // Unticking them one by one: the report goes with the last one.
    Click(kTextName);
    EXPECT_TRUE(Checked(kLayerInfo));
    Click(kTextPosition);
    EXPECT_TRUE(Checked(kLayerInfo));
    EXPECT_TRUE(Enabled(kTextMode));
    Click(kTextMode);
    EXPECT_FALSE(Checked(kLayerInfo));
    EXPECT_FALSE(option.textLayerInfo);
    EXPECT_FALSE(Enabled(kTextName) || Enabled(kTextPosition) || Enabled(kTextMode));
    // A part kept on is kept when the report comes back.
    Click(kLayerInfo);
    Click(kTextMode);
    Click(kTextName);
    EXPECT_TRUE(Checked(kLayerInfo));
    EXPECT_FALSE(Checked(kTextName));
    Click(kLayerInfo);
    Click(kLayerInfo);
    EXPECT_FALSE(Checked(kTextName) || Checked(kTextMode));
    EXPECT_TRUE(Checked(kTextPosition));
}

TEST_F(OptionsPanel, BmpToPngAndPngToBmpExcludeEachOther)
{
    Click(kBmpToPng);
    Click(kPngToBmp);
    EXPECT_TRUE(Checked(kPngToBmp));
    EXPECT_FALSE(Checked(kBmpToPng));
    EXPECT_TRUE(option.pngToBmp);
    EXPECT_FALSE(option.bmpToPng);
    Click(kBmpToPng);
    EXPECT_FALSE(Checked(kPngToBmp));
    EXPECT_TRUE(option.bmpToPng && !option.pngToBmp);
    // Unticking leaves both off, and the alpha radios disabled.
    Click(kBmpToPng);
    EXPECT_FALSE(Checked(kBmpToPng) || Checked(kPngToBmp));
    EXPECT_FALSE(Enabled(kAlphaNone));
}

TEST_F(OptionsPanel, OutputFolderLosesOneTrailingSeparatorAndCountsOnlyWhenChosen)
{
    SetText(kFolderBox, "C:\\out\\");
    Click(kPngMerged);
    // Beside the input: the typed folder is kept in the box but not used.
    EXPECT_EQ("C:\\out", Text(kFolderBox));
    EXPECT_EQ("", option.outputFolder);
    Click(kToFolder);
    EXPECT_EQ("C:\\out", option.outputFolder);
    SetText(kFolderBox, "C:/out/");
    Click(kPngMerged);
    EXPECT_EQ("C:/out", option.outputFolder);
    // 表 ends in the byte of "\": it is a character, not a separator.
    const std::string table = "C:\\\x95\x5C";
    SetText(kFolderBox, table);
    Click(kPngMerged);
    EXPECT_EQ(table, Text(kFolderBox));
    EXPECT_EQ(table, option.outputFolder);
    Click(kBesideInput);
    EXPECT_EQ("", option.outputFolder);
}

TEST_F(OptionsPanel, FrameRateStaysWithinZeroToOneHundred)
{
    Click(kPsdToMng);
    HWND spin = ControlAt(kFpsSpin);
    // The arrows: one step up from 0, then far beyond the top.
    SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(99, 0));
    Click(kPsdToMng);
    Click(kPsdToMng);
    EXPECT_EQ(99, option.mngFps);
    SetFocus(ControlAt(kFpsBox));
    PressKey(VK_UP);
    PressKey(VK_UP);
    PressKey(VK_UP);
    Click(kMngLoop);
    Click(kPngMerged);
    EXPECT_EQ("100", Text(kFpsBox));
    EXPECT_EQ(100, option.mngFps);
    // Typed values the up-down cannot take give a value within the range.
    for (const char* typed : {"500", "-3", "abc"}) {
        SetText(kFpsBox, typed);
        Click(kPngMerged);
        EXPECT_GE(option.mngFps, 0) << typed;
        EXPECT_LE(option.mngFps, 100) << typed;
    }
    SetText(kFpsBox, "25");
    Click(kPngMerged);
    EXPECT_EQ(25, option.mngFps);
}

bool chooser_seen = false;

// Presses "Cancel" in the folder chooser as soon as it shows.
void CALLBACK CancelFolderChooser(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND chooser = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            char name[16] = {};
            GetClassNameA(window, name, sizeof name);
            if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&chooser));
    if (chooser != nullptr) {
        chooser_seen = true;
        KillTimer(nullptr, timer);
        PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    }
}

TEST_F(OptionsPanel, CancelledFolderChooserLeavesTheBoxButReappliesOptions)
{
    Click(kToFolder);
    SetText(kFolderBox, "D:\\kept\\");
    // Ticked without a command of its own: only a re-application reads it.
    Click(kFillBlank);
    EXPECT_FALSE(option.fillBlank);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CancelFolderChooser);
    Click(kChooseFolder);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(chooser_seen);
    EXPECT_EQ("D:\\kept", Text(kFolderBox));
    EXPECT_EQ("D:\\kept", option.outputFolder);
    EXPECT_TRUE(option.fillBlank);
}

}  // namespace
}  // namespace gui_test
