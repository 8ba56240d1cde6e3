// The main window's implementation: the window, its 54 controls, the options panel, the file
// list and the batch run.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "gui/Control.h"
#include "gui/ListBox.h"
#include "gui/ListView.h"
#include "gui/ProgressBar.h"
#include "gui/SpinBox.h"
#include "gui/Window.h"
#include "window/ConvWindow.h"

// Command identifiers of the controls.
enum ControlId : int {
    kIdClear = 101,
    kIdStart = 102,
    kIdStop = 103,
    kIdApplySettings = 104,  // options whose change re-reads every option
    kIdTextOption = 105,     // the three sub-options of the layer report
    kIdBmpToPng = 106,
    kIdPngToBmp = 107,
    kIdChooseFolder = 108,
};

// The columns of the file list.
enum FileListColumn : int {
    kColumnName = 0,
    kColumnPath = 1,
    kColumnSize = 2,
};

class cConvWindow::impl : public cConvWindow, public sdk::gui::Window {
public:
    impl();

    void RunBatch() override;
    HWND GetHandle() override { return Handle(); }
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;

    // Stores the flag and shows the start button (not running) or the stop button (running).
    void SetRunning(bool running);
    bool Running() const { return running_; }

    // Reads every control into the options, enables and disables the options that depend on
    // others, and re-marks the file list.
    void ApplySettings();
    // Adds one file that a drop brought as a row (its extension is one the list takes).
    void AddFile(const std::string& path);
    void OnDropFiles(HDROP drop);
    // The file list's drawing of a row: marked rows in the highlight colours, as the list view
    // of Windows paints them itself (Wine's does not).
    LRESULT PaintMarkedRows(NMLVCUSTOMDRAW* draw);

private:
    void CreateControls();
    void OnCommand(int id);
    void OnTextOptionChanged();
    void ChooseOutputFolder();
    void ClearList();
    void MarkConvertibleRows();
    void EnableDependentOptions();

    bool running_ = false;

    sdk::gui::ListView fileList_;
    sdk::gui::ListBox statusList_;

    sdk::gui::Button clearButton_;
    sdk::gui::Button startButton_;
    sdk::gui::Button stopButton_;

    sdk::gui::ProgressBar overallProgress_;
    sdk::gui::ProgressBar fileProgress_;

    // PSD to MNG.
    sdk::gui::GroupBox mngGroup_;
    sdk::gui::CheckBox psdToMng_;
    sdk::gui::CheckBox mngOffset_;
    sdk::gui::CheckBox mngTitle_;
    sdk::gui::CheckBox mngComment_;
    sdk::gui::EditBox fpsBox_;
    sdk::gui::SpinBox fpsSpin_;
    sdk::gui::CheckBox mngLoop_;
    // PSD to PNG.
    sdk::gui::GroupBox pngGroup_;
    sdk::gui::CheckBox psdToPngMerged_;
    sdk::gui::CheckBox psdToPngLayers_;
    sdk::gui::CheckBox pngOffset_;
    sdk::gui::CheckBox pngTrim_;
    sdk::gui::CheckBox pngNoAlpha_;
    sdk::gui::RadioBox nameFolderLayer_;
    sdk::gui::RadioBox nameUnderscoreLayer_;
    sdk::gui::RadioBox nameFolderSerial_;
    sdk::gui::RadioBox nameUnderscoreSerial_;
    // PSD to text.
    sdk::gui::GroupBox textGroup_;
    sdk::gui::CheckBox textImageInfo_;
    sdk::gui::CheckBox textLayerInfo_;
    sdk::gui::CheckBox textName_;
    sdk::gui::CheckBox textPosition_;
    sdk::gui::CheckBox textMode_;
    // BMP and PNG.
    sdk::gui::GroupBox bmpPngGroup_;
    sdk::gui::CheckBox bmpToPng_;
    sdk::gui::CheckBox pngToBmp_;
    sdk::gui::RadioBox alphaNone_;
    sdk::gui::RadioBox alphaFile_;
    sdk::gui::RadioBox alphaSplit_;
    // Output.
    sdk::gui::GroupBox outputGroup_;
    sdk::gui::RadioBox compressStandard_;
    sdk::gui::RadioBox compressFast_;
    sdk::gui::RadioBox compressBest_;
    sdk::gui::RadioBox outputBesideInput_;
    sdk::gui::RadioBox outputToFolder_;
    sdk::gui::EditBox folderBox_;
    sdk::gui::Button chooseFolderButton_;
    sdk::gui::CheckBox fillBlank_;
    sdk::gui::CheckBox invertAlpha_;
};
