// A small host for the plug-in tests: copied beside a Plugins folder, it
// loads the plug-ins and dispatches the commands named on its command line,
// writing what it got to driver.out beside itself.
//   plugin_host_driver [window] [path=TEXT] CODE:VALUE[:TIMES] ...
// CODE is hexadecimal. "window" creates a window used for every later
// dispatch; a WM_KEYDOWN sent to it dispatches KeyPress again from inside,
// as the viewer's key handler does, and a WM_CLOSE dispatches Destroy, as
// the viewer's window does when it is destroyed. driver.out lines:
//   load_all <result>
//   send <CODE> <value> <answer>        (one per dispatch)
//   inner 40 <value> <answer>           (a dispatch from the window's key handler)
//   inner 2 0 <answer>                  (Destroy, from the window's close handler)
//   end
#include "plugins/plugins.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

char doc_path[MAX_PATH] = "";
FILE *out = nullptr;

LRESULT CALLBACK driver_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_KEYDOWN) {
        int value = static_cast<int>(wparam);
        int answer = plugins_send(window, doc_path, value, PLUGIN_CMD_KEYPRESS);
        std::fprintf(out, "inner 40 %d %d\n", value, answer);
        return 0;
    }
    if (message == WM_CLOSE) {
        int answer = plugins_send(window, doc_path, 0, PLUGIN_CMD_DESTROY);
        std::fprintf(out, "inner 2 0 %d\n", answer);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND create_driver_window() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = driver_window_proc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "PluginHostDriver";
    RegisterClassA(&window_class);
    return CreateWindowA("PluginHostDriver", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         window_class.hInstance, nullptr);
}

std::string beside_exe(const char *name) {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return name;
    *std::strrchr(path, '\\') = '\0';
    return std::string(path) + "\\" + name;
}

} // namespace

int main(int argc, char **argv) {
    out = std::fopen(beside_exe("driver.out").c_str(), "wb");
    if (!out)
        return 2;
    std::fprintf(out, "load_all %d\n", plugins_load_all());
    HWND window = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strcmp(argument, "window") == 0) {
            window = create_driver_window();
            if (!window)
                return 3;
        } else if (std::strncmp(argument, "path=", 5) == 0) {
            std::snprintf(doc_path, sizeof doc_path, "%s", argument + 5);
        } else {
            char *rest = nullptr;
            int command = static_cast<int>(std::strtol(argument, &rest, 16));
            int value = *rest == ':' ? static_cast<int>(std::strtol(rest + 1, &rest, 10)) : 0;
            int times = *rest == ':' ? std::atoi(rest + 1) : 1;
            for (int time = 0; time < times; ++time) {
                int answer = plugins_send(window, doc_path, value, command);
                std::fprintf(out, "send %X %d %d\n", command, value, answer);
            }
        }
    }
    plugins_shutdown();
    std::fprintf(out, "end\n");
    std::fclose(out);
    return 0;
}
