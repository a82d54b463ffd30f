// Test host for printing: a window that owns the print and page-setup
// records, and a watcher thread that answers the dialogs as a user would.
//
// Usage: print_host <document or -> <PostScript output file (Unix path)> <action>...
//   print:<printer>:ok|cancel[:copies=N]    File > Print
//   setup:<printer>:ok|cancel[:margin=MM]   File > Page setup
// "<printer>" may be "-" to keep the dialog's choice. For every dialog the
// host prints "<action> opened with <printer>" on stdout.
#include "fonts/fonts.h"
#include "main/app.h"
#include "main/print.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

char doc_path[DOC_PATH_SIZE];
LineList document;
ViewState view_state;

namespace {

// Control ids of the common dialogs' templates.
constexpr int PRINT_PRINTER_COMBO = 0x473;  // cmb4, print dialog
constexpr int SETUP_PRINTER_COMBO = 0x470;  // cmb1, print setup dialog
constexpr int PRINT_COPIES_EDIT = 0x482;    // edt3
constexpr int SETUP_PRINTER_BUTTON = 0x402; // psh3, "Printer..." of page setup
constexpr int SETUP_MARGIN_LEFT = 0x483;    // edt4 .. edt7: left, top, right, bottom
constexpr DWORD DIALOG_WAIT_MS = 20000;
const char *const OUTPUT_PORTS[] = {"KORVEL600:", "KORVEL1200:", "KORVEL72:", "KORVELTINY:"};

struct Action {
    std::string kind; // "print" or "setup"
    std::string printer;
    bool confirm = true;
    std::string copies;
    std::string margin;
};

std::vector<std::string> split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0, at;
    while ((at = text.find(separator, start)) != std::string::npos) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool parse_action(const std::string &text, Action *action) {
    auto parts = split(text, ':');
    if (parts.size() < 3 || (parts[0] != "print" && parts[0] != "setup"))
        return false;
    action->kind = parts[0];
    action->printer = parts[1];
    action->confirm = parts[2] == "ok";
    for (size_t i = 3; i < parts.size(); ++i) {
        if (parts[i].rfind("copies=", 0) == 0)
            action->copies = parts[i].substr(7);
        else if (parts[i].rfind("margin=", 0) == 0)
            action->margin = parts[i].substr(7);
        else
            return false;
    }
    return true;
}

// Every job of every test printer goes to `unix_path`.
void route_output(const char *unix_path) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Printing\\Spooler", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const char *port : OUTPUT_PORTS)
        RegSetValueExA(key, port, 0, REG_SZ, reinterpret_cast<const BYTE *>(unix_path),
                       static_cast<DWORD>(std::strlen(unix_path) + 1));
    RegCloseKey(key);
}

struct DialogSearch {
    HWND skip;
    HWND found;
};

BOOL CALLBACK find_dialog(HWND window, LPARAM context) {
    auto *search = reinterpret_cast<DialogSearch *>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (pid == GetCurrentProcessId() && window != search->skip && IsWindowVisible(window) &&
        std::strcmp(name, "#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK list_control(HWND control, LPARAM) {
    char name[64] = "", text[128] = "";
    GetClassNameA(control, name, sizeof name);
    GetWindowTextA(control, text, sizeof text);
    std::printf("    control %#x %s \"%s\"\n", GetDlgCtrlID(control), name, text);
    return TRUE;
}

BOOL CALLBACK list_window(HWND window, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[64] = "", text[128] = "";
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, text, sizeof text);
    if (pid == GetCurrentProcessId())
        std::printf("  window %s \"%s\" visible %d\n", name, text, IsWindowVisible(window));
    if (pid == GetCurrentProcessId() && std::strcmp(name, "#32770") == 0)
        EnumChildWindows(window, list_control, 0);
    return TRUE;
}

[[noreturn]] void fail(const char *why) {
    std::printf("%s\n", why);
    EnumWindows(list_window, 0);
    std::fflush(stdout);
    ExitProcess(3);
}

// Waits for a visible dialog of this process other than `skip` that has the
// control `expected_id`, when not 0 (so an error box is never taken for it).
HWND wait_for_dialog(HWND skip, int expected_id) {
    for (DWORD waited = 0; waited < DIALOG_WAIT_MS; waited += 50) {
        DialogSearch search{skip, nullptr};
        EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            Sleep(100); // let WM_INITDIALOG finish filling the controls
            if (expected_id && !GetDlgItem(search.found, expected_id))
                fail("unexpected dialog");
            return search.found;
        }
        Sleep(50);
    }
    fail("timeout waiting for a dialog");
}

// The printer a dialog's combo box shows.
std::string chosen_printer(HWND dialog, int combo_id) {
    HWND combo = GetDlgItem(dialog, combo_id);
    LRESULT item = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    char text[256] = "";
    if (item != CB_ERR && SendMessageA(combo, CB_GETLBTEXTLEN, item, 0) < LRESULT{sizeof text})
        SendMessageA(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
    return text;
}

void choose_printer(HWND dialog, int combo_id, const std::string &printer) {
    HWND combo = GetDlgItem(dialog, combo_id);
    if (printer == "-")
        return;
    if (SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(printer.c_str())) == CB_ERR) {
        std::printf("printer %s not offered\n", printer.c_str());
        std::fflush(stdout);
        ExitProcess(4);
    }
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(combo_id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void press(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void answer_print(const Action &action) {
    HWND dialog = wait_for_dialog(nullptr, PRINT_PRINTER_COMBO);
    std::printf("print opened with %s\n", chosen_printer(dialog, PRINT_PRINTER_COMBO).c_str());
    std::fflush(stdout);
    choose_printer(dialog, PRINT_PRINTER_COMBO, action.printer);
    if (!action.copies.empty())
        SetDlgItemTextA(dialog, PRINT_COPIES_EDIT, action.copies.c_str());
    PostMessageA(dialog, WM_COMMAND, action.confirm ? IDOK : IDCANCEL, 0);
}

void answer_setup(const Action &action) {
    HWND dialog = wait_for_dialog(nullptr, SETUP_PRINTER_BUTTON);
    if (action.printer != "-") {
        // The printer is chosen in the print-setup dialog behind "Printer...".
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(SETUP_PRINTER_BUTTON, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, SETUP_PRINTER_BUTTON)));
        // Depending on the system it is the print-setup or the print template.
        HWND printer_dialog = wait_for_dialog(dialog, 0);
        int combo = GetDlgItem(printer_dialog, PRINT_PRINTER_COMBO) ? PRINT_PRINTER_COMBO
                                                                    : SETUP_PRINTER_COMBO;
        if (!GetDlgItem(printer_dialog, combo))
            fail("unexpected dialog");
        std::printf("setup opened with %s\n", chosen_printer(printer_dialog, combo).c_str());
        std::fflush(stdout);
        choose_printer(printer_dialog, combo, action.printer);
        PostMessageA(printer_dialog, WM_COMMAND, IDOK, 0);
        while (IsWindow(printer_dialog))
            Sleep(50);
        Sleep(100);
    }
    if (!action.margin.empty())
        for (int edit = 0; edit < 4; ++edit)
            SetDlgItemTextA(dialog, SETUP_MARGIN_LEFT + edit, action.margin.c_str());
    PostMessageA(dialog, WM_COMMAND, action.confirm ? IDOK : IDCANCEL, 0);
}

void watch(const std::vector<Action> *actions, std::atomic<int> *current) {
    for (size_t i = 0; i < actions->size(); ++i) {
        while (current->load() != static_cast<int>(i))
            Sleep(10);
        const Action &action = (*actions)[i];
        if (action.kind == "print")
            answer_print(action);
        else
            answer_setup(action);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        std::printf("usage: print_host <document or -> <output file> <action>...\n");
        return 2;
    }
    std::vector<Action> actions(argc - 3);
    for (int i = 3; i < argc; ++i)
        if (!parse_action(argv[i], &actions[i - 3])) {
            std::printf("bad action %s\n", argv[i]);
            return 2;
        }
    route_output(argv[2]);

    document = lines_new();
    if (std::strcmp(argv[1], "-") != 0) {
        std::snprintf(doc_path, sizeof doc_path, "%s", argv[1]);
        lines_load(&document, doc_path);
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = instance;
    window_class.lpszClassName = "KorvelPrintHost";
    RegisterClassA(&window_class);
    HWND window = CreateWindowA("KorvelPrintHost", "print host", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                300, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    print_init(window, instance);
    fonts_load();

    std::atomic<int> current{-1};
    std::thread watcher(watch, &actions, &current);
    for (size_t i = 0; i < actions.size(); ++i) {
        current = static_cast<int>(i);
        if (actions[i].kind == "print")
            print_document();
        else
            print_page_setup();
        std::printf("%s done\n", actions[i].kind.c_str());
        std::fflush(stdout);
    }
    watcher.join();

    fonts_free();
    lines_free(&document);
    DestroyWindow(window);
    return 0;
}
