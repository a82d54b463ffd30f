#include "viewer_driver.h"

#include "support/log_records.h"
#include "support/programs_win.h"
#include "support/surface_win.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr DWORD POLL_MS = 10;
// Every run gets the same window, so page sizes and pixels are known.
constexpr int WINDOW_X = 0, WINDOW_Y = 0, WINDOW_WIDTH = 800, WINDOW_HEIGHT = 520;

std::string line_of_value(int value) {
    return " value=" + std::to_string(value);
}

bool is_marker(const std::string &line) {
    static const std::string suffix = line_of_value(MARKER_KEY);
    return line.rfind("KeyPress ", 0) == 0 && line.size() >= suffix.size() &&
           line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<std::string> text_lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

Picture picture_from(const DibSurface &surface) {
    Picture picture;
    picture.width = surface.width;
    picture.height = surface.height;
    GdiFlush();
    picture.pixels.assign(surface.bits,
                          surface.bits + static_cast<size_t>(surface.width) * surface.height);
    for (auto &pixel : picture.pixels)
        pixel &= 0x00FFFFFF;
    return picture;
}

Picture picture_of(HWND window, int width, int height, POINT origin = {0, 0}) {
    if (width <= 0 || height <= 0) {
        Picture empty;
        empty.width = width;
        empty.height = height;
        return empty;
    }
    DibSurface surface(width, height);
    HDC window_dc = GetDC(window);
    BitBlt(surface.dc, 0, 0, width, height, window_dc, origin.x, origin.y, SRCCOPY);
    ReleaseDC(window, window_dc);
    return picture_from(surface);
}

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
        Sleep(POLL_MS);
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

// ---- The viewer's folder and process ----

void folder_prepare(const TempDir &folder, std::initializer_list<const char *> plugins) {
    fs::copy_file(KORVEL_E2E_DIST "/korvel.exe", folder.file("korvel.exe"));
    fs::create_directory(folder.file("fonts"));
    for (int n = 0; n < 10; ++n) {
        std::string name = "vga" + std::to_string(n) + ".sfn";
        fs::copy_file(std::string(KORVEL_E2E_DIST "/fonts/") + name, folder.path / "fonts" / name);
    }
    fs::create_directory(folder.file("Plugins"));
    for (const char *plugin : plugins)
        fs::copy_file(std::string(KORVEL_E2E_PLUGINS "/") + plugin,
                      folder.path / "Plugins" / plugin);
}

std::string folder_exe(const TempDir &folder) {
    return folder.file("korvel.exe");
}

bool viewer_start(ViewerRun &run, const TempDir &folder, const std::string &arguments) {
    run.folder = folder.path.string();
    if (run.sync_plugin.empty())
        run.sync_plugin = "rec_all";
    return launch_program(&run.process, folder_exe(folder), arguments, run.folder.c_str());
}

bool viewer_running(const ViewerRun &run) {
    return run.process.hProcess && WaitForSingleObject(run.process.hProcess, 0) == WAIT_TIMEOUT;
}

bool viewer_wait_window(ViewerRun &run, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        run.window = find_process_window(run.process.dwProcessId, "KorvelViewerClass");
        if (run.window)
            return true;
        if (!viewer_running(run))
            return false;
        Sleep(POLL_MS);
    }
    return false;
}

void viewer_place(const ViewerRun &run) {
    SetWindowPos(run.window, nullptr, WINDOW_X, WINDOW_Y, WINDOW_WIDTH, WINDOW_HEIGHT,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool viewer_open(ViewerRun &run, const TempDir &folder, const std::string &arguments) {
    if (!viewer_start(run, folder, arguments) || !viewer_wait_window(run))
        return false;
    viewer_place(run);
    return viewer_sync(run);
}

long viewer_wait_exit(ViewerRun &run, DWORD timeout_ms) {
    if (WaitForSingleObject(run.process.hProcess, timeout_ms) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(run.process.hProcess, &code);
    return static_cast<long>(code);
}

void viewer_close_handles(ViewerRun &run) {
    if (!run.process.hProcess)
        return;
    if (viewer_running(run)) {
        TerminateProcess(run.process.hProcess, 99);
        WaitForSingleObject(run.process.hProcess, 5000);
    }
    CloseHandle(run.process.hThread);
    CloseHandle(run.process.hProcess);
    run.process = {};
}

// ---- Input ----

void post_key(HWND window, UINT virtual_key) {
    UINT scan = MapVirtualKeyA(virtual_key, 0);
    PostMessageA(window, WM_KEYDOWN, virtual_key, 1 | (scan << 16));
}

void post_syskey(HWND window, UINT virtual_key) {
    UINT scan = MapVirtualKeyA(virtual_key, 0);
    // Bit 29: Alt is down, as for a key pressed with Alt.
    PostMessageA(window, WM_SYSKEYDOWN, virtual_key, 1 | (scan << 16) | (1u << 29));
}

static bool ctrl_attached = false;

void post_ctrl_key(ViewerRun &run, UINT virtual_key) {
    AttachThreadInput(GetCurrentThreadId(), run.process.dwThreadId, TRUE);
    ctrl_attached = true;
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    SetKeyboardState(keys);
    post_key(run.window, virtual_key);
}

void release_ctrl(ViewerRun &run) {
    if (!ctrl_attached)
        return;
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
    AttachThreadInput(GetCurrentThreadId(), run.process.dwThreadId, FALSE);
    ctrl_attached = false;
}

void post_mouse(HWND window, UINT message, int x, int y) {
    WPARAM buttons = message == WM_LBUTTONDOWN ? MK_LBUTTON : 0;
    PostMessageA(window, message, buttons, MAKELPARAM(x, y));
}

void post_wheel(HWND window, int delta) {
    PostMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0);
}

bool viewer_sync(ViewerRun &run, DWORD timeout_ms) {
    std::string calls_path = run.folder + "\\Plugins\\" + run.sync_plugin + ".calls";
    auto markers = [&] {
        auto lines = text_lines(read_file(calls_path));
        return std::count_if(lines.begin(), lines.end(), is_marker);
    };
    auto before = markers();
    post_key(run.window, MARKER_KEY);
    DWORD start = GetTickCount();
    bool handled = false;
    while (GetTickCount() - start < timeout_ms) {
        if (!handled && markers() > before)
            handled = true;
        if (handled) {
            // BeginPaint empties the update region before the picture is
            // copied to the window, so an empty region alone does not mean
            // the paint is done: a message sent afterwards is handled only
            // once the paint handler has returned.
            RECT pending;
            DWORD_PTR ignored;
            if (!GetUpdateRect(run.window, &pending, FALSE)) {
                SendMessageTimeoutA(run.window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored);
                if (!GetUpdateRect(run.window, &pending, FALSE)) {
                    release_ctrl(run);
                    return true;
                }
            }
        }
        Sleep(POLL_MS);
    }
    release_ctrl(run);
    return false;
}

static void send_mouse(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
    Sleep(50);
}

void mouse_drag(HWND window, POINT from_client, POINT to_client) {
    POINT from = from_client, to = to_client;
    ClientToScreen(window, &from);
    ClientToScreen(window, &to);
    SetForegroundWindow(window);
    SetCursorPos(from.x, from.y);
    Sleep(100);
    send_mouse(0, from);
    send_mouse(MOUSEEVENTF_LEFTDOWN, from);
    constexpr int STEPS = 8;
    for (int step = 1; step <= STEPS; ++step) {
        POINT at{from.x + (to.x - from.x) * step / STEPS, from.y + (to.y - from.y) * step / STEPS};
        send_mouse(0, at);
    }
    send_mouse(MOUSEEVENTF_LEFTUP, to);
}

// ---- Top-level windows of the viewer's process ----

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
        Sleep(POLL_MS);
    }
    return nullptr;
}

bool wait_gone(HWND window, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        if (!IsWindow(window) || !IsWindowVisible(window))
            return true;
        Sleep(POLL_MS);
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

// ---- What the viewer wrote ----

std::vector<std::string> plugin_calls(const ViewerRun &run, const char *plugin) {
    auto lines = text_lines(read_file(run.folder + "\\Plugins\\" + plugin + ".calls"));
    lines.erase(std::remove_if(lines.begin(), lines.end(), is_marker), lines.end());
    return lines;
}

std::vector<std::string> plugin_calls_of(const ViewerRun &run, const std::string &export_name) {
    std::vector<std::string> found;
    for (const auto &call : plugin_calls(run))
        if (call.rfind(export_name + " ", 0) == 0)
            found.push_back(call);
    return found;
}

std::vector<std::string> log_messages(const std::string &folder) {
    std::vector<std::string> messages;
    for (const auto &line : text_lines(read_file(folder + "\\debug.log"))) {
        messages.push_back(log_record_message(line).value_or(line));
    }
    return messages;
}

int count_of(const std::vector<std::string> &lines, const std::string &line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// ---- What the viewer painted ----

uint32_t colour_of(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

Picture capture_client(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return picture_of(window, client.right - client.left, client.bottom - client.top);
}

const FontBytes &shipped_font(int number) {
    static std::map<int, FontBytes> fonts;
    auto found = fonts.find(number);
    if (found != fonts.end())
        return found->second;
    std::string bytes =
        read_file(std::string(KORVEL_E2E_FONTS "/vga") + std::to_string(number) + ".sfn");
    FontBytes font(bytes.begin(), bytes.end());
    font.resize(FONT_DATA_SIZE);
    return fonts.emplace(number, std::move(font)).first->second;
}

bool glyph_has_ink(const FontBytes &font, unsigned char glyph, int column, int row) {
    return (font[glyph * LINE_HEIGHT + row] & (0x80 >> column)) != 0;
}

bool cell_shows(const Picture &picture, int x, int y, int font, unsigned char glyph,
                bool underlined) {
    const FontBytes &bytes = shipped_font(font);
    if (x < 0 || y < 0 || x + CHAR_WIDTH > picture.width || y + LINE_HEIGHT > picture.height)
        return false;
    for (int row = 0; row < LINE_HEIGHT; ++row) {
        for (int column = 0; column < CHAR_WIDTH; ++column) {
            bool ink =
                glyph_has_ink(bytes, glyph, column, row) || (underlined && row == LINE_HEIGHT - 1);
            if ((picture.at(x + column, y + row) == 0) != ink)
                return false;
        }
    }
    return true;
}

static int glyph_in_cell(const Picture &picture, int x, int y) {
    // Printable bytes first, so that a blank cell reads as a space.
    for (int glyph = 0x20; glyph < 0x120; ++glyph) {
        if (cell_shows(picture, x, y, 0, static_cast<unsigned char>(glyph & 0xFF)))
            return glyph & 0xFF;
    }
    return -1;
}

std::string row_text(const Picture &picture, int row, int first_column, int count) {
    std::string text;
    for (int column = first_column; column < first_column + count; ++column) {
        int glyph = glyph_in_cell(picture, column * CHAR_WIDTH, row * LINE_HEIGHT);
        text += glyph < 0 ? '?' : static_cast<char>(glyph);
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string indicator_text(const Picture &picture) {
    int y = picture.height - LINE_HEIGHT;
    int first_column = E2E_RULE_X / CHAR_WIDTH + 1;
    std::string text;
    for (int column = first_column; column < picture.width / CHAR_WIDTH; ++column) {
        int glyph = glyph_in_cell(picture, column * CHAR_WIDTH, y);
        text += glyph < 0 ? '?' : static_cast<char>(glyph);
    }
    size_t start = text.find_first_not_of(' ');
    size_t end = text.find_last_not_of(' ');
    return start == std::string::npos ? "" : text.substr(start, end - start + 1);
}

std::string indicator(int top_line, int line_count) {
    return std::to_string(top_line) + " \xA8\xA7 " + std::to_string(line_count);
}

bool row_banded(const Picture &picture, int row) {
    int y = row * LINE_HEIGHT;
    if (y + LINE_HEIGHT > picture.height)
        return false;
    const uint32_t band = colour_of(E2E_MARK_COLOUR);
    // Right of the rule and left of the indicator's cells: only the band.
    for (int x = E2E_RULE_X + 1; x < E2E_RULE_X + 40; ++x)
        for (int dy = 0; dy < LINE_HEIGHT; ++dy)
            if (picture.at(x, y + dy) != band)
                return false;
    return true;
}

bool rule_drawn(const Picture &picture) {
    if (picture.width <= E2E_RULE_X + 1)
        return false;
    for (int y = 0; y < picture.height; ++y)
        if (picture.at(E2E_RULE_X, y) != 0)
            return false;
    return true;
}
