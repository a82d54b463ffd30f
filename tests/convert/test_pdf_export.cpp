// PDF pages checked with Poppler: rendered at 96 dpi without anti-aliasing
// they equal the page model's pictures pixel for pixel; the fonts are Type 3
// with Unicode maps; the text layer holds the document's characters; the
// same input gives the same bytes.
#include "page_export_support.h"

#include "convert/text_export.h"
#include "convert_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>

namespace {

// Every font, underline runs, tabs, box drawing, shades, a NUL byte, glyph
// 0xFF from a doubled escape, DOS symbols and Cyrillic.
const std::string EVERY_FEATURE =
    "Plain \xff"
    "1bold\xff"
    "0 \xff"
    "2italic\xff"
    "3 both\xff"
    "0 end\r\n"
    "\xff"
    "4sup\xff"
    "5sub\xff"
    "6light \xff"
    "7outline \xff"
    "8inverse \xff"
    "9double\r\n"
    "\xff_under\xff. plain \xff_a\tb\xff.c\td\r\n"
    "\xc9\xcd\xcd\xcb\xcd\xcd\xbb \xda\xc4\xc2\xc4\xbf\r\n"
    "\xba\xb0\xb1\xba\xb2\xdb\xba \xb3\xdc\xb3\xdf\xb3\r\n"
    "\xc8\xcd\xcd\xca\xcd\xcd\xbc \xc0\xc4\xc1\xc4\xd9\r\n"
    "NUL[\x00] FF[\xff\xff] \xff_\xff\xff\xff.\xff"
    "8\xff\xff\r\n"
    "\x01\x02\x03\x0e\x7f \x8f\xe0\xa8\xa2\xa5\xe2, \xac\xa8\xe0! \xf0\xf1\xfc\r\n"
    "\t\ttabbed\tand\xff"
    "2\tslanted\r\n";

// An underlined line that runs past the page's right edge, where the last
// column shows only in part.
const std::string PAST_THE_EDGE = "\xff_" + std::string(100, 'W') + "\r\n";

std::string write_pdf(const TempDir &dir, const LineNode *first, const ShippedFonts &fonts,
                      const PageSetup &setup, const char *footer_path, time_t modified = 0,
                      const char *name = "out.pdf") {
    std::string path = dir.file(name);
    FILE *out = std::fopen(path.c_str(), "wb");
    EXPECT_NE(out, nullptr);
    PdfInfo info{"письмо 1.krv", footer_path, modified};
    EXPECT_EQ(pdf_export_write(first, fonts.fonts, setup, info, out, nullptr), 0);
    std::fclose(out);
    return path;
}

void expect_rendering_matches(const std::string &pdf, const std::vector<GreyPage> &expected) {
    TempDir pages;
    ASSERT_TRUE(run_command("pdftoppm -r 96 -aa no -aaVector no -gray '" + pdf + "' '" +
                            pages.file("page") + "'"));
    std::vector<GreyPage> rendered = read_pages(pages, "page");
    ASSERT_EQ(rendered.size(), expected.size());
    for (size_t page = 0; page < expected.size(); ++page)
        EXPECT_EQ(page_difference(expected[page], rendered[page]), "") << "page " << page + 1;
}

std::string repeated(const std::string &text, int times) {
    std::string result;
    for (int copy = 0; copy < times; ++copy)
        result += text;
    return result;
}

// Lines with runs of blanks collapsed to one space and none at the ends:
// text extraction keeps words and their order, not the width of gaps.
std::string words(const std::string &text) {
    std::string result;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (c != '\n' && c != '\f' && blank && !result.empty() && result.back() != '\n' &&
            result.back() != '\f')
            result += ' ';
        blank = false;
        result += c;
    }
    return result;
}

// What the pages' text must be: the text export of the document, its lines
// cut into pages, each page ending in its footer's path and page number.
std::string expected_text(const LineNode *first, const PageSetup &setup, const std::string &path) {
    std::string exported = capture([&](FILE *out) {
        EXPECT_EQ(text_export_write(first, TextExportOptions{}, out, nullptr), 0);
    });
    const int per_page = page_pixels(setup).layout.lines_per_page;
    int lines = 0;
    for (char c : exported)
        lines += c == '\n';
    const int total = std::max(1, (lines + per_page - 1) / per_page);
    std::string text;
    size_t at = 0;
    for (int page = 1; page <= total; ++page) {
        for (int line = 0; line < per_page && at < exported.size(); ++line) {
            size_t end = exported.find('\n', at) + 1;
            text += exported.substr(at, end - at);
            at = end;
        }
        text += path + " " + std::to_string(page) + " из " + std::to_string(total) + "\n\f";
    }
    return words(text);
}

TEST(PdfExport, PagesRenderAsThePageModelDrawsThem) {
    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument sample(dir, read_file(KORVEL_SOURCE_DIR "/samples/sample.krv"));
    const char *sample_path = "samples/sample.krv";
    expect_rendering_matches(write_pdf(dir, sample.lines, fonts, page_setup_a4(10), sample_path),
                             expected_pages(sample.lines, fonts, page_setup_a4(10), sample_path));

    // Two pages and a bit; a path with Cyrillic, a no-break space (no code
    // in a footer) and a character CP866 lacks; another paper and margin.
    // A path long enough to run under the page number and past the edge.
    LoadedDocument document(dir, repeated(EVERY_FEATURE + PAST_THE_EDGE, 7));
    std::string path = "/архив/письмо\u00a0№1 \u00e9t\u00e9.krv";
    for (const PageSetup &setup : {page_setup_a4(10), page_setup_letter(25.4)}) {
        expect_rendering_matches(write_pdf(dir, document.lines, fonts, setup, path.c_str()),
                                 expected_pages(document.lines, fonts, setup, path));
        path = repeated("/длинный путь", 8) + ".krv";
    }

    // An empty document still gives a page: its footer.
    LoadedDocument empty(dir, "");
    std::vector<GreyPage> footer_only = expected_pages(empty.lines, fonts, page_setup_a4(10), "e");
    ASSERT_EQ(footer_only.size(), 1u);
    expect_rendering_matches(write_pdf(dir, empty.lines, fonts, page_setup_a4(10), "e"),
                             footer_only);
}

TEST(PdfExport, FontsAreType3WithUnicodeAndTheTextLayerHoldsTheCharacters) {
    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument document(dir, repeated(EVERY_FEATURE, 8));
    const char *path = "/архив/письмо 1.krv";
    std::string pdf = write_pdf(dir, document.lines, fonts, page_setup_a4(10), path);

    std::string listing;
    ASSERT_TRUE(run_command("pdffonts '" + pdf + "'", &listing));
    std::istringstream rows(listing);
    std::string row;
    int type3_with_unicode = 0, others = 0;
    std::getline(rows, row); // heading and rule
    std::getline(rows, row);
    while (std::getline(rows, row)) {
        // name, "Type 3", encoding, emb, sub, uni, object, generation
        std::istringstream fields(row);
        std::string name, type, three, encoding, emb, sub, uni;
        fields >> name >> type >> three >> encoding >> emb >> sub >> uni;
        if (type == "Type" && three == "3" && emb == "yes" && uni == "yes")
            ++type3_with_unicode;
        else
            ++others;
    }
    EXPECT_EQ(type3_with_unicode, FONT_COUNT) << listing;
    EXPECT_EQ(others, 0) << listing;

    std::string text;
    ASSERT_TRUE(run_command("pdftotext -raw -enc UTF-8 '" + pdf + "' -", &text));
    EXPECT_EQ(words(text), expected_text(document.lines, page_setup_a4(10), path));
}

TEST(PdfExport, SameInputGivesSameBytesAndItsInformation) {
    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument document(dir, read_file(KORVEL_SOURCE_DIR "/samples/sample.krv"));
    const time_t modified = 1700000000; // 2023-11-14 22:13:20 UTC
    std::string first =
        write_pdf(dir, document.lines, fonts, page_setup_a4(10), "a.krv", modified, "first.pdf");
    ::setenv("TZ", "Asia/Vladivostok", 1); // the dates do not depend on the zone
    ::tzset();
    std::string second =
        write_pdf(dir, document.lines, fonts, page_setup_a4(10), "a.krv", modified, "second.pdf");
    ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(read_file(first), read_file(second));

    std::string info;
    ASSERT_TRUE(run_command("TZ=UTC pdfinfo -isodates '" + first + "'", &info));
    EXPECT_NE(info.find("Title:           письмо 1.krv\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Creator:         korvel-convert " KORVEL_VERSION "\n"), std::string::npos)
        << info;
    EXPECT_NE(info.find("CreationDate:    2023-11-14T22:13:20Z\n"), std::string::npos) << info;
    EXPECT_NE(info.find("ModDate:         2023-11-14T22:13:20Z\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Page size:       595.276 x 841.89 pts (A4)"), std::string::npos) << info;
}

TEST(PdfExport, FailuresAreReported) {
    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument document(dir, "text\r\n");
    PdfInfo info{"t", "t", 0};
    FILE *full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(pdf_export_write(document.lines, fonts.fonts, page_setup_a4(10), info, full, nullptr),
              -1);
    std::fclose(full);

    // Margins that leave no room for a line and the footer: nothing written.
    std::string path = dir.file("none.pdf");
    FILE *out = std::fopen(path.c_str(), "wb");
    EXPECT_FALSE(page_setup_holds_lines(page_setup_a4(145)));
    EXPECT_EQ(pdf_export_write(document.lines, fonts.fonts, page_setup_a4(145), info, out, nullptr),
              -1);
    std::fclose(out);
    EXPECT_EQ(read_file(path), "");
}

} // namespace
