#include "programs_win.h"

#include <cstring>

std::string test_bin_directory() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char *last_backslash = std::strrchr(path, '\\'))
        *last_backslash = '\0';
    return path;
}

bool launch_program(PROCESS_INFORMATION *process, const std::string &exe,
                    const std::string &arguments, const char *directory, HANDLE output) {
    std::string command = "\"" + exe + "\"";
    if (!arguments.empty())
        command += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    *process = {};
    return CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, output != nullptr, 0,
                          nullptr, directory, &startup, process) != 0;
}

HANDLE start_program(const std::string &exe, const std::string &arguments, DWORD *pid) {
    PROCESS_INFORMATION process;
    if (!launch_program(&process, exe, arguments))
        return nullptr;
    CloseHandle(process.hThread);
    if (pid)
        *pid = process.dwProcessId;
    return process.hProcess;
}

DWORD run_program(const std::string &exe, const std::string &arguments, DWORD *pid,
                  const char *directory, HANDLE output) {
    PROCESS_INFORMATION process;
    if (!launch_program(&process, exe, arguments, directory, output))
        return 99;
    if (pid)
        *pid = process.dwProcessId;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

namespace {

struct WindowQuery {
    DWORD pid;
    const char *class_name;
    int with_control;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_window(HWND window, LPARAM data) {
    auto *query = reinterpret_cast<WindowQuery *>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (pid == query->pid && IsWindowVisible(window) && std::strcmp(name, query->class_name) == 0 &&
        (!query->with_control || GetDlgItem(window, query->with_control)))
        query->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> process_windows(DWORD pid, const char *class_name, int with_control) {
    WindowQuery query{pid, class_name, with_control, {}};
    EnumWindows(collect_window, reinterpret_cast<LPARAM>(&query));
    return query.found;
}
