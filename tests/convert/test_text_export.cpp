// The UTF-8 text export by example (the fuzzer checks its rules on arbitrary
// lines): codes, tabs, line ends, the column limit, a failed write, progress.
#include "convert/text_export.h"
#include "convert_test_support.h"
#include "fonts/line_codes.h"

#include <gtest/gtest.h>

namespace {

std::string text_of(const std::vector<std::string> &lines, TextExportOptions options = {}) {
    TestDocument document(lines);
    return capture([&](FILE *out) {
        EXPECT_EQ(text_export_write(document.first(), options, out, nullptr), 0);
        return 0;
    });
}

} // namespace

TEST(TextExport, WhatTheScreenShows) {
    // Codes go, 0xFF 0xFF is a no-break space, NUL a space, a control byte its
    // symbol; a tab after codes still reaches the screen's stop.
    const std::vector<std::string> lines = {std::string("\xFF"
                                                        "1\xFF\xFF"
                                                        "a\0\x0D\xFF_b\xFF"
                                                        ".\tc\xFF",
                                                        15),
                                            "", "\t"};
    EXPECT_EQ(text_of(lines), "\u00A0a ♪b\tc\n\n\t\n");
    EXPECT_EQ(text_of(lines, {.crlf = true, .expand_tabs = true}),
              "\u00A0a ♪b   c\r\n\r\n        \r\n");
    EXPECT_EQ(text_of({}), "");
    // A line stops where the screen's columns end.
    std::string far(LINE_COLUMN_LIMIT / TAB_WIDTH, '\t');
    EXPECT_EQ(text_of({far + "x"}), far + "\n");
}

TEST(TextExport, ReportsProgressAndAFailedWrite) {
    TestDocument document({std::string(3 << 20, 'a'), "b"});
    std::vector<size_t> reports;
    ConvertProgress progress{[](void *context, size_t bytes) {
                                 static_cast<std::vector<size_t> *>(context)->push_back(bytes);
                             },
                             &reports};
    capture([&](FILE *out) { return text_export_write(document.first(), {}, out, &progress); });
    EXPECT_GE(reports.size(), 3u); // about once per megabyte
    size_t total = 0;
    for (size_t bytes : reports)
        total += bytes;
    EXPECT_EQ(total, (3u << 20) + 1); // the lines' bytes

    FILE *full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(text_export_write(document.first(), {}, full, nullptr), -1);
    std::fclose(full);
}
