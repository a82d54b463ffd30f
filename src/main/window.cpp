#include "window.h"

#include "app.h"
#include "fonts/fonts.h"
#include "plugins/plugins.h"
#include "print.h"
#include "res/resource.h"
#include "view.h"
#include "view_rules.h"

#include <commdlg.h>

namespace {

static_assert(sizeof(OPENFILENAMEA) == 88, "the open dialog record includes FlagsEx");

// Label and pattern pairs, CP1251, closed by an extra NUL.
constexpr char OPEN_FILTER[] = "\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB KORVEL(*.KRV)\0*.KRV\0"
                               "\xD2\xE5\xEA\xF1\xF2\xEE\xE2\xFB\xE5 \xE4\xEE\xEA\xF3\xEC\xE5"
                               "\xED\xF2\xFB MS-DOS(*.TXT)\0*.TXT\0"
                               "\xC2\xF1\xE5 \xF4\xE0\xE9\xEB\xFB(*.*)\0*.*\0";

// "Возможно файл заблокирован или сетевой путь недоступен.\nНе удалось
// загрузить файл \"%s\"." and "Ошибка загрузки файла", CP1251.
constexpr char LOAD_ERROR_FORMAT[] =
    "\xC2\xEE\xE7\xEC\xEE\xE6\xED\xEE \xF4\xE0\xE9\xEB \xE7\xE0\xE1\xEB\xEE\xEA\xE8\xF0\xEE"
    "\xE2\xE0\xED \xE8\xEB\xE8 \xF1\xE5\xF2\xE5\xE2\xEE\xE9 \xEF\xF3\xF2\xFC \xED\xE5\xE4\xEE"
    "\xF1\xF2\xF3\xEF\xE5\xED.\n\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xE7\xE0\xE3\xF0\xF3\xE7"
    "\xE8\xF2\xFC \xF4\xE0\xE9\xEB \"%s\".";
constexpr char LOAD_ERROR_TITLE[] =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xE7\xE0\xE3\xF0\xF3\xE7\xEA\xE8 \xF4\xE0\xE9\xEB\xE0";

// "Файл \"%s\" загружен не полностью: %s.\nПоказано строк: %d.", with the
// reason "не хватило памяти" or "при чтении произошла ошибка", CP1251.
constexpr char LOAD_PARTIAL_FORMAT[] =
    "\xD4\xE0\xE9\xEB \"%s\" \xE7\xE0\xE3\xF0\xF3\xE6\xE5\xED \xED\xE5 \xEF\xEE\xEB\xED\xEE"
    "\xF1\xF2\xFC\xFE: %s.\n\xCF\xEE\xEA\xE0\xE7\xE0\xED\xEE \xF1\xF2\xF0\xEE\xEA: %d.";
constexpr char LOAD_PARTIAL_NO_MEMORY[] =
    "\xED\xE5 \xF5\xE2\xE0\xF2\xE8\xEB\xEE \xEF\xE0\xEC\xFF\xF2\xE8";
constexpr char LOAD_PARTIAL_READ_ERROR[] =
    "\xEF\xF0\xE8 \xF7\xF2\xE5\xED\xE8\xE8 \xEF\xF0\xEE\xE8\xE7\xEE\xF8\xEB\xE0 \xEE\xF8\xE8"
    "\xE1\xEA\xE0";

OPENFILENAMEA open_record;
bool destroyed = false;

void main_create(HWND window, const CREATESTRUCTA *creation) {
    open_record = {};
    open_record.lStructSize = sizeof open_record;
    open_record.hwndOwner = window;
    open_record.hInstance = creation->hInstance;
    open_record.lpstrFilter = OPEN_FILTER;
    open_record.nFilterIndex = 0;
    open_record.lpstrFile = doc_path;
    open_record.nMaxFile = DOC_PATH_SIZE;
    open_record.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;

    print_init(window, creation->hInstance);
    update_scrollbar(window);
    view_state.mark_first = VIEW_INITIAL_MARK_FIRST;
    view_state.mark_last = VIEW_INITIAL_MARK_LAST;
    fonts_load();
    plugins_send(window, doc_path, 0, PLUGIN_CMD_CREATE);
}

void main_destroy(HWND window) {
    // File > Exit posts WM_DESTROY while the window lives on until the loop
    // ends, so a second one (Exit twice, or Exit then close) must not free
    // anything again.
    if (destroyed)
        return;
    destroyed = true;
    plugins_send(window, doc_path, 0, PLUGIN_CMD_DESTROY);
    lines_free(&document);
    view_document_changed();
    fonts_free();
    PostQuitMessage(0);
}

LRESULT main_syskeydown(HWND window, WPARAM key, LPARAM lparam) {
    if (plugins_send(window, doc_path, static_cast<int>(key), PLUGIN_CMD_SYSKEYPRESS) > 0)
        return 0;
    return DefWindowProcA(window, WM_SYSKEYDOWN, key, lparam);
}

// File > Open tells the plug-ins before loading (the open command) and
// after it (the load command, with the window), then sets the scroll bar.
// The start-up load (main.cpp) differs on purpose: it runs before the window
// exists and sends only the load command.
void open_document(HWND window) {
    if (!GetOpenFileNameA(&open_record))
        return;
    if (document)
        lines_free(&document);
    document = lines_new();
    view_document_changed();
    plugins_send(window, doc_path, 0, PLUGIN_CMD_OPEN);
    int loaded = lines_load(&document, doc_path);
    // The view may repaint while the error box is open.
    view_document_changed();
    show_load_result(doc_path, loaded);
    view_state.line_count = lines_count(&document);
    plugins_send(window, doc_path, 0, PLUGIN_CMD_LOAD);
    update_scrollbar(window);
    InvalidateRect(window, nullptr, TRUE);
}

void main_command(HWND window, WPARAM wparam) {
    switch (LOWORD(wparam)) {
    case IDM_OPEN:
        open_document(window);
        break;
    case IDM_PRINT:
        print_document();
        break;
    case IDM_PAGESETUP:
        print_page_setup();
        break;
    case IDM_EXIT:
        PostMessageA(window, WM_DESTROY, 0, 0);
        break;
    default:
        break; // Edit > Copy and "?" do nothing
    }
}

} // namespace

void show_load_error(const char *path) {
    char text[1024];
    wsprintfA(text, LOAD_ERROR_FORMAT, path);
    MessageBoxA(nullptr, text, LOAD_ERROR_TITLE, MB_ICONERROR);
}

void show_load_result(const char *path, int result) {
    if (result == LINES_LOAD_OK)
        return;
    if (result == LINES_LOAD_FAILED) {
        show_load_error(path);
        return;
    }
    // Cut short: the document shows what was read, and the box says so.
    char text[1024];
    wsprintfA(text, LOAD_PARTIAL_FORMAT, path,
              result == LINES_LOAD_READ_ERROR ? LOAD_PARTIAL_READ_ERROR : LOAD_PARTIAL_NO_MEMORY,
              lines_count(&document));
    MessageBoxA(nullptr, text, LOAD_ERROR_TITLE, MB_ICONERROR);
}

LRESULT CALLBACK main_wnd_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        main_create(window, reinterpret_cast<const CREATESTRUCTA *>(lparam));
        return 0;
    case WM_DESTROY:
        main_destroy(window);
        return 0;
    case WM_PAINT:
        if (destroyed) {
            // The document and fonts are gone; only the quit message is due.
            ValidateRect(window, nullptr);
            return 0;
        }
        view_paint(window);
        return 0;
    case WM_ERASEBKGND:
        return 0;
    case WM_KEYDOWN:
        view_keydown(window, wparam);
        return 0;
    case WM_SYSKEYDOWN:
        return main_syskeydown(window, wparam, lparam);
    case WM_COMMAND:
        main_command(window, wparam);
        return 0;
    case WM_VSCROLL:
        view_vscroll(window, LOWORD(wparam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        view_mark(window, HIWORD(lparam), message == WM_LBUTTONDOWN);
        return DefWindowProcA(window, message, wparam, lparam);
    case WM_MOUSEWHEEL:
        view_wheel(window, static_cast<int16_t>(HIWORD(wparam)));
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}
