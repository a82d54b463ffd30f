// The text and HTML writers by example: what a line becomes, the page's
// title and runs, progress and a failed write. The fuzzer checks the rest of
// their rules (columns, tab stops, line ends, escaping) on arbitrary lines.
#include "convert/writers/html_writer.h"
#include "convert/writers/text_writer.h"
#include "writer_test_support.h"

#include <gtest/gtest.h>

namespace {

// A line written with '~' for the escape byte 0xFF.
std::string coded(std::string line) {
    for (char &c : line)
        c = c == '~' ? '\xFF' : c;
    return line;
}

std::string text_of(const std::vector<std::string> &lines) {
    TestDocument document(lines);
    return capture(
        [&](FILE *out) { EXPECT_EQ(text_export_write(document.first(), {}, out, nullptr), 0); });
}

std::string page_of(const std::vector<std::string> &lines, const char *title = "t.krv") {
    TestDocument document(lines);
    return capture(
        [&](FILE *out) { EXPECT_EQ(html_export_write(document.first(), title, out, nullptr), 0); });
}

// The markup inside the <pre>.
std::string pre_of(const std::vector<std::string> &lines) {
    std::string page = page_of(lines);
    size_t start = page.find("<pre>\n") + 6;
    return page.substr(start, page.rfind("</pre>") - start);
}

} // namespace

TEST(TextExport, WhatTheScreenShows) {
    // Codes go, 0xFF 0xFF is a no-break space, NUL a space, a control byte its
    // symbol; a tab after codes still reaches the screen's stop.
    EXPECT_EQ(text_of({coded(std::string("~1~~a\0\x0D~_b~.\tc~", 15)), ""}),
              "\u00A0a \u266Ab\tc\n\n");
}

TEST(HtmlExport, TitleEscapingAndRuns) {
    std::string page = page_of({}, "a<b&c \xD0\xB9\xFF\x01.krv");
    EXPECT_TRUE(page.starts_with(
        "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n"
        "<meta charset=\"utf-8\">\n<title>a&lt;b&amp;c й\uFFFD\uFFFD.krv</title>"));
    EXPECT_EQ(page.find(" src="), std::string::npos); // it loads nothing
    EXPECT_EQ(page.find("<link"), std::string::npos);
    // Frames look the same in every font, so they leave a font's run; a tab
    // is never underlined and stays outside every run.
    EXPECT_EQ(
        pre_of({coded("~1B~_U~0n~.p"),
                coded("~8a\xB3"
                      "b"),
                coded("~_a\tb~9\xC4")}),
        "<span class=\"f1\">B</span><span class=\"f1 u\">U</span><span class=\"u\">n</span>p\n"
        "<span class=\"f8\">a</span>│<span class=\"f8\">b</span>\n"
        "<span class=\"u\">a</span>\t<span class=\"u\">b─</span>\n");
}

TEST(ConvertWriters, ReportProgressAndAFailedWrite) {
    TestDocument document({std::string(3 << 20, 'a'), "b"});
    std::vector<size_t> reports;
    ConvertProgress progress{[](void *context, size_t bytes) {
                                 static_cast<std::vector<size_t> *>(context)->push_back(bytes);
                             },
                             &reports};
    capture([&](FILE *out) { text_export_write(document.first(), {}, out, &progress); });
    EXPECT_GE(reports.size(), 3u); // about once per megabyte

    FILE *full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(text_export_write(document.first(), {}, full, nullptr), -1);
    EXPECT_EQ(html_export_write(document.first(), "x", full, nullptr), -1);
    std::fclose(full);
}
