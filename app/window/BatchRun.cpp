// The batch run: the marked files converted one after another on the window's thread, with the
// window's messages handled between files.
#include "window/ConvWindowImpl.h"

#include <vector>

#include "conversion/ConvertFile.h"
#include "conversion/output/RunOutputs.h"
#include "conversion/output/StatusText.h"
#include "files/Format.h"
#include "window/WindowContext.h"

void cConvWindow::impl::RunBatch()
{
    if (!running_)
        return;
    ApplySettings();
    // The run keeps its own list: rows added or cleared during it do not change it.
    const std::vector<std::string> paths = fileList_.GetMarkedTexts(kColumnPath);
    const int count = static_cast<int>(paths.size());
    if (count == 0) {
        SetRunning(false);
        return;
    }
    statusList_.ResetContent();
    overallProgress_.SetRange(count + 1);
    overallProgress_.SetPos(0);

    ProgressBarSink progress(fileProgress_);
    StatusListSink status(statusList_);
    // No file of the run replaces an output that another file of the run wrote.
    RunOutputs outputs;
    ConvertContext context{progress, status, &outputs};
    for (int index = 0; index < count; ++index) {
        // Between files the window's messages are handled: stop, clear, options and drops.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            // The quit message stays for the main loop, which then ends.
            if (message.message == WM_QUIT)
                return;
            GetMessageA(&message, nullptr, 0, 0);
            DispatchDialogMessage(Handle(), message);
            if (!running_) {
                status.AddLine(sdk::files::Format("変換中止[%d/%d]", index, count));
                return;
            }
        }
        overallProgress_.StepIt();
        const std::string& path = paths[static_cast<size_t>(index)];
        if (path.empty())
            continue;
        if (!ConvertFile(context, path))
            status.AddLine(FailureLine(path));
    }
    overallProgress_.StepIt();
    SetRunning(false);
}
