// The Find plug-in: Find, F3, Go to line, Select all and Copy for the
// viewer, which it follows by subclassing the main window from Create to
// Destroy. Every message goes on to the viewer unchanged; the plug-in only
// watches clicks (to know the marked range) and acts on its menu commands
// and on Copy. The texts are CP1251 (-fexec-charset).
#include "find_plugin/find_plugin.h"
#include "find_plugin/find_resource.h"
#include "main/view_rules.h"
#include "res/resource.h"
#include "korvel_plugin.h"

#include <new>

FindPlugin find_plugin;
HINSTANCE find_instance;

namespace {

struct MenuItem {
    UINT id;
    const char *text;
};
constexpr MenuItem MENU_ITEMS[] = {
    {IDM_FIND_SELECT_ALL, "Выделить &всё\tCtrl+A"},
    {0, nullptr},
    {IDM_FIND_FIND, "&Найти...\tCtrl+F"},
    {IDM_FIND_NEXT, "Найти &далее\tF3"},
    {IDM_FIND_GOTO, "&Перейти к строке...\tCtrl+G"},
};

// Runs one command. A key may come while a box of an earlier command is
// closing (its message loop still runs): it is a command of its own.
template <typename Command> void run(Command command) {
    if (!find_plugin.window)
        return;
    try {
        command();
    } catch (const std::bad_alloc &) {
        // A command that found no memory does nothing.
    }
}

bool run_command(WPARAM id) {
    switch (LOWORD(id)) {
    case IDM_COPY:
        run([] { find_command_copy(); });
        return true;
    case IDM_FIND_FIND:
        run([] { find_command_find(true, true); });
        return true;
    case IDM_FIND_NEXT:
        run([] { find_command_find(false, true); });
        return true;
    case IDM_FIND_GOTO:
        run([] { find_command_goto(); });
        return true;
    case IDM_FIND_SELECT_ALL:
        run([] { find_command_select_all(); });
        return true;
    }
    return false;
}

LRESULT CALLBACK find_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    WNDPROC viewer_proc = find_plugin.viewer_proc;
    if (window == find_plugin.window && (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)) {
        // The line the view marks for this click, from the top line before it.
        int32_t line = view_line_at(GetScrollPos(window, SB_VERT), HIWORD(lparam));
        (message == WM_LBUTTONDOWN ? find_plugin.mark_first : find_plugin.mark_last) = line;
    }
    LRESULT result = CallWindowProcA(viewer_proc, window, message, wparam, lparam);
    if (message == WM_COMMAND && window == find_plugin.window)
        run_command(wparam);
    return result;
}

// The viewer's Edit menu: the one holding its Copy.
HMENU edit_menu(HWND window) {
    HMENU bar = GetMenu(window);
    for (int i = 0, count = bar ? GetMenuItemCount(bar) : 0; i < count; ++i) {
        HMENU menu = GetSubMenu(bar, i);
        if (menu && GetMenuState(menu, IDM_COPY, MF_BYCOMMAND) != static_cast<UINT>(-1))
            return menu;
    }
    return nullptr;
}

void add_menu_items(HWND window) {
    HMENU menu = edit_menu(window);
    if (!menu)
        return;
    ModifyMenuA(menu, IDM_COPY, MF_BYCOMMAND | MF_STRING, IDM_COPY, "&Копировать\tCtrl+C");
    for (const MenuItem &item : MENU_ITEMS)
        AppendMenuA(menu, item.text ? MF_STRING : MF_SEPARATOR, item.id, item.text);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        find_instance = instance;
    return TRUE;
}

KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL Create(HWND window, const char *, int) {
    if (!window || find_plugin.window)
        return 0;
    find_plugin.window = window;
    find_plugin.mark_first = VIEW_INITIAL_MARK_FIRST;
    find_plugin.mark_last = VIEW_INITIAL_MARK_LAST;
    find_plugin.viewer_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(find_window_proc)));
    add_menu_items(window);
    return 0;
}

KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL Load(HWND, const char *path, int) {
    try {
        find_plugin.path = path;
        find_plugin.stamp = document_file_stamp(path);
        find_plugin.index = DocumentIndex();
    } catch (const std::bad_alloc &) {
        find_plugin.path.clear(); // a file of no name: Find and Copy then say so
        find_plugin.stamp = FileStamp();
    }
    find_plugin.last_found = -1;
    return 0;
}

KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL KeyPress(HWND window, const char *, int key) {
    if (window != find_plugin.window || !window)
        return 0;
    bool control = GetKeyState(VK_CONTROL) < 0;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool handled = true;
    if (control && key == 'F')
        run_command(IDM_FIND_FIND);
    else if (control && key == 'G')
        run_command(IDM_FIND_GOTO);
    else if (control && key == 'A')
        run_command(IDM_FIND_SELECT_ALL);
    else if (control && (key == 'C' || key == VK_INSERT))
        run_command(IDM_COPY);
    else if (!control && key == VK_F3 && shift)
        run([] { find_command_find(false, false); });
    else if (!control && key == VK_F3)
        run_command(IDM_FIND_NEXT);
    else
        handled = false;
    return handled ? 1 : 0;
}

// The window is going: put the viewer's procedure back and never touch the
// window again, also from a dialog of ours still up under it.
KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL Destroy(HWND window, const char *, int) {
    if (window != find_plugin.window || !window)
        return 0;
    if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(find_window_proc))
        SetWindowLongPtrA(window, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(find_plugin.viewer_proc));
    find_plugin.window = nullptr;
    return 0;
}
