// Program-wide state of the viewer: one instance each, alive for the whole run.
#pragma once

#include "lines/lines.h"

#include <windows.h>

#include <cstdint>

constexpr int DOC_PATH_SIZE = MAX_PATH;

// Path of the current document (NUL-terminated ANSI); empty until one is named.
extern char doc_path[DOC_PATH_SIZE];
// The current document.
extern LineList document;

// What the window shows: indices and counts of document lines.
struct ViewState {
    int32_t top_line;
    int32_t line_count;
    int32_t mark_first; // marked range, inclusive; first > last marks nothing
    int32_t mark_last;
};
extern ViewState view_state;
