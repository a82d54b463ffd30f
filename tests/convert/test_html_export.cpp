// The HTML page: its frame, title and escaping, the runs of fonts and
// underline, and the sample document read back from the page as its text.
#include "convert/html_export.h"
#include "convert/text_export.h"
#include "convert_test_support.h"

#include <gtest/gtest.h>

namespace {

std::string page_of(const LineNode *first, const char *title = "t.krv") {
    return capture([&](FILE *out) {
        EXPECT_EQ(html_export_write(first, title, out, nullptr), 0);
        return 0;
    });
}

// The markup inside the <pre>.
std::string pre_of(const std::vector<std::string> &lines) {
    TestDocument document(lines);
    std::string page = page_of(document.first());
    size_t start = page.find("<pre>\n") + 6;
    return page.substr(start, page.rfind("</pre>") - start);
}

} // namespace

TEST(HtmlExport, TitleEscapingAndRuns) {
    EXPECT_NE(
        page_of(nullptr, "a<b&c \xD0\xB9\xFF.krv").find("<title>a&lt;b&amp;c й\uFFFD.krv</title>"),
        std::string::npos);
    EXPECT_EQ(pre_of({"<a href=\"x\">&amp;</a>"}), "&lt;a href=\"x\"&gt;&amp;amp;&lt;/a&gt;\n");
    // Frames look the same in every font, so they leave a font's run; a tab
    // is never underlined and stays outside every run.
    EXPECT_EQ(
        pre_of({"\xFF"
                "1B\xFF"
                "_U\xFF"
                "0n\xFF"
                ".p",
                "\xFF"
                "8a\xB3"
                "b",
                "\xFF_a\tb\xFF"
                "9\xC4"}),
        "<span class=\"f1\">B</span><span class=\"f1 u\">U</span><span class=\"u\">n</span>p\n"
        "<span class=\"f8\">a</span>│<span class=\"f8\">b</span>\n"
        "<span class=\"u\">a</span>\t<span class=\"u\">b─</span>\n");
    // An empty first line survives the parser's dropping of a newline after <pre>.
    EXPECT_EQ(pre_of({"", "x"}), "\nx\n");
}

TEST(HtmlExport, SampleDocumentReadsBackAsItsText) {
    LineList list = lines_new();
    ASSERT_EQ(lines_load(&list, KORVEL_SOURCE_DIR "/samples/sample.krv"), LINES_LOAD_OK);
    std::string page = page_of(list, "sample.krv");
    std::string text =
        capture([&](FILE *out) { return text_export_write(list, {}, out, nullptr); });
    lines_free(&list);
    EXPECT_TRUE(
        page.starts_with("<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">"));
    EXPECT_EQ(html_pre_text(page), text);
    // Every class the sample uses is styled by the page itself, which loads nothing.
    for (const char *rule :
         {".u {", ".f1 {", ".f2 {", ".f3 {", ".f4, .f5 {", ".f6 {", ".f7 {", ".f8 {", ".f9 {"})
        EXPECT_NE(page.find(rule), std::string::npos) << rule;
    EXPECT_EQ(page.find(" src="), std::string::npos);
    EXPECT_EQ(page.find("<link"), std::string::npos);

    FILE *full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(html_export_write(nullptr, "x", full, nullptr), -1);
    std::fclose(full);
}
