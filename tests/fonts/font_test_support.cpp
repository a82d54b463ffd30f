#include "font_test_support.h"
#include "fonts/fonts_testing.h"
#include "support/programs_win.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <set>

FontData marked_font(int n) {
    FontData data{};
    for (int g = 0; g < GLYPH_COUNT; ++g) {
        data[g * LINE_HEIGHT + 0] = 0x81;
        data[g * LINE_HEIGHT + 1] = static_cast<unsigned char>(g);
        data[g * LINE_HEIGHT + 2] = static_cast<unsigned char>(n + 1);
    }
    return data;
}

std::ostream &operator<<(std::ostream &out, const SeenCell &cell) {
    return out << "{col " << cell.column << " code " << cell.code << " font " << cell.font
               << (cell.underline ? " _" : "") << "}";
}

std::vector<SeenCell> read_line(const DibSurface &surface, int x, int y, int columns) {
    std::vector<SeenCell> cells;
    for (int column = 0; column < columns; ++column) {
        int left = x + CHAR_WIDTH * column;
        if (surface.all(left, y, left + CHAR_WIDTH, y + LINE_HEIGHT, WHITE))
            continue;
        SeenCell cell{column};
        bool untouched = surface.all(left, y, left + CHAR_WIDTH, y + LINE_HEIGHT - 1, WHITE);
        if (!untouched && surface.ink_row(left, y) == 0x81) {
            cell.code = surface.ink_row(left, y + 1);
            cell.font = surface.ink_row(left, y + 2) - 1;
        } else if (!untouched) {
            cell.code = -2; // something that is not a marked glyph
        }
        cell.underline = surface.ink_row(left, y + LINE_HEIGHT - 1) == 0xFF;
        cells.push_back(cell);
    }
    return cells;
}

MarkedFonts::MarkedFonts(std::initializer_list<int> missing) {
    for (int n = 0; n < FONT_COUNT; ++n) {
        data[n] = marked_font(n);
        screen_fonts[n].glyphs = data[n].data();
        screen_fonts[n].problem_told = false; // each test is a run of its own
    }
    for (int n : missing)
        screen_fonts[n].glyphs = nullptr;
}

MarkedFonts::~MarkedFonts() {
    for (ScreenFont &font : screen_fonts)
        font.glyphs = nullptr;
}

std::atomic<int> CountingAllocator::allocations{0};
std::atomic<int> CountingAllocator::live{0};
std::atomic<int> CountingAllocator::bad_frees{0};
std::atomic<int> CountingAllocator::fail_at{0};

namespace {

std::mutex allocated_mutex;
std::set<void *> allocated;

void *counting_allocate(size_t size) {
    int number = ++CountingAllocator::allocations;
    if (number == CountingAllocator::fail_at)
        return nullptr;
    void *memory = std::malloc(size);
    if (memory) {
        std::memset(memory, 0xA5, size); // never zero by luck
        std::lock_guard lock(allocated_mutex);
        allocated.insert(memory);
        ++CountingAllocator::live;
    }
    return memory;
}

void counting_release(void *memory) {
    if (!memory)
        return;
    {
        std::lock_guard lock(allocated_mutex);
        if (allocated.erase(memory) == 0) {
            ++CountingAllocator::bad_frees; // not ours, or freed twice: do not touch
            return;
        }
    }
    --CountingAllocator::live;
    std::free(memory);
}

} // namespace

CountingAllocator::CountingAllocator() {
    allocations = 0;
    live = 0;
    bad_frees = 0;
    fail_at = 0;
    fonts_set_allocator(counting_allocate, counting_release);
}

CountingAllocator::~CountingAllocator() {
    fonts_set_allocator(nullptr, nullptr);
}

namespace {

bool shows_hand_icon(HWND box) {
    HICON hand = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND));
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char class_name[16] = "";
        GetClassNameA(child, class_name, sizeof class_name);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(class_name, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
            return reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == hand;
    }
    return false;
}

} // namespace

BoxWatcher::BoxWatcher(std::function<void(HWND)> on_box) : on_box(std::move(on_box)) {
    thread = std::thread([this] {
        while (!stopping) {
            std::vector<HWND> found = process_windows(GetCurrentProcessId(), "#32770");
            if (found.empty()) {
                Sleep(5);
                continue;
            }
            HWND box = found.front();
            FontBox seen{};
            char text[256] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            seen.text = text;
            GetWindowTextA(box, text, sizeof text);
            seen.caption = text;
            seen.hand_icon = shows_hand_icon(box);
            seen.has_owner = GetWindow(box, GW_OWNER) != nullptr;
            seen.allocations_at_open = CountingAllocator::allocations;
            if (this->on_box)
                this->on_box(box);
            {
                std::lock_guard lock(mutex);
                boxes.push_back(seen);
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            for (int i = 0; i < 1000 && IsWindow(box); ++i)
                Sleep(2);
        }
    });
}

BoxWatcher::~BoxWatcher() {
    stopping = true;
    thread.join();
}

std::vector<FontBox> BoxWatcher::taken() {
    std::lock_guard lock(mutex);
    std::vector<FontBox> out;
    out.swap(boxes);
    return out;
}

const char FONT_ERROR_TEXT_1251[] = "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xE7\xE0\xE3\xF0\xF3"
                                    "\xE7\xE8\xF2\xFC \xF8\xF0\xE8\xF4\xF2!";

void expect_font_boxes(const std::vector<FontBox> &boxes, size_t count) {
    ASSERT_EQ(boxes.size(), count);
    for (const FontBox &box : boxes) {
        EXPECT_EQ(box.text, FONT_ERROR_TEXT_1251);
        EXPECT_EQ(box.caption, "Error");
        EXPECT_TRUE(box.hand_icon);
        EXPECT_FALSE(box.has_owner);
    }
}

std::string font_file_pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 37 + 11);
    return bytes;
}
