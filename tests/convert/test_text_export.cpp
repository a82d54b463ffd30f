// The UTF-8 text export: codes removed, glyphs as their characters, tabs on
// the screen's stops, line ends, and a failed write.
#include "convert/text_export.h"
#include "convert_test_support.h"
#include "fonts/line_codes.h"

#include <gtest/gtest.h>

namespace {

std::string text_of(const std::vector<std::string> &lines, TextExportOptions options = {}) {
    TestDocument document(lines);
    int result = -2;
    std::string text = capture(
        [&](FILE *out) { return text_export_write(document.first(), options, out, nullptr); },
        &result);
    EXPECT_EQ(result, 0);
    return text;
}

std::string expanded(const std::vector<std::string> &lines) {
    return text_of(lines, {.crlf = false, .expand_tabs = true});
}

} // namespace

TEST(TextExport, CodesRemovedAndEveryGlyphAsItsCharacter) {
    EXPECT_EQ(text_of({"\xFF"
                       "1Bold\xFF"
                       "_under\xFF"
                       ".\xFF"
                       "Qplain\xFF"}),
              "Boldunderplain\n"); // an unknown code and a last lone escape do nothing
    EXPECT_EQ(text_of({std::string("\xFF\xFF"
                                   "a\0b\x0D\x01\x7F\x80\xB3\xFC",
                                   11)}),
              "\u00A0a b♪☺⌂А│№\n");
    EXPECT_EQ(text_of({"\xFF\t|"}), "|\n"); // a tab as a code byte is no tab
}

TEST(TextExport, TabsLandOnTheScreensStops) {
    // Codes before a tab take no column on screen either: the tab still
    // reaches the stop the screen shows.
    const std::vector<std::string> lines = {"ab\tc",
                                            "\xFF"
                                            "1123\xFF"
                                            "_4567\tx",
                                            "12345678\tx", "a\t\t", "\t"};
    EXPECT_EQ(text_of(lines), "ab\tc\n1234567\tx\n12345678\tx\na\t\t\n\t\n");
    EXPECT_EQ(expanded(lines), "ab      c\n"
                               "1234567 x\n"
                               "12345678        x\n"
                               "a               \n"
                               "        \n");
    // The line stops where the screen's columns end.
    std::string far(LINE_COLUMN_LIMIT / TAB_WIDTH, '\t');
    EXPECT_EQ(text_of({far + "x", "y"}), far + "\ny\n");
}

TEST(TextExport, EveryLineEndsWithItsLineEnd) {
    EXPECT_EQ(text_of({}), "");
    EXPECT_EQ(text_of({""}), "\n");
    EXPECT_EQ(text_of({"a", "", "b"}), "a\n\nb\n");
    EXPECT_EQ(text_of({"a", "b"}, {.crlf = true, .expand_tabs = false}), "a\r\nb\r\n");
}

TEST(TextExport, ReportsAFailedWriteAndItsProgress) {
    TestDocument document({std::string(3 << 20, 'a'), "b"});
    size_t reported = 0;
    int calls = 0;
    ConvertProgress progress{
        [](void *context, size_t bytes) { *static_cast<size_t *>(context) += bytes; }, &reported};
    ConvertProgress counting{[](void *context, size_t) { ++*static_cast<int *>(context); }, &calls};
    EXPECT_EQ(capture([&](FILE *out) {
                  return text_export_write(document.first(), {}, out, &progress);
              }).size(),
              (3u << 20) + 3);
    EXPECT_EQ(reported, (3u << 20) + 1); // the lines' bytes, line ends not counted
    capture([&](FILE *out) { return text_export_write(document.first(), {}, out, &counting); });
    EXPECT_GE(calls, 3); // about once per megabyte

    FILE *full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(text_export_write(document.first(), {}, full, nullptr), -1);
    std::fclose(full);
}
