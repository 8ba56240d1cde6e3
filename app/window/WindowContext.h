// The main window's controls as the report target of a file's conversion: the per-file progress
// bar and the status list.
#pragma once

#include "conversion/ConvertContext.h"
#include "gui/ListBox.h"
#include "gui/ProgressBar.h"

class ProgressBarSink : public ProgressSink {
public:
    explicit ProgressBarSink(sdk::gui::ProgressBar& bar) : bar_(bar) {}
    // The bar always starts at 0.
    void SetRange(int32_t, int32_t high) override { bar_.SetRange(high); }
    void SetPos(int32_t position) override { bar_.SetPos(position); }
    void StepIt() override { bar_.StepIt(); }

private:
    sdk::gui::ProgressBar& bar_;
};

class StatusListSink : public StatusSink {
public:
    explicit StatusListSink(sdk::gui::ListBox& list) : list_(list) {}
    // The new line is selected, scrolled to and painted at once, so that lines appear while
    // the batch is still running.
    void AddLine(const std::string& text) override
    {
        list_.AddString(text);
        const int count = list_.GetCount();
        if (count > 0)
            list_.SetCurSel(count - 1);
        if (list_.Exists())
            UpdateWindow(list_.Handle());
    }

private:
    sdk::gui::ListBox& list_;
};
