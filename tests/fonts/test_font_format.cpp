// Font files as read from disk, their mask rows, and the font paths built
// from the executable's path, with buffers that must never overrun.
#include "fonts/font_format.h"
#include "fonts/fonts_testing.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::string font_bytes(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + 3);
    return bytes;
}

struct Glyphs {
    unsigned char *data;
    ~Glyphs() { font_release(data); }
};

TEST(FontFile, ReadsTheFirst4864Bytes) {
    TempDir dir;
    std::string bytes = font_bytes(5000);
    Glyphs glyphs{font_file_read(dir.write("long.sfn", bytes).c_str())};
    ASSERT_NE(glyphs.data, nullptr);
    EXPECT_EQ(std::memcmp(glyphs.data, bytes.data(), FONT_DATA_SIZE), 0);

    Glyphs exact{font_file_read(dir.write("exact.sfn", bytes.substr(0, 4864)).c_str())};
    ASSERT_NE(exact.data, nullptr);
    EXPECT_EQ(std::memcmp(exact.data, bytes.data(), FONT_DATA_SIZE), 0);
}

void *garbage_allocate(size_t size) {
    void *memory = std::malloc(size);
    if (memory)
        std::memset(memory, 0xA5, size);
    return memory;
}

TEST(FontFile, ShortFileLeavesTheRestZero) {
    TempDir dir;
    fonts_set_allocator(garbage_allocate, nullptr);
    std::string bytes = font_bytes(1000); // 52 whole glyphs and 12 rows of the next
    Glyphs glyphs{font_file_read(dir.write("short.sfn", bytes).c_str())};
    fonts_set_allocator(nullptr, nullptr);
    ASSERT_NE(glyphs.data, nullptr);
    EXPECT_EQ(std::memcmp(glyphs.data, bytes.data(), bytes.size()), 0);
    for (int i = 1000; i < FONT_DATA_SIZE; ++i)
        ASSERT_EQ(glyphs.data[i], 0) << i;
}

void *failing_allocate(size_t) {
    return nullptr;
}

TEST(FontFile, MissingOrEmptyFileOrNoMemoryGivesNoGlyphs) {
    TempDir dir;
    EXPECT_EQ(font_file_read(dir.file("absent.sfn").c_str()), nullptr);
    EXPECT_EQ(font_file_read(dir.write("empty.sfn", "").c_str()), nullptr);
    std::string path = dir.write("font.sfn", font_bytes(4864));
    fonts_set_allocator(failing_allocate, nullptr);
    EXPECT_EQ(font_file_read(path.c_str()), nullptr);
    fonts_set_allocator(nullptr, nullptr);
}

TEST(FontMasks, RowIsTheComplementThenFF) {
    EXPECT_EQ(font_mask_row(0x00), 0xFFFF);
    EXPECT_EQ(font_mask_row(0xFF), 0xFF00);
    EXPECT_EQ(font_mask_row(0x80), 0xFF7F);
    EXPECT_EQ(font_mask_row(0x01), 0xFFFE);
    std::string bytes = font_bytes(FONT_DATA_SIZE);
    auto rows = std::make_unique<uint16_t[]>(FONT_DATA_SIZE);
    font_masks_convert(reinterpret_cast<const unsigned char *>(bytes.data()), rows.get());
    auto *as_bytes = reinterpret_cast<const unsigned char *>(rows.get());
    for (int r = 0; r < FONT_DATA_SIZE; ++r) {
        ASSERT_EQ(as_bytes[2 * r], static_cast<unsigned char>(~bytes[r])) << r;
        ASSERT_EQ(as_bytes[2 * r + 1], 0xFF) << r;
    }
}

std::string make_path(size_t size, const std::string &exe, const char *name = "vga0.sfn") {
    // Exactly `size` bytes, so AddressSanitizer sees any write beyond them.
    auto path = std::make_unique<char[]>(size);
    std::memset(path.get(), 'X', size);
    if (!font_path_make(path.get(), size, exe.c_str(), name))
        return "<no fit:" + std::string(path.get(), strnlen(path.get(), size)) + ">";
    return path.get();
}

TEST(FontPath, DirectoryIsCutAtTheLastBackslash) {
    EXPECT_EQ(make_path(260, "C:\\prog\\korvel.exe"), "C:\\prog\\fonts\\vga0.sfn");
    EXPECT_EQ(make_path(260, "C:\\a\\b\\k.exe", "vga9.sfn"), "C:\\a\\b\\fonts\\vga9.sfn");
    EXPECT_EQ(make_path(260, "korvel.exe"), "\\fonts\\vga0.sfn");
    EXPECT_EQ(make_path(260, ""), "\\fonts\\vga0.sfn");
    EXPECT_EQ(make_path(260, "C:\\odd/dir\\sub/k.exe"), "C:\\odd/dir\\fonts\\vga0.sfn");
    EXPECT_EQ(make_path(260, "\\k.exe"), "\\fonts\\vga0.sfn");
}

TEST(FontPath, TooLongNeverOverrunsOrCuts) {
    // "\fonts\vga0.sfn" is 15 bytes, plus the NUL.
    std::string dir(244, 'd');
    EXPECT_EQ(make_path(260, dir + "\\k.exe"), dir + "\\fonts\\vga0.sfn"); // exactly 260
    EXPECT_EQ(make_path(260, dir + "d\\k.exe"), "<no fit:>");
    EXPECT_EQ(make_path(16, "\\k.exe"), "\\fonts\\vga0.sfn");
    EXPECT_EQ(make_path(15, "\\k.exe"), "<no fit:>");
    EXPECT_EQ(make_path(1, "\\k.exe"), "<no fit:>");
    EXPECT_EQ(make_path(100, std::string(500, 'z') + "\\k.exe"), "<no fit:>");
    char untouched = 'X';
    EXPECT_FALSE(font_path_make(&untouched, 0, "\\k.exe", "vga0.sfn"));
    EXPECT_EQ(untouched, 'X');
}

} // namespace
