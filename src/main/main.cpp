// Program entry: what exists before the main window, the window itself, and
// the message loop.
#include "app.h"
#include "command_line.h"
#include "debuglog/debuglog.h"
#include "korvel_version.h"
#include "plugins/plugins.h"
#include "view.h"
#include "window.h"

#include <cstring>

char doc_path[DOC_PATH_SIZE];
LineList document;
ViewState view_state;

namespace {

constexpr char WINDOW_CLASS[] = "KorvelViewerClass";
constexpr int EXIT_NO_WINDOW = 1;

// The record's text and line number are part of the log's format that
// readers of debug.log rely on; they do not follow this file's layout.
constexpr char LOG_TAG[] = "main.c";
constexpr int LINE_COMMAND_LINE_LOAD = 580;

bool register_window_class(HINSTANCE instance) {
    WNDCLASSA window_class{};
    window_class.style = CS_VREDRAW | CS_HREDRAW;
    window_class.lpfnWndProc = main_wnd_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, "MAINICON");
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    window_class.lpszMenuName = "MAINMENU";
    window_class.lpszClassName = WINDOW_CLASS;
    return RegisterClassA(&window_class) != 0;
}

// The start-up load runs before the window exists: the plug-ins get the load
// command with no window, before the create command, and no open command.
// File > Open (open_document) differs on purpose: it sends the open command
// first and sets the scroll bar of the window that is there.
void load_from_command_line(const char *arguments) {
    bool fits = command_line_path(arguments, doc_path, DOC_PATH_SIZE);
    debug_print("%s: %d  loading \"%s\" from command line.", LOG_TAG, LINE_COMMAND_LINE_LOAD,
                fits ? doc_path : arguments);
    if (!fits) {
        // Too long for any path the viewer can hold: show it cut to fit,
        // and never open it.
        char shown[DOC_PATH_SIZE];
        std::memcpy(shown, doc_path, DOC_PATH_SIZE);
        std::memset(doc_path, 0, DOC_PATH_SIZE);
        show_load_error(shown);
    } else {
        show_load_result(doc_path, lines_load(&document, doc_path));
    }
    view_document_changed();
    view_state.line_count = lines_count(&document);
    plugins_send(nullptr, doc_path, 0, PLUGIN_CMD_LOAD);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int show) {
    if (!register_window_class(instance))
        return EXIT_NO_WINDOW;
    plugins_load_all();

    std::memset(doc_path, 0, DOC_PATH_SIZE);
    document = lines_new();
    view_state.top_line = 0;
    if (arguments && *arguments)
        load_from_command_line(arguments);

    char title[64];
    wsprintfA(title, "Korvel Viewer %u.%u.%u-%s", KORVEL_VERSION_MAJOR, KORVEL_VERSION_MINOR,
              KORVEL_VERSION_PATCH, "DEBUG");
    HWND window = CreateWindowExA(
        WS_EX_APPWINDOW, WINDOW_CLASS, title, WS_OVERLAPPEDWINDOW | WS_VSCROLL, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window)
        return EXIT_NO_WINDOW;
    ShowWindow(window, show);
    UpdateWindow(window);
    HACCEL accelerators = LoadAcceleratorsA(instance, "MAINACCEL");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        if (!TranslateAcceleratorA(window, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    plugins_shutdown();
    return static_cast<int>(message.wParam);
}
