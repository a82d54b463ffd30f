#include "programs_win.h"

#include <cstring>

std::string test_bin_directory() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char *last_backslash = std::strrchr(path, '\\'))
        *last_backslash = '\0';
    return path;
}

HANDLE start_program(const std::string &exe, const std::string &arguments, DWORD *pid) {
    std::string command = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    if (pid)
        *pid = process.dwProcessId;
    return process.hProcess;
}

DWORD run_program(const std::string &exe, const std::string &arguments, DWORD *pid) {
    HANDLE process = start_program(exe, arguments, pid);
    if (!process)
        return 99;
    WaitForSingleObject(process, INFINITE);
    DWORD code = 99;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}
