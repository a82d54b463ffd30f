// The plug-in's two modal dialogs. Modal, because the viewer's message loop
// does not give a modeless dialog its keyboard.
#include "find_plugin/find_plugin.h"
#include "find_plugin/find_resource.h"
#include "find_plugin/find_view.h"

#include <cstdio>

namespace {

constexpr int TEXT_SIZE = 256; // the longest text searched, with its NUL

struct TextDialog {
    std::string *text;
    bool *match_case;
};

struct LineDialog {
    int32_t count;
    int32_t top;
    int32_t *line;
};

void select_edit(HWND dialog, int control) {
    HWND edit = GetDlgItem(dialog, control);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
}

INT_PTR CALLBACK text_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto *data = reinterpret_cast<TextDialog *>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        data = reinterpret_cast<TextDialog *>(lparam);
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        SendDlgItemMessageA(dialog, IDC_FIND_TEXT, EM_LIMITTEXT, TEXT_SIZE - 1, 0);
        SetDlgItemTextA(dialog, IDC_FIND_TEXT, data->text->c_str());
        CheckDlgButton(dialog, IDC_FIND_MATCH_CASE,
                       *data->match_case ? BST_CHECKED : BST_UNCHECKED);
        select_edit(dialog, IDC_FIND_TEXT);
        return FALSE; // the focus is set
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            char text[TEXT_SIZE];
            GetDlgItemTextA(dialog, IDC_FIND_TEXT, text, TEXT_SIZE);
            if (!*text) { // nothing to look for: the dialog waits for a text
                MessageBeep(MB_OK);
                select_edit(dialog, IDC_FIND_TEXT);
                return TRUE;
            }
            *data->text = text;
            *data->match_case = IsDlgButtonChecked(dialog, IDC_FIND_MATCH_CASE) == BST_CHECKED;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK line_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto *data = reinterpret_cast<LineDialog *>(GetWindowLongPtrA(dialog, DWLP_USER));
    char text[64];
    switch (message) {
    case WM_INITDIALOG:
        data = reinterpret_cast<LineDialog *>(lparam);
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        // Numbered as the position indicator counts: the first line is 0.
        if (data->count > 0)
            std::snprintf(text, sizeof text,
                          "&Номер строки (от 0 до %ld):", static_cast<long>(data->count - 1));
        else
            std::snprintf(text, sizeof text, "В документе нет строк.");
        SetDlgItemTextA(dialog, IDC_GOTO_RANGE, text);
        SendDlgItemMessageA(dialog, IDC_GOTO_NUMBER, EM_LIMITTEXT, 10, 0);
        std::snprintf(text, sizeof text, "%ld", static_cast<long>(data->top));
        SetDlgItemTextA(dialog, IDC_GOTO_NUMBER, text);
        select_edit(dialog, IDC_GOTO_NUMBER);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            GetDlgItemTextA(dialog, IDC_GOTO_NUMBER, text, sizeof text);
            if (find_parse_line_number(text, data->count, data->line)) {
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            SetDlgItemTextA(dialog, IDC_GOTO_ERROR, "Строки с таким номером в документе нет.");
            MessageBeep(MB_OK);
            select_edit(dialog, IDC_GOTO_NUMBER);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

bool find_dialog_text(HWND owner, std::string *text, bool *match_case) {
    TextDialog data{text, match_case};
    return DialogBoxParamA(find_instance, MAKEINTRESOURCEA(IDD_FIND), owner, text_dialog_proc,
                           reinterpret_cast<LPARAM>(&data)) == IDOK;
}

bool find_dialog_line(HWND owner, int32_t count, int32_t top, int32_t *line) {
    LineDialog data{count, top, line};
    return DialogBoxParamA(find_instance, MAKEINTRESOURCEA(IDD_GOTO), owner, line_dialog_proc,
                           reinterpret_cast<LPARAM>(&data)) == IDOK;
}
