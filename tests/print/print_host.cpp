// A stand-in for the viewer in the printing tests: the main window class of
// the viewer, whose File > Print and File > Page setup commands run the
// printing module. Usage: print_host [document]
#include "fonts/fonts.h"
#include "main/app.h"
#include "main/print.h"
#include "res/resource.h"

#include <windows.h>

#include <cstdio>

char doc_path[DOC_PATH_SIZE];
LineList document;
ViewState view_state;

namespace {

LRESULT CALLBACK host_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        print_init(window, reinterpret_cast<CREATESTRUCTA *>(lparam)->hInstance);
        fonts_load();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDM_PRINT)
            print_document();
        else if (LOWORD(wparam) == IDM_PAGESETUP)
            print_page_setup();
        return 0;
    case WM_DESTROY:
        fonts_free();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

} // namespace

int main(int argc, char **argv) {
    document = lines_new();
    if (argc > 1) {
        std::snprintf(doc_path, sizeof doc_path, "%s", argv[1]);
        lines_load(&document, doc_path);
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = host_window;
    window_class.hInstance = instance;
    window_class.lpszClassName = "KorvelViewerClass";
    RegisterClassA(&window_class);
    HWND window = CreateWindowA("KorvelViewerClass", "print host", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                300, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    lines_free(&document);
    return 0;
}
