// The driver: the viewer's top-level windows, its dialogs and message boxes.
#include "viewer_driver_parts.h"

#include "support/programs_win.h"

#include <algorithm>

namespace {

// The icon drawn on a message box's background, as the box would draw it.
Picture icon_picture(LPCSTR icon_name, int width, int height, COLORREF background) {
    DibSurface surface(width, height);
    surface.fill(0, 0, width, height, background);
    DrawIcon(surface.dc, 0, 0, LoadIconA(nullptr, icon_name));
    return picture_from(surface);
}

size_t differing_pixels(const Picture &a, const Picture &b) {
    size_t count = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
        count += a.pixels[i] != b.pixels[i];
    return count;
}

BoxIcon icon_of(HWND box, HWND icon_control) {
    // Read through the box's own surface: the icon's place in the box.
    RECT rect;
    GetClientRect(icon_control, &rect);
    POINT origin{0, 0};
    MapWindowPoints(icon_control, box, &origin, 1);
    // A box that has just appeared may not have drawn its icon yet.
    Picture shown;
    for (int attempt = 0; attempt < 200; ++attempt) {
        shown = picture_of(box, rect.right, rect.bottom, origin);
        if (shown.pixels.empty())
            return BoxIcon::none;
        if (std::count(shown.pixels.begin(), shown.pixels.end(), shown.pixels[0]) !=
            static_cast<long>(shown.pixels.size()))
            break;
        Sleep(DRIVER_POLL_MS);
    }
    COLORREF background =
        RGB((shown.pixels[0] >> 16) & 0xFF, (shown.pixels[0] >> 8) & 0xFF, shown.pixels[0] & 0xFF);
    const std::pair<LPCSTR, BoxIcon> candidates[] = {{IDI_HAND, BoxIcon::error},
                                                     {IDI_EXCLAMATION, BoxIcon::warning},
                                                     {IDI_ASTERISK, BoxIcon::information},
                                                     {IDI_QUESTION, BoxIcon::question}};
    for (const auto &[name, icon] : candidates) {
        if (differing_pixels(shown, icon_picture(name, rect.right, rect.bottom, background)) == 0)
            return icon;
    }
    return BoxIcon::none;
}

struct BoxParts {
    std::string text;
    HWND icon = nullptr;
    int buttons = 0;
};

BOOL CALLBACK collect_box_part(HWND child, LPARAM data) {
    auto *parts = reinterpret_cast<BoxParts *>(data);
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (_stricmp(name, "Button") == 0 && IsWindowVisible(child)) {
        ++parts->buttons;
    } else if (_stricmp(name, "Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON)
            parts->icon = child;
        else if (parts->text.empty())
            parts->text = window_text(child);
    }
    return TRUE;
}

} // namespace

HWND find_process_window(DWORD pid, const char *class_name, HWND after) {
    std::vector<HWND> windows = process_windows(pid, class_name);
    auto next = windows.begin();
    if (after) {
        next = std::find(windows.begin(), windows.end(), after);
        if (next != windows.end())
            ++next;
    }
    return next == windows.end() ? nullptr : *next;
}

HWND wait_dialog(DWORD pid, int with_control, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        std::vector<HWND> dialogs = process_windows(pid, "#32770", with_control);
        if (!dialogs.empty())
            return dialogs.front();
        Sleep(DRIVER_POLL_MS);
    }
    return nullptr;
}

bool wait_gone(HWND window, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        if (!IsWindow(window) || !IsWindowVisible(window))
            return true;
        Sleep(DRIVER_POLL_MS);
    }
    return false;
}

HWND open_dialog_name_edit(HWND dialog) {
    HWND box = GetDlgItem(dialog, OPEN_FILE_NAME_BOX);
    HWND combo = FindWindowExA(box, nullptr, "ComboBox", nullptr);
    return FindWindowExA(combo ? combo : box, nullptr, "Edit", nullptr);
}

void open_dialog_confirm(HWND dialog, const std::string &path) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(open_dialog_name_edit(dialog), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 2000, &ignored);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

std::string window_text(HWND window) {
    char text[2048] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, 2000, &length);
    return std::string(text, strnlen(text, sizeof text));
}

MessageBoxContent read_message_box(HWND box) {
    // A box wider than the screen is centred off its left edge, where
    // pixels read back black: bring its icon into view first.
    SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    BoxParts parts;
    EnumChildWindows(box, collect_box_part, reinterpret_cast<LPARAM>(&parts));
    MessageBoxContent content;
    content.caption = window_text(box);
    content.text = parts.text;
    content.buttons = parts.buttons;
    content.icon = parts.icon ? icon_of(box, parts.icon) : BoxIcon::none;
    return content;
}
