// Drives a viewer's printing as a user would, from outside its process:
// starts the viewer on a document, sends it File > Print / File > Page setup
// and answers the dialogs it opens. Every job of the test printers goes to
// one PostScript file.
//
// Usage: print_driver <viewer exe> <document or -> <output file, Unix path> <action>...
//   print:<printer>:ok|cancel[:copies=N]    File > Print
//   setup:<printer>:ok|cancel[:margin=MM]   File > Page setup
// "<printer>" "-" keeps the dialog's choice. Prints "<kind> opened with
// <printer>" for every printer list it sees and "<kind> done" when the
// viewer has finished the command.
#include "res/resource.h"
#include "support/programs_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Control ids of the common dialogs' templates.
constexpr int PRINT_PRINTER_COMBO = 0x473;  // cmb4, print dialog
constexpr int SETUP_PRINTER_COMBO = 0x470;  // cmb1, print-setup dialog
constexpr int PRINT_COPIES_EDIT = 0x482;    // edt3
constexpr int SETUP_PRINTER_BUTTON = 0x402; // psh3, "Printer..." of page setup
constexpr int SETUP_MARGIN_LEFT = 0x483;    // edt4 .. edt7: the four margins
constexpr DWORD WAIT_MS = 30000;
const char *const OUTPUT_PORTS[] = {"KORVEL600:", "KORVEL1200:", "KORVEL72:", "KORVELTINY:"};

DWORD viewer_pid;
HANDLE viewer_process;

struct Action {
    std::string kind; // "print" or "setup"
    std::string printer;
    bool confirm = true;
    std::string copies;
    std::string margin;
};

bool parse_action(const std::string &text, Action *action) {
    std::vector<std::string> parts;
    size_t start = 0, at;
    while ((at = text.find(':', start)) != std::string::npos) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
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

bool of_viewer(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid == viewer_pid;
}

BOOL CALLBACK list_control(HWND control, LPARAM) {
    char name[64] = "", text[128] = "";
    GetClassNameA(control, name, sizeof name);
    GetWindowTextA(control, text, sizeof text);
    std::printf("    control %#x %s \"%s\"\n", GetDlgCtrlID(control), name, text);
    return TRUE;
}

BOOL CALLBACK list_window(HWND window, LPARAM) {
    char name[64] = "", text[128] = "";
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, text, sizeof text);
    if (of_viewer(window)) {
        std::printf("  window %s \"%s\" visible %d\n", name, text, IsWindowVisible(window));
        if (std::strcmp(name, "#32770") == 0)
            EnumChildWindows(window, list_control, 0);
    }
    return TRUE;
}

// Ends the run, showing the viewer's windows (an unexpected box, say).
[[noreturn]] void fail(const char *why) {
    std::printf("%s\n", why);
    EnumWindows(list_window, 0);
    std::fflush(stdout);
    if (viewer_process)
        TerminateProcess(viewer_process, 9);
    ExitProcess(3);
}

HWND wait_for_window(const char *class_name, HWND skip) {
    for (DWORD waited = 0; waited < WAIT_MS; waited += 50) {
        for (HWND window : process_windows(viewer_pid, class_name))
            if (window != skip)
                return window;
        Sleep(50);
    }
    fail("timeout waiting for a window");
}

// A dialog of the viewer other than `skip` holding the control `expected_id`
// (when not 0), so that an error box is never taken for it.
HWND wait_for_dialog(HWND skip, int expected_id) {
    HWND dialog = wait_for_window("#32770", skip);
    Sleep(100); // let WM_INITDIALOG finish filling the controls
    if (expected_id && !GetDlgItem(dialog, expected_id))
        fail("unexpected dialog");
    return dialog;
}

// The printer a dialog's combo box shows. Asked in UTF-16: the dialogs are
// Unicode windows, and ANSI list texts do not come back whole across processes.
std::string chosen_printer(HWND dialog, int combo_id) {
    HWND combo = GetDlgItem(dialog, combo_id);
    LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    wchar_t wide[256] = L"";
    if (item != CB_ERR && SendMessageW(combo, CB_GETLBTEXTLEN, item, 0) < 256)
        SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(wide));
    char text[512] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

void choose_printer(HWND dialog, int combo_id, const std::string &printer) {
    if (printer == "-")
        return;
    HWND combo = GetDlgItem(dialog, combo_id);
    if (SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(printer.c_str())) == CB_ERR)
        fail(("printer not offered: " + printer).c_str());
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(combo_id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

// The button press is posted: the dialog is gone only once it has been handled.
void wait_closed(HWND dialog) {
    for (DWORD waited = 0; IsWindow(dialog); waited += 20) {
        if (waited > WAIT_MS)
            fail("dialog stays open");
        Sleep(20);
    }
}

std::string edit_text(HWND dialog, int id) {
    wchar_t wide[64] = L"";
    SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(wide));
    char text[128] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// Types `text` into an edit box of the dialog and makes sure it took.
void type_into(HWND dialog, int id, const std::string &text) {
    HWND edit = GetDlgItem(dialog, id);
    SetWindowTextA(edit, text.c_str());
    if (text != edit_text(dialog, id))
        fail("edit box refused the text");
}

void report_opened(const char *kind, HWND dialog, int combo_id) {
    std::printf("%s opened with %s\n", kind, chosen_printer(dialog, combo_id).c_str());
    std::fflush(stdout);
}

void answer_print(const Action &action) {
    HWND dialog = wait_for_dialog(nullptr, PRINT_PRINTER_COMBO);
    report_opened("print", dialog, PRINT_PRINTER_COMBO);
    choose_printer(dialog, PRINT_PRINTER_COMBO, action.printer);
    if (!action.copies.empty())
        type_into(dialog, PRINT_COPIES_EDIT, action.copies);
    PostMessageA(dialog, WM_COMMAND, action.confirm ? IDOK : IDCANCEL, 0);
    wait_closed(dialog);
}

void answer_setup(const Action &action) {
    HWND dialog = wait_for_dialog(nullptr, SETUP_PRINTER_BUTTON);
    std::printf("setup margins %s %s %s %s\n", edit_text(dialog, SETUP_MARGIN_LEFT).c_str(),
                edit_text(dialog, SETUP_MARGIN_LEFT + 1).c_str(),
                edit_text(dialog, SETUP_MARGIN_LEFT + 2).c_str(),
                edit_text(dialog, SETUP_MARGIN_LEFT + 3).c_str());
    std::fflush(stdout);
    if (action.printer != "-") {
        // The printer is chosen in the dialog behind "Printer...", built on
        // the print-setup or the print template depending on the system.
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(SETUP_PRINTER_BUTTON, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, SETUP_PRINTER_BUTTON)));
        HWND printer_dialog = wait_for_dialog(dialog, 0);
        int combo = GetDlgItem(printer_dialog, PRINT_PRINTER_COMBO) ? PRINT_PRINTER_COMBO
                                                                    : SETUP_PRINTER_COMBO;
        if (!GetDlgItem(printer_dialog, combo))
            fail("unexpected dialog");
        report_opened("setup", printer_dialog, combo);
        choose_printer(printer_dialog, combo, action.printer);
        PostMessageA(printer_dialog, WM_COMMAND, IDOK, 0);
        wait_closed(printer_dialog);
        Sleep(100);
    }
    if (!action.margin.empty())
        for (int edit = 0; edit < 4; ++edit)
            type_into(dialog, SETUP_MARGIN_LEFT + edit, action.margin);
    PostMessageA(dialog, WM_COMMAND, action.confirm ? IDOK : IDCANCEL, 0);
    wait_closed(dialog);
}

// The viewer runs a whole print job inside the command: it answers a message
// again only when the command is over.
void wait_until_idle(HWND viewer) {
    DWORD_PTR result;
    if (!SendMessageTimeoutA(viewer, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result))
        fail("viewer does not answer");
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        std::printf("usage: print_driver <viewer exe> <document or -> <output> <action>...\n");
        return 2;
    }
    std::vector<Action> actions(argc - 4);
    for (int i = 4; i < argc; ++i)
        if (!parse_action(argv[i], &actions[i - 4])) {
            std::printf("bad action %s\n", argv[i]);
            return 2;
        }
    route_output(argv[3]);

    std::string document = std::strcmp(argv[2], "-") != 0 ? "\"" + std::string(argv[2]) + "\"" : "";
    PROCESS_INFORMATION process;
    if (!launch_program(&process, argv[1], document)) {
        std::printf("cannot start %s: %lu\n", argv[1], GetLastError());
        return 2;
    }
    viewer_pid = process.dwProcessId;
    viewer_process = process.hProcess;
    HWND viewer = wait_for_window("KorvelViewerClass", nullptr);

    for (const Action &action : actions) {
        PostMessageA(viewer, WM_COMMAND, action.kind == "print" ? IDM_PRINT : IDM_PAGESETUP, 0);
        if (action.kind == "print")
            answer_print(action);
        else
            answer_setup(action);
        wait_until_idle(viewer);
        std::printf("%s done\n", action.kind.c_str());
        std::fflush(stdout);
    }

    PostMessageA(viewer, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, WAIT_MS) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 9);
        fail("viewer does not end");
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return 0;
}
