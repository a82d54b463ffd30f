// The driver: input posted or injected into the viewer.
#include "viewer_driver_parts.h"

#include "support/programs_win.h"

#include <algorithm>

namespace {

bool ctrl_attached = false;

void send_mouse(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
    Sleep(50);
}

} // namespace

void post_key(HWND window, UINT virtual_key) {
    UINT scan = MapVirtualKeyA(virtual_key, 0);
    PostMessageA(window, WM_KEYDOWN, virtual_key, 1 | (scan << 16));
}

void post_syskey(HWND window, UINT virtual_key) {
    UINT scan = MapVirtualKeyA(virtual_key, 0);
    // Bit 29: Alt is down, as for a key pressed with Alt.
    PostMessageA(window, WM_SYSKEYDOWN, virtual_key, 1 | (scan << 16) | (1u << 29));
}

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
        Sleep(DRIVER_POLL_MS);
    }
    release_ctrl(run);
    return false;
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
