// The controls of the main window, created in keyboard order, and their defaults.
#include "window/ConvWindowImpl.h"

namespace {

// Labels are not kept: each is made through a wrapper that goes at once; the window stays.
void CreateLabel(const sdk::gui::GuiBase& group, int dx, int dy, int width, int height,
                 const char* caption)
{
    sdk::gui::StaticLabel label;
    label.Create(group, dx, dy, width, height, caption, 0);
}

}  // namespace

void cConvWindow::impl::CreateControls()
{
    HWND window = Handle();

    // Buttons, progress bars and the two lists.
    clearButton_.Create(window, 604, 440, 192, 40, "クリア", kIdClear);
    startButton_.Create(window, 604, 485, 192, 40, "変換開始", kIdStart);
    stopButton_.Create(window, 604, 485, 192, 40, "変換中止", kIdStop);
    overallProgress_.Create(window, 604, 530, 192, 15, "", 0);
    fileProgress_.Create(window, 604, 550, 192, 15, "", 0);
    fileList_.Create(window, 4, 4, 392, 392, "", 0);
    statusList_.Create(window, 4, 400, 392, 166, "", 0);
    overallProgress_.SetStep(1);
    fileProgress_.SetStep(1);
    fileList_.AddColumn("名前", 90, 0);
    fileList_.AddColumn("パス", 200, 0);
    fileList_.AddColumn("サイズ", 80, 1);

    // PSD to MNG.
    mngGroup_.Create(window, 404, 4, 192, 190, "PSD→MNG変換", 0);
    psdToMng_.Create(mngGroup_, 10, 20, 180, 15, "PSD→MNG", kIdApplySettings);
    mngOffset_.Create(mngGroup_, 20, 40, 170, 15, "オフセット（→DEFI）", 0);
    mngTitle_.Create(mngGroup_, 20, 60, 170, 15, "レイヤー名（→Title）", 0);
    mngComment_.Create(mngGroup_, 20, 80, 170, 15, "描画モード（→Comment）", 0);
    CreateLabel(mngGroup_, 20, 110, 170, 15, "アニメーション");
    fpsBox_.Create(mngGroup_, 30, 130, 50, 20, "", 0);
    fpsSpin_.Create(mngGroup_, 60, 130, 20, 20, "", 0);
    fpsSpin_.SetBuddy(fpsBox_);
    CreateLabel(mngGroup_, 90, 135, 100, 15, "[ フレーム／秒 ]");
    mngLoop_.Create(mngGroup_, 30, 160, 160, 15, "ループ（TERM）", 0);

    // PSD to PNG.
    pngGroup_.Create(window, 404, 200, 192, 230, "PSD→PNG変換", 0);
    psdToPngMerged_.Create(pngGroup_, 10, 20, 180, 15, "PSD→PNG（結合画像）", kIdApplySettings);
    psdToPngLayers_.Create(pngGroup_, 10, 40, 180, 15, "PSD→PNG（レイヤー分解）",
                           kIdApplySettings);
    pngOffset_.Create(pngGroup_, 20, 60, 170, 15, "オフセット（→oFFs）", 0);
    pngTrim_.Create(pngGroup_, 20, 80, 170, 15, "トリミング", 0);
    pngNoAlpha_.Create(pngGroup_, 20, 100, 170, 15, "αチャンネル削除", 0);
    CreateLabel(pngGroup_, 20, 120, 170, 15, "出力先");
    nameFolderLayer_.Create(pngGroup_, 30, 140, 160, 15, "ファイル名/レイヤー名", 0);
    nameUnderscoreLayer_.Create(pngGroup_, 30, 160, 160, 15, "ファイル名_レイヤー名", 0);
    nameFolderSerial_.Create(pngGroup_, 30, 180, 160, 15, "ファイル名/連番", 0);
    nameUnderscoreSerial_.Create(pngGroup_, 30, 200, 160, 15, "ファイル名_連番", 0);

    // PSD to text.
    textGroup_.Create(window, 404, 440, 192, 126, "PSD→テキスト出力", 0);
    textImageInfo_.Create(textGroup_, 10, 20, 180, 15, "画像情報", kIdApplySettings);
    textLayerInfo_.Create(textGroup_, 10, 40, 180, 15, "レイヤー情報", kIdApplySettings);
    textName_.Create(textGroup_, 20, 60, 170, 15, "レイヤー名", kIdTextOption);
    textPosition_.Create(textGroup_, 20, 80, 170, 15, "位置／サイズ", kIdTextOption);
    textMode_.Create(textGroup_, 20, 100, 170, 15, "描画モード", kIdTextOption);

    // BMP and PNG.
    bmpPngGroup_.Create(window, 604, 4, 192, 150, "BMP/PNG変換", 0);
    bmpToPng_.Create(bmpPngGroup_, 10, 20, 180, 15, "BMP→PNG", kIdBmpToPng);
    pngToBmp_.Create(bmpPngGroup_, 10, 40, 180, 15, "PNG→BMP", kIdPngToBmp);
    CreateLabel(bmpPngGroup_, 10, 60, 180, 15, "αチャンネル");
    alphaNone_.Create(bmpPngGroup_, 20, 80, 160, 15, "無し", kIdApplySettings);
    alphaFile_.Create(bmpPngGroup_, 20, 100, 160, 15, "*_.bmp", kIdApplySettings);
    alphaSplit_.Create(bmpPngGroup_, 20, 120, 160, 15, "左右分割", kIdApplySettings);

    // Output.
    outputGroup_.Create(window, 604, 160, 192, 270, "出力オプション", 0);
    CreateLabel(outputGroup_, 10, 20, 180, 15, "圧縮（PNG/MNG）");
    compressStandard_.Create(outputGroup_, 20, 40, 100, 15, "標準", 0);
    compressFast_.Create(outputGroup_, 20, 60, 100, 15, "速度優先", 0);
    compressBest_.Create(outputGroup_, 20, 80, 100, 15, "圧縮率優先", 0);
    CreateLabel(outputGroup_, 10, 110, 180, 15, "出力先");
    outputBesideInput_.Create(outputGroup_, 20, 130, 170, 15, "入力ファイルと同じ場所",
                              kIdApplySettings);
    outputToFolder_.Create(outputGroup_, 20, 150, 170, 15, "指定したフォルダ", kIdApplySettings);
    folderBox_.Create(outputGroup_, 30, 170, 130, 20, "", 0);
    chooseFolderButton_.Create(outputGroup_, 160, 170, 20, 20, "...", kIdChooseFolder);
    CreateLabel(outputGroup_, 10, 200, 180, 15, "その他");
    fillBlank_.Create(outputGroup_, 20, 220, 170, 15, "透明部分を塗りつぶす", 0);
    invertAlpha_.Create(outputGroup_, 20, 240, 170, 15, "α画像反転", 0);

    // Defaults: frame rate 0 of 0 to 100, the first radio of each group, nothing ticked.
    fpsSpin_.SetPos(0);
    fpsSpin_.SetRange(100);
    nameFolderLayer_.SetCheck(true);
    alphaNone_.SetCheck(true);
    compressStandard_.SetCheck(true);
    outputBesideInput_.SetCheck(true);
    SetRunning(false);
    ApplySettings();
}
