// The HTML page: its frame and title, escaping, the runs of fonts and
// underline, and the sample document's text read back from the page.
#include "convert/html_export.h"
#include "convert/text_export.h"
#include "convert_test_support.h"

#include <gtest/gtest.h>

namespace {

std::string page_of(const std::vector<std::string> &lines, const char *title = "t.krv") {
    TestDocument document(lines);
    int result = -2;
    std::string page =
        capture([&](FILE *out) { return html_export_write(document.first(), title, out, nullptr); },
                &result);
    EXPECT_EQ(result, 0);
    return page;
}

// The <pre>'s markup as written, between "<pre>\n" and "</pre>".
std::string pre_of(const std::vector<std::string> &lines) {
    std::string page = page_of(lines);
    size_t start = page.find("<pre>\n") + 6;
    return page.substr(start, page.rfind("</pre>") - start);
}

} // namespace

TEST(HtmlExport, PageTitleAndEscaping) {
    std::string page = page_of({"<a href=\"x\">&amp;</a>"}, "a<b&c \xD0\xB9\xFF.krv");
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n"));
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(page.find("<title>a&lt;b&amp;c й\uFFFD.krv</title>"), std::string::npos);
    EXPECT_EQ(page.find("<link"), std::string::npos); // nothing outside the page
    EXPECT_EQ(page.find("src="), std::string::npos);
    EXPECT_EQ(html_pre_text(page), "<a href=\"x\">&amp;</a>\n");
    EXPECT_EQ(pre_of({"<a href=\"x\">&amp;</a>"}), "&lt;a href=\"x\"&gt;&amp;amp;&lt;/a&gt;\n");

    // An empty first line survives the parser's dropping of the newline after <pre>.
    EXPECT_EQ(html_pre_text(page_of({"", "x"})), "\nx\n");
    EXPECT_EQ(html_pre_text(page_of({})), "");
}

TEST(HtmlExport, RunsOfFontsAndUnderline) {
    EXPECT_EQ(pre_of({"\xFF"
                      "1B\xFF"
                      "_U\xFF"
                      "0n\xFF"
                      ".p"}),
              "<span class=\"f1\">B</span><span class=\"f1 u\">U</span>"
              "<span class=\"u\">n</span>p\n");
    // Frames look the same in every font, so they leave a font's run; a tab
    // is never underlined and stays outside every run.
    EXPECT_EQ(pre_of({"\xFF"
                      "8a\xB3"
                      "b",
                      "\xFF_a\tb\xFF"
                      "9\xC4"}),
              "<span class=\"f8\">a</span>│<span class=\"f8\">b</span>\n"
              "<span class=\"u\">a</span>\t<span class=\"u\">b─</span>\n");
    // Each class the runs use is styled by the page itself.
    std::string page = page_of({});
    for (const char *rule :
         {".u {", ".f1 {", ".f2 {", ".f3 {", ".f4, .f5 {", ".f6 {", ".f7 {", ".f8 {", ".f9 {"})
        EXPECT_NE(page.find(rule), std::string::npos) << rule;
}

TEST(HtmlExport, SampleDocumentReadsBackAsItsText) {
    LineList list = lines_new();
    ASSERT_EQ(lines_load(&list, KORVEL_SOURCE_DIR "/samples/sample.krv"), LINES_LOAD_OK);
    std::string page =
        capture([&](FILE *out) { return html_export_write(list, "sample.krv", out, nullptr); });
    std::string text =
        capture([&](FILE *out) { return text_export_write(list, {}, out, nullptr); });
    lines_free(&list);
    EXPECT_EQ(html_pre_text(page), text);
    EXPECT_NE(page.find("<span class=\"f7\">"), std::string::npos);

    FILE *full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(html_export_write(nullptr, "x", full, nullptr), -1);
    std::fclose(full);
}
