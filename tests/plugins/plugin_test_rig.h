// A test directory holding a copy of plugin_host_driver.exe and a Plugins
// folder with chosen test plug-ins; runs the driver there and reads back its
// debug.log, its driver.out and the plug-ins' .calls files.
#pragma once

#include "support/programs_win.h"
#include "support/temp_dir.h"

#include <windows.h>

#include <string>
#include <vector>

struct HostRun {
    DWORD exit_code = 99;
    DWORD pid = 0;
};

struct PluginHost {
    TempDir dir;
    std::string root; // the driver's directory (dir itself unless given a deeper one)
    std::string exe;

    explicit PluginHost(const std::string &subdirectory = "", const std::string &exe_name = "");
    std::string plugins() const { return root + "\\Plugins"; }
    std::string in_plugins(const std::string &name) const { return plugins() + "\\" + name; }

    // Copies the built test plug-in `built` (e.g. "rec_all.dll") into Plugins as `as`.
    void add(const std::string &built, const std::string &as = "");
    void answers(const std::string &dll_name, const std::string &text) const;
    std::vector<std::string> calls(const std::string &dll_name) const;

    // Runs the driver with `arguments`, after removing the previous run's log.
    HostRun run(const std::string &arguments) const;
    // debug.log records without their "<date> <time> <pid>: " prefix.
    std::vector<std::string> messages(const HostRun &run) const;
    std::vector<std::string> output() const;
};
