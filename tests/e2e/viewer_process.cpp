// The driver: the viewer's folder and process.
#include "viewer_driver_parts.h"

#include "support/programs_win.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Every run gets the same window, so page sizes and pixels are known.
constexpr int WINDOW_X = 0, WINDOW_Y = 0, WINDOW_WIDTH = 800, WINDOW_HEIGHT = 520;

} // namespace

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
        Sleep(DRIVER_POLL_MS);
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
