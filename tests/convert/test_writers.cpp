// The text and HTML writers by example; the fuzzer checks their rules on
// arbitrary lines. Here: what a line becomes, the column limit, the page's
// title, escaping and runs, progress and a failed write.
#include "convert/html_export.h"
#include "convert/text_export.h"
#include "convert_test_support.h"
#include "fonts/line_codes.h"

#include <gtest/gtest.h>

namespace {

// A line written with '~' for the escape byte 0xFF.
std::string coded(std::string line) {
    for (char &c : line)
        c = c == '~' ? '\xFF' : c;
    return line;
}

std::string text_of(const std::vector<std::string> &lines, TextExportOptions options = {}) {
    TestDocument document(lines);
    return capture([&](FILE *out) {
        EXPECT_EQ(text_export_write(document.first(), options, out, nullptr), 0);
    });
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
    const std::vector<std::string> lines = {coded(std::string("~1~~a\0\x0D~_b~.\tc~", 15)), "",
                                            "\t"};
    EXPECT_EQ(text_of(lines), "\u00A0a ♪b\tc\n\n\t\n");
    EXPECT_EQ(text_of(lines, {.crlf = true, .expand_tabs = true}),
              "\u00A0a ♪b   c\r\n\r\n        \r\n");
    EXPECT_EQ(text_of({}), "");
    // A line stops where the screen's columns end.
    std::string far(LINE_COLUMN_LIMIT / TAB_WIDTH, '\t');
    EXPECT_EQ(text_of({far + "x"}), far + "\n");
}

TEST(HtmlExport, TitleEscapingAndRuns) {
    std::string page = page_of({}, "a<b&c \xD0\xB9\xFF\x01.krv");
    EXPECT_TRUE(page.starts_with(
        "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n"
        "<meta charset=\"utf-8\">\n<title>a&lt;b&amp;c й\uFFFD\uFFFD.krv</title>"));
    // Every class is styled by the page itself, which loads nothing.
    for (const char *rule :
         {".u {", ".f1 {", ".f2 {", ".f3 {", ".f4, .f5 {", ".f6 {", ".f7 {", ".f8 {", ".f9 {"})
        EXPECT_NE(page.find(rule), std::string::npos) << rule;
    EXPECT_EQ(page.find(" src="), std::string::npos);
    EXPECT_EQ(page.find("<link"), std::string::npos);

    EXPECT_EQ(pre_of({"<a href=\"x\">&amp;</a>"}), "&lt;a href=\"x\"&gt;&amp;amp;&lt;/a&gt;\n");
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
    // An empty first line survives the parser's dropping of a newline after <pre>.
    EXPECT_EQ(pre_of({"", "x"}), "\nx\n");
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
