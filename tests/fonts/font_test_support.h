// Helpers for the Windows font tests: glyph pictures that tell which font
// and code they came from, an allocator that counts and catches double
// frees, and a watcher thread that reads and closes the font error boxes.
#pragma once

#include "fonts/fonts.h"
#include "support/surface_win.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Test fonts: glyph g of font n has row 0 = 0x81 (a marker), row 1 = g,
// row 2 = n + 1, every other row blank.
using FontData = std::array<unsigned char, FONT_DATA_SIZE>;
FontData marked_font(int n);

// What one cell of a line shows.
struct SeenCell {
    int column;
    int code = -1; // -1: no glyph (the cell's rows 0-17 untouched)
    int font = -1;
    bool underline = false;
    bool operator==(const SeenCell &) const = default;
};
std::ostream &operator<<(std::ostream &out, const SeenCell &cell);
// Reads `columns` cells of the line at (x, y) on a white surface; cells that
// are wholly white are left out.
std::vector<SeenCell> read_line(const DibSurface &surface, int x, int y, int columns);

// Puts marked fonts into screen_fonts (null where `missing` says so) and
// takes them out again at the end.
struct MarkedFonts {
    std::array<FontData, FONT_COUNT> data;
    explicit MarkedFonts(std::initializer_list<int> missing = {});
    ~MarkedFonts();
};

// Allocator for fonts_set_allocator: counts, and flags frees of pointers it
// never handed out or already took back. Installed for its lifetime.
struct CountingAllocator {
    static std::atomic<int> allocations;
    static std::atomic<int> live;
    static std::atomic<int> bad_frees;
    static std::atomic<int> fail_at; // the allocation number that fails; 0: none
    CountingAllocator();
    ~CountingAllocator();
};

struct FontBox {
    std::string text, caption;
    bool hand_icon;
    bool has_owner;
    int allocations_at_open; // CountingAllocator::allocations when the box showed
};

// Closes every message box of this process with OK, after recording it and
// calling `on_box` (on the watcher thread) while the box is still open.
struct BoxWatcher {
    std::function<void(HWND)> on_box;
    std::vector<FontBox> boxes;
    std::mutex mutex;
    std::atomic<bool> stopping{false};
    std::thread thread;

    explicit BoxWatcher(std::function<void(HWND)> on_box = nullptr);
    ~BoxWatcher();
    std::vector<FontBox> taken();
};

extern const char FONT_ERROR_TEXT_1251[];
// Checks that `boxes` are `count` font error boxes.
void expect_font_boxes(const std::vector<FontBox> &boxes, size_t count);

// Bytes of a test font file of `size` bytes: no two neighbouring rows alike.
std::string font_file_pattern(size_t size);
