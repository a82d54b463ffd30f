#include "plugin_test_rig.h"

#include "support/log_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

PluginHost::PluginHost(const std::string &subdirectory, const std::string &exe_name) {
    root = dir.path.string();
    if (!subdirectory.empty()) {
        root += "\\" + subdirectory;
        fs::create_directories(root);
    }
    exe = root + "\\" + (exe_name.empty() ? "plugin_host_driver.exe" : exe_name);
    fs::copy_file(test_bin_directory() + "\\plugin_host_driver.exe", exe);
}

void PluginHost::add(const std::string &built, const std::string &as) {
    fs::create_directories(plugins());
    fs::copy_file(test_bin_directory() + "\\..\\plugins\\" + built,
                  in_plugins(as.empty() ? built : as));
}

static std::string without_dll(const std::string &name) {
    return name.substr(0, name.size() - 4);
}

void PluginHost::answers(const std::string &dll_name, const std::string &text) const {
    std::string path = in_plugins(without_dll(dll_name) + ".answers");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::vector<std::string> PluginHost::calls(const std::string &dll_name) const {
    return split_lines(read_file(in_plugins(without_dll(dll_name) + ".calls")));
}

HostRun PluginHost::run(const std::string &arguments) const {
    DeleteFileA((root + "\\debug.log").c_str());
    HostRun result;
    result.exit_code = run_program(exe, arguments, &result.pid);
    if (result.exit_code == 99)
        ADD_FAILURE() << "cannot start " << exe << ": error " << GetLastError();
    return result;
}

std::vector<std::string> PluginHost::messages(const HostRun &run) const {
    std::vector<std::string> result;
    for (const std::string &line : split_lines(read_file(root + "\\debug.log"))) {
        unsigned long pid = 0;
        std::optional<std::string> message = log_record_message(line, &pid);
        EXPECT_TRUE(message && pid == run.pid) << line;
        if (message)
            result.push_back(*message);
    }
    return result;
}

std::vector<std::string> PluginHost::output() const {
    return split_lines(read_file(root + "\\driver.out"));
}
