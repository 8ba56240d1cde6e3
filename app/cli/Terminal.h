// Standard output and standard error of quillconv-cli as one terminal shows them: a progress line
// at the bottom of standard error, and every other text written above it. One lock orders every
// write, and the progress line is cleared before anything else is written, so that no text is
// ever glued onto it; the next progress draws it again.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace terminal {

// Whether progress is drawn (on standard error) from now on; turning it off clears the line.
void EnableProgress(bool enabled);

// Shows prefix, name and suffix as the progress line, in place of the one shown, when progress
// is drawn: fitted to the terminal's width less one column (a line that fills the last one
// wraps on some terminals), the name losing its start when they do not fit.
void DrawProgress(const std::string& prefix, const std::string& name, const std::string& suffix);

// The columns of the terminal that standard error shows on (80 when it cannot tell).
size_t Columns();

// Clears the progress line if it shows.
void ClearProgress();

// Writes text (whole lines) to stream and flushes it, the progress line cleared first.
void Write(std::FILE* stream, const std::string& text);

// A diagnostic record, written to standard error like any other text when records are shown
// (the log's writer).
void WriteRecord(const std::string& record);
// Whether diagnostic records are shown from now on; they are not at first.
void ShowRecords(bool shown);

// What happens when a write finds that the reader of the stream has gone (a closed pipe):
// called by the writing thread, outside the lock of the writes, and expected not to return.
void OnClosedOutput(void (*handler)());

}  // namespace terminal
