// The document view: the client area's picture, scrolling, keys, marking
// and the wheel. Driven by the main window procedure.
#pragma once

#include <windows.h>

#include <cstdint>

// Range 0 ... line_count and position top_line on the vertical scroll bar.
void update_scrollbar(HWND window);
// The document changed (loaded or freed): lines are found anew.
void view_document_changed();
// WM_PAINT.
void view_paint(HWND window);
// WM_VSCROLL with its scroll code.
void view_vscroll(HWND window, int code);
// WM_KEYDOWN: navigation keys scroll, every other key goes to the plug-ins.
void view_keydown(HWND window, WPARAM key);
// WM_LBUTTONDOWN (first end) and WM_LBUTTONUP (last end) at client row y.
void view_mark(HWND window, uint16_t y, bool first_end);
// WM_MOUSEWHEEL: one line per message, whatever the delta.
void view_wheel(HWND window, int16_t delta);
