// The main window: its procedure, creation and destruction, commands.
#pragma once

#include <windows.h>

LRESULT CALLBACK main_wnd_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The load-error box for `path`, shown without an owner window.
void show_load_error(const char *path);
// What the user is told after loading `path` into the document: nothing when
// it loaded whole, the load-error box when it could not be opened, and a box
// saying why it was cut short and how many lines it shows otherwise.
void show_load_result(const char *path, int result);
