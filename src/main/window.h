// The main window: its procedure, creation and destruction, commands.
#pragma once

#include <windows.h>

LRESULT CALLBACK main_wnd_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The load-error box for `path`, shown without an owner window.
void show_load_error(const char *path);
