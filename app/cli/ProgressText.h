// The progress line's text, fitted to the columns of the terminal it is drawn on: a line wider
// than the terminal would wrap, and clearing it would then leave its first rows standing.
#pragma once

#include <cstddef>
#include <string>

// The columns text takes on a terminal: a wide (East Asian) character takes two. Text is UTF-8,
// or on Windows the ANSI code page, whose two-byte characters take two columns and others one.
size_t TextColumns(const std::string& text);

// text with each control character (tab, line breaks, ...) shown as mark, so that it stays one
// line on a terminal.
std::string WithoutControls(const std::string& text, char mark);

// prefix, name and suffix joined into at most columns columns: the name loses its start
// (shown as "...") when they do not fit, and the whole is cut when even that does not do.
// Control characters of the name show as "?".
std::string FitProgressText(const std::string& prefix, const std::string& name,
                            const std::string& suffix, size_t columns);
