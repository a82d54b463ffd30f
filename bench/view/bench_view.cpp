// How fast the real viewer shows documents, measured from outside under Wine:
// start-up to the first painted frame, one repaint at the top and at the end
// of a million-line document against one of a 100-line document, a page of
// megabyte-long lines, and File > Open of a 100 MB document until its first
// paint.
//   bench_view [repaints]
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

// Polls the window until its indicator reads `expected` (any text when
// empty: the first painted frame); ms until then.
double until_indicator(const ViewerRun &run, const std::string &expected, Clock::time_point start) {
    while (ms_since(start) < 120000) {
        std::string shown = run.window ? indicator_text(capture_client(run.window)) : "";
        if (expected.empty() ? !shown.empty() : shown == expected)
            return ms_since(start);
        Sleep(1);
    }
    return -1;
}

// One full repaint, measured `count` times: the whole client area is made
// invalid and the paint message is sent, which returns once it is drawn.
double repaint_ms(const ViewerRun &run, int count) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        InvalidateRect(run.window, nullptr, FALSE);
        auto start = Clock::now();
        SendMessageA(run.window, WM_PAINT, 0, 0);
        times.push_back(ms_since(start));
    }
    return median(times);
}

void finish(ViewerRun &run) {
    PostMessageA(run.window, WM_COMMAND, IDM_EXIT, 0);
    viewer_wait_exit(run);
    viewer_close_handles(run);
}

double start_up_ms(const TempDir &folder, const std::string &document) {
    ViewerRun run;
    auto start = Clock::now();
    if (!viewer_start(run, folder, "\"" + document + "\""))
        return -1;
    while (!run.window && ms_since(start) < 60000) {
        run.window = find_process_window(run.process.dwProcessId, "KorvelViewerClass");
        if (!run.window)
            Sleep(1);
    }
    double ms = until_indicator(run, "", start);
    finish(run);
    return ms;
}

// Median repaint at the top of a document of `count` lines `width` bytes
// wide; -1 when the viewer did not open.
double top_repaint_ms(const TempDir &folder, const char *name, long count, size_t width,
                      int repaints) {
    std::string path = folder.file(name);
    write_lines(path, count, width);
    ViewerRun run;
    if (!viewer_open(run, folder, "\"" + path + "\""))
        return -1;
    double ms = repaint_ms(run, repaints);
    finish(run);
    return ms;
}

} // namespace

int main(int argc, char **argv) {
    int repaints = argc > 1 ? std::atoi(argv[1]) : 30;
    TempDir folder;
    folder_prepare(folder, {"rec_all.dll"});

    std::string sample = folder.file("sample.krv");
    CopyFileA(KORVEL_BENCH_SAMPLE, sample.c_str(), FALSE);
    std::vector<double> starts;
    for (int i = 0; i < 5; ++i)
        starts.push_back(start_up_ms(folder, sample));
    std::printf("start-up to first paint, sample document: %.1f ms (median of 5)\n",
                median(starts));

    double short_ms = top_repaint_ms(folder, "short.txt", 100, 60, repaints);
    if (short_ms < 0)
        return 1;
    std::printf("repaint, 100-line document: %.3f ms\n", short_ms);

    std::string long_doc = folder.file("long.txt");
    write_lines(long_doc, 1000000, 60);
    ViewerRun long_run;
    if (!viewer_open(long_run, folder, "\"" + long_doc + "\""))
        return 1;
    double top_ms = repaint_ms(long_run, repaints);
    post_key(long_run.window, VK_END);
    viewer_sync(long_run);
    double end_ms = repaint_ms(long_run, repaints);
    std::string shown = indicator_text(capture_client(long_run.window));
    // The last full page: End leaves only the indicator, Page Up fills it.
    post_key(long_run.window, VK_PRIOR);
    viewer_sync(long_run);
    double last_page_ms = repaint_ms(long_run, repaints);
    finish(long_run);
    std::printf("repaint, 1,000,000-line document: top %.3f ms, at End %.3f ms (indicator %s), "
                "last page %.3f ms\n",
                top_ms, end_ms, shown == indicator(1000000, 1000000) ? "right" : "WRONG",
                last_page_ms);
    double worst_end = std::max(end_ms, last_page_ms);
    std::printf("end of long / 100-line repaint: %.2f (must be at most 2)\n", worst_end / short_ms);

    // Lines of a megabyte each: a repaint draws only what reaches the window.
    double wide_ms = top_repaint_ms(folder, "wide.txt", 60, 1 << 20, repaints);
    if (wide_ms < 0)
        return 1;
    std::printf("repaint, 60 lines of 1 MB each: %.3f ms (%.2f of the 100-line repaint)\n", wide_ms,
                wide_ms / short_ms);

    std::string big_doc = folder.file("big.txt");
    const long big_lines = 100L * 1000 * 1000 / 72; // 70 characters and CR LF
    write_lines(big_doc, big_lines, 70);
    ViewerRun open_run;
    if (!viewer_open(open_run, folder, ""))
        return 1;
    PostMessageA(open_run.window, WM_COMMAND, IDM_OPEN, 0);
    HWND dialog = wait_dialog(open_run.process.dwProcessId, OPEN_FILE_TYPE_COMBO);
    if (!dialog)
        return 1;
    auto start = Clock::now();
    open_dialog_confirm(dialog, big_doc);
    double open_ms = until_indicator(open_run, indicator(0, big_lines), start);
    finish(open_run);
    std::printf("File > Open of a 100 MB document (%ld lines) to its first paint: %.0f ms\n",
                big_lines, open_ms);
    return worst_end <= 2 * short_ms ? 0 : 2;
}
