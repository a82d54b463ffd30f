// How fast the Find plug-in answers in the real viewer under Wine, from the
// key (or the dialog's button) to the painted window:
//  - Find with no match over a 100 MB document, next to File > Open of it;
//  - F3 to a match 1,000 lines below, in that document;
//  - Go to line 1,000,000 of a document of 1,000,001 lines, and a first
//    Find (no index yet) that reaches it;
//  - Copy of 100,000 marked lines (Select all), read back from the clipboard.
//   bench_find [repeats]
#include "find_plugin/find_resource.h"
#include "bench_view_lines.h"
#include "viewer_driver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Every 1,000th line of the documents holds "MARK".
constexpr long MARK_EVERY = 1000;
constexpr int FOUND_ROWS_ABOVE = 3; // where the plug-in shows a found line
constexpr int BOX_ICON = 0x440;     // the icon of a message box, which the dialogs lack

// ms from `start` until the indicator reads top_line of count; -1 on timeout.
double until_top(const ViewerRun &run, long top_line, long count, Clock::time_point start) {
    std::string expected = indicator(static_cast<int>(top_line), static_cast<int>(count));
    while (ms_since(start) < 120000) {
        if (indicator_text(capture_client(run.window)) == expected)
            return ms_since(start);
        Sleep(1);
    }
    return -1;
}

HWND open_dialog(ViewerRun &run, UINT key, int control) {
    post_ctrl_key(run, key);
    HWND dialog = wait_dialog(run.process.dwProcessId, control);
    release_ctrl(run);
    return dialog;
}

// Types `text` into a dialog of the plug-in and presses its default button;
// the clock starts at the press.
Clock::time_point confirm(HWND dialog, int control, const char *text) {
    SetDlgItemTextA(dialog, control, text);
    auto start = Clock::now();
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return start;
}

double find_to_top(ViewerRun &run, const char *text, long top_line, long count) {
    HWND dialog = open_dialog(run, 'F', IDC_FIND_TEXT);
    if (!dialog)
        return -1;
    return until_top(run, top_line, count, confirm(dialog, IDC_FIND_TEXT, text));
}

void finish(ViewerRun &run) {
    PostMessageA(run.window, WM_COMMAND, IDM_EXIT, 0);
    viewer_wait_exit(run);
    viewer_close_handles(run);
}

bool open_document(ViewerRun &run, const TempDir &folder, const std::string &path) {
    return viewer_open(run, folder, "\"" + path + "\"") && viewer_sync(run, 120000);
}

// File > Open of the document until its first paint: the loader's time.
double open_ms(const TempDir &folder, const std::string &path, long count) {
    ViewerRun run;
    if (!viewer_open(run, folder, ""))
        return -1;
    PostMessageA(run.window, WM_COMMAND, IDM_OPEN, 0);
    HWND dialog = wait_dialog(run.process.dwProcessId, OPEN_FILE_TYPE_COMBO);
    if (!dialog)
        return -1;
    auto start = Clock::now();
    open_dialog_confirm(dialog, path);
    double ms = until_top(run, 0, count, start);
    finish(run);
    return ms;
}

void big_document(const TempDir &folder, int repeats) {
    std::string path = folder.file("big.txt");
    const long lines = 100L * 1000 * 1000 / 72; // 70 characters and CR LF
    write_lines(path, lines, 70, MARK_EVERY);
    std::vector<double> loads;
    for (int i = 0; i < repeats; ++i)
        loads.push_back(open_ms(folder, path, lines));
    double load = median(loads);
    std::printf("File > Open of a 100 MB document (%ld lines) to its first paint: %.0f ms\n", lines,
                load);

    ViewerRun run;
    if (!open_document(run, folder, path))
        return;
    std::vector<double> finds;
    for (int i = 0; i < repeats; ++i) {
        HWND dialog = open_dialog(run, 'F', IDC_FIND_TEXT);
        if (!dialog)
            return;
        auto start = confirm(dialog, IDC_FIND_TEXT, "no such text");
        HWND box = wait_dialog(run.process.dwProcessId, BOX_ICON, 120000);
        finds.push_back(ms_since(start));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        wait_gone(box);
    }
    std::printf("Find with no match over it, to the box: first %.0f ms, median %.0f ms "
                "(%.2f of the load; at most 2)\n",
                finds[0], median(finds), median(finds) / load);

    // Every 1,000th line holds MARK: each F3 goes 1,000 lines down.
    find_to_top(run, "MARK", 0, lines);
    std::vector<double> steps;
    for (long at = 1000; at <= 1000L * (repeats + 1); at += 1000) {
        auto start = Clock::now();
        post_key(run.window, VK_F3);
        steps.push_back(until_top(run, at - FOUND_ROWS_ABOVE, lines, start));
    }
    std::printf("F3 to a match 1,000 lines below: median %.1f ms, slowest %.1f ms (under 50)\n",
                median(steps), *std::max_element(steps.begin(), steps.end()));
    finish(run);
}

void million_lines(const TempDir &folder) {
    std::string path = folder.file("million.txt");
    const long lines = 1000001;
    write_lines(path, lines, 60, MARK_EVERY);
    ViewerRun run;
    if (!open_document(run, folder, path))
        return;
    HWND dialog = open_dialog(run, 'G', IDC_GOTO_NUMBER);
    if (!dialog)
        return;
    double go_to = until_top(run, 1000000, lines, confirm(dialog, IDC_GOTO_NUMBER, "1000000"));
    finish(run);

    if (!open_document(run, folder, path)) // afresh: the plug-in has no index yet
        return;
    double find = find_to_top(run, "Line 1000000 ", 1000000 - FOUND_ROWS_ABOVE, lines);
    finish(run);
    std::printf("1,000,001 lines: Go to line 1,000,000 %.0f ms, a first Find reaching it %.0f ms "
                "(under 500 each)\n",
                go_to, find);
}

void copy_lines(const TempDir &folder) {
    std::string path = folder.file("copy.txt");
    const long lines = 100000;
    write_lines(path, lines, 70, MARK_EVERY);
    ViewerRun run;
    if (!open_document(run, folder, path))
        return;
    post_ctrl_key(run, 'A');
    viewer_sync(run);
    auto start = Clock::now();
    post_ctrl_key(run, 'C');
    viewer_sync(run);
    double ms = ms_since(start);
    size_t copied = 0;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            const auto *text = static_cast<const wchar_t *>(GlobalLock(data));
            for (const wchar_t *at = text; at && *at; ++at)
                copied += *at == L'\n';
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    finish(run);
    std::printf("Copy of %ld marked lines: %.0f ms, %zu lines on the clipboard (under 500 ms)\n",
                lines, ms, copied);
}

} // namespace

int main(int argc, char **argv) {
    int repeats = argc > 1 ? std::atoi(argv[1]) : 5;
    TempDir folder;
    folder_prepare(folder, {"rec_all.dll"});
    CopyFileA(KORVEL_E2E_DIST "\\Plugins\\find.dll", folder.file("Plugins\\find.dll").c_str(),
              FALSE);
    big_document(folder, repeats);
    million_lines(folder);
    copy_lines(folder);
    return 0;
}
