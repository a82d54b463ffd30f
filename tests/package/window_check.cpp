// Checks from outside that a running Korvel Viewer shows a plain CP866 text
// document (no in-line codes, no control lines): its first rows read back
// cell by cell with the given fonts, the position indicator "0 из N", and
// the title with this build's version.
// Then it closes the viewer. The package tests start the viewer their own way
// (from the unpacked zip, through the installed launcher) and run this in the
// same Wine prefix.
//   window_check.exe FONTS_DIR DOCUMENT
// Exit status 0 when the window shows the document, 1 when it does not.
#include "korvel_version.h"
#include "viewer_driver.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD WAIT_MS = 60000;
constexpr int CHECKED_ROWS = 10;
constexpr int CHECKED_COLUMNS = 60; // left of the rule at column 72

std::vector<std::string> document_lines(const std::string &bytes) {
    std::vector<std::string> lines;
    std::string::size_type start = 0, end;
    while ((end = bytes.find("\r\n", start)) != std::string::npos) {
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

HWND wait_viewer_window() {
    for (DWORD start = GetTickCount(); GetTickCount() - start < WAIT_MS; Sleep(100)) {
        HWND window = FindWindowA("KorvelViewerClass", nullptr);
        if (window && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

// Empty when the picture shows the document, else what differs.
std::string difference(const Picture &shown, const std::vector<std::string> &lines) {
    std::string expected = indicator(0, static_cast<int>(lines.size()));
    if (indicator_text(shown) != expected)
        return "indicator \"" + indicator_text(shown) + "\", expected \"" + expected + "\"";
    int rows = std::min<int>(
        {CHECKED_ROWS, static_cast<int>(lines.size()), shown.height / LINE_HEIGHT - 1});
    for (int row = 0; row < rows; ++row) {
        // Cell by cell: letters that look alike (C and С) are the same picture.
        const std::string &line = lines[row];
        int columns = std::min<int>(CHECKED_COLUMNS, static_cast<int>(line.size()));
        for (int column = 0; column < columns; ++column)
            if (!cell_shows(shown, column * CHAR_WIDTH, row * LINE_HEIGHT, 0,
                            static_cast<unsigned char>(line[column])))
                return "row " + std::to_string(row) + " column " + std::to_string(column) +
                       " differs; the row reads \"" + row_text(shown, row, 0, CHECKED_COLUMNS) +
                       "\"";
    }
    return "";
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_check.exe FONTS_DIR DOCUMENT\n");
        return 2;
    }
    use_shipped_fonts_from(argv[1]);
    std::vector<std::string> lines = document_lines(read_file(argv[2]));
    HWND window = wait_viewer_window();
    if (!window) {
        std::fprintf(stderr, "window_check: no viewer window\n");
        return 1;
    }
    const std::string title = "Korvel Viewer " KORVEL_VERSION_STRING "-DEBUG";
    if (window_text(window) != title) {
        std::fprintf(stderr, "window_check: the title is \"%s\", not \"%s\"\n",
                     window_text(window).c_str(), title.c_str());
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 1;
    }
    SetWindowPos(window, nullptr, 0, 0, 800, 520, SWP_NOZORDER | SWP_NOACTIVATE);
    // The first paint may still be on its way: look again until it is there.
    std::string differs = "nothing captured";
    for (DWORD start = GetTickCount(); GetTickCount() - start < WAIT_MS; Sleep(200)) {
        differs = difference(capture_client(window), lines);
        if (differs.empty())
            break;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!differs.empty()) {
        std::fprintf(stderr, "window_check: %s\n", differs.c_str());
        return 1;
    }
    std::printf("window_check: the viewer shows %s\n", argv[2]);
    return 0;
}
