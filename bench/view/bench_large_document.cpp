// How large a document the viewer can hold and still work, measured from
// outside under Wine: starts a viewer on a document, answers the box of a
// load cut short, then paints a maximised window, scrolls, prints (only a
// document of at most PRINTED_LINES_MAX lines: a print job prints every page)
// and opens the next document, and after each step reports what the viewer
// shows and how much address space it has left. A step that fails ends the
// run with exit code 1.
//   bench_large_document <viewer exe> <document> <next document>
// (Windows paths.) The printers come from tests/bin/printer_rig.exe (run the
// printing tests once); pages go to korvel-bench-job.ps in the temp folder.
// bench_view_unlimited.exe (beside this program) is the viewer with the memory
// limit of KORVEL_BENCH_MEMORY_LIMIT_MB, or none, to learn how much fits.
#include "viewer_driver.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr int PRINT_PRINTER_COMBO = 0x473;
constexpr DWORD LOAD_TIMEOUT_MS = 600000;
constexpr long PRINTED_LINES_MAX = 5000;

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The memory the viewer has committed, and its address space left: free,
// its largest free block, and reserved (Wine keeps the address space it has
// not handed out yet reserved, and allocates from there).
void report(const ViewerRun &run, const char *step, bool ok) {
    unsigned long long total = 0, largest = 0;
    MEMORY_BASIC_INFORMATION region;
    unsigned long long reserved = 0;
    for (unsigned long long at = 0x10000; at < 0x100000000ull; at += region.RegionSize) {
        if (!VirtualQueryEx(run.process.hProcess, reinterpret_cast<void *>(at), &region,
                            sizeof region) ||
            region.RegionSize == 0)
            break;
        if (region.State == MEM_FREE) {
            total += region.RegionSize;
            largest = std::max<unsigned long long>(largest, region.RegionSize);
        } else if (region.State == MEM_RESERVE) {
            reserved += region.RegionSize;
        }
    }
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(run.process.hProcess, &counters, sizeof counters);
    std::printf("%-28s %-4s committed %6.0f MB, free %6.0f MB, largest free block %6.0f MB\n", step,
                ok ? "ok" : "FAIL", counters.PagefileUsage / 1048576.0, total / 1048576.0,
                largest / 1048576.0);
    std::fflush(stdout);
    if (!ok) {
        TerminateProcess(run.process.hProcess, 1);
        std::exit(1);
    }
}

// The number the indicator ends with, e.g. 57 of "0 из 57"; -1 without one.
long shown_count(const ViewerRun &run) {
    std::string text = indicator_text(capture_client(run.window));
    size_t blank = text.rfind(' ');
    return blank == std::string::npos ? -1 : std::atol(text.c_str() + blank + 1);
}

void route_print_jobs() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Printing\\Spooler", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string job = std::string(temp) + "korvel-bench-job.ps";
    char unix_path[MAX_PATH * 2] = {};
    // The spooler wants a Unix path.
    if (const char *z = std::strchr(job.c_str(), ':'))
        std::snprintf(unix_path, sizeof unix_path, "%s", z + 1);
    for (char &c : unix_path)
        if (c == '\\')
            c = '/';
    for (const char *port : {"KORVEL600:", "KORVEL1200:", "KORVEL72:", "KORVELTINY:"})
        RegSetValueExA(key, port, 0, REG_SZ, reinterpret_cast<const BYTE *>(unix_path),
                       static_cast<DWORD>(std::strlen(unix_path) + 1));
    RegCloseKey(key);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        std::printf("usage: bench_large_document <viewer exe> <document> <next document>\n");
        return 2;
    }
    TempDir folder;
    folder_prepare(folder, {"rec_all.dll"});
    std::filesystem::copy_file(argv[1], folder_exe(folder),
                               std::filesystem::copy_options::overwrite_existing);
    route_print_jobs();

    ViewerRun run;
    auto start = Clock::now();
    if (!viewer_start(run, folder, std::string("\"") + argv[2] + "\""))
        return 1;
    // Either the box of a load cut short (before the window) or the window.
    while (!(run.window = find_process_window(run.process.dwProcessId, "KorvelViewerClass"))) {
        if (HWND box = find_process_window(run.process.dwProcessId, "#32770")) {
            std::printf("after %.1f s the box says: %s\n", seconds_since(start),
                        read_message_box(box).text.c_str());
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            wait_gone(box);
        }
        if (!viewer_running(run) || seconds_since(start) * 1000 > LOAD_TIMEOUT_MS)
            report(run, "load", false);
        Sleep(20);
    }
    std::printf("window after %.1f s\n", seconds_since(start));
    ShowWindow(run.window, SW_MAXIMIZE);
    bool painted = viewer_sync(run, 60000);
    long lines = shown_count(run);
    std::printf("%ld lines shown\n", lines);
    report(run, "loaded, maximised, painted", painted && lines > 0);

    for (UINT key : {VK_NEXT, VK_NEXT, VK_END, VK_UP, VK_HOME})
        post_key(run.window, key);
    report(run, "scrolled", viewer_sync(run, 60000) && shown_count(run) == lines);

    if (lines <= PRINTED_LINES_MAX) {
        PostMessageA(run.window, WM_COMMAND, IDM_PRINT, 0);
        HWND dialog = wait_dialog(run.process.dwProcessId, PRINT_PRINTER_COMBO, 30000);
        if (dialog) {
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            wait_gone(dialog);
        }
        bool printed = dialog && viewer_sync(run, LOAD_TIMEOUT_MS);
        printed = printed && count_of(log_messages(run.folder), "end printing") == 1;
        report(run, "printed", printed);
    }

    PostMessageA(run.window, WM_COMMAND, IDM_OPEN, 0);
    HWND dialog = wait_dialog(run.process.dwProcessId, OPEN_FILE_TYPE_COMBO, 30000);
    if (dialog) {
        open_dialog_confirm(dialog, argv[3]);
        wait_gone(dialog);
    }
    bool opened = dialog && viewer_sync(run, LOAD_TIMEOUT_MS) && shown_count(run) > 0;
    std::printf("next document: %ld lines\n", shown_count(run));
    report(run, "next document opened", opened);

    PostMessageA(run.window, WM_COMMAND, IDM_EXIT, 0);
    std::printf("exit code %ld\n", viewer_wait_exit(run, 60000));
    viewer_close_handles(run);
    return 0;
}
