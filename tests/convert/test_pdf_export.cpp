// PDF pages checked with Poppler: rendered at 96 dpi without anti-aliasing
// they equal the page model's pictures pixel for pixel; the fonts are Type 3
// with Unicode maps; the text layer is the text export's; the same input
// gives the same bytes; paper and margins fall on whole pixels.
#include "page_export_support.h"

#include "convert/text_export.h"
#include "convert_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace std::string_literals;

// Every font, underline, tabs, box drawing and shades, a NUL byte, glyph 0xFF
// from a doubled escape, DOS symbols and Cyrillic.
const std::string EVERY_FEATURE =
    "Plain \3771bold\3770 \3772italic\3773both\3774sup\3775sub\3776light\3777outline\3778inverse"
    "\3779double\r\n\377_under\377. plain \377_a\tb\377.c\td\3772\tslanted\r\n"
    "\311\315\313\273 \332\304\302\277 \260\261\262\333\334\337\r\n"
    "\310\315\312\274 \300\304\301\331 NUL[\0] FF[\377\377]\r\n"
    "\1\2\16\177 \217\340\250\242\245\342, \254\250\340! \360\361\374\r\n"s;
// An underlined line past the right edge, whose last column shows in part.
const std::string PAST_THE_EDGE = "\377_" + std::string(100, 'W') + "\r\n";

std::string write_pdf(const TempDir &dir, const LineNode *first, const ShippedFonts &fonts,
                      const PageSetup &setup, const std::string &footer_path, time_t modified = 0) {
    std::string path = dir.file("out" + std::to_string(modified) + ".pdf");
    FILE *out = std::fopen(path.c_str(), "wb");
    PdfInfo info{"письмо 1.krv", footer_path.c_str(), modified};
    EXPECT_EQ(pdf_export_write(first, fonts.fonts, setup, info, out, nullptr), 0);
    std::fclose(out);
    return path;
}

void expect_rendered_pages(const std::string &pdf, const std::vector<GreyPage> &expected) {
    TempDir pages;
    command_output("pdftoppm -r 96 -aa no -aaVector no -gray '" + pdf + "' " + pages.file("p"));
    std::vector<GreyPage> rendered = read_pgm_pages(pages, "p");
    ASSERT_EQ(rendered.size(), expected.size());
    for (size_t page = 0; page < expected.size(); ++page)
        EXPECT_EQ(differing_pixels(expected[page], rendered[page]), 0) << "page " << page + 1;
}

// Runs of blanks as one space: text extraction keeps the words, their order
// and the lines, not the width of gaps (and Poppler gives U+00A0 as a space).
std::string words(std::string text) {
    for (size_t at; (at = text.find("\u00a0")) != std::string::npos;)
        text.replace(at, 2, " ");
    std::string result;
    for (char c : text) {
        bool blank = c == ' ' || c == '\t';
        if (blank && (result.empty() || result.back() == ' ' || result.back() == '\n'))
            continue;
        if ((c == '\n' || c == '\f') && !result.empty() && result.back() == ' ')
            result.pop_back();
        result += blank ? ' ' : c;
    }
    return result;
}

TEST(PdfExport, PagesRenderAsThePageModelDrawsThem) {
    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument sample(dir, read_file(KORVEL_SOURCE_DIR "/samples/sample.krv"));
    expect_rendered_pages(write_pdf(dir, sample.lines, fonts, page_setup_a4(10), "sample.krv"),
                          expected_pages(sample.lines, fonts, page_setup_a4(10), "sample.krv"));

    std::string content;
    for (int copy = 0; copy < 12; ++copy) // three pages
        content += EVERY_FEATURE + PAST_THE_EDGE;
    LoadedDocument document(dir, content);
    // A path with Cyrillic, a no-break space (no code in a footer) and a
    // character CP866 lacks; then one that runs under the page number.
    std::string path = "/архив/письмо\u00a0№1 \u00e9t\u00e9.krv";
    for (const PageSetup &setup : {page_setup_a4(10), page_setup_letter(25.4)}) {
        expect_rendered_pages(write_pdf(dir, document.lines, fonts, setup, path),
                              expected_pages(document.lines, fonts, setup, path));
        path = std::string(12, 'x') + "/длинный путь/к письму/" + std::string(80, 'y');
    }

    LoadedDocument empty(dir, ""); // still a page: its footer
    expect_rendered_pages(write_pdf(dir, empty.lines, fonts, page_setup_a4(10), "e"),
                          expected_pages(empty.lines, fonts, page_setup_a4(10), "e"));
}

TEST(PdfExport, FontsAreType3WithUnicodeAndTheTextIsTheTextExports) {
    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument document(dir, EVERY_FEATURE + EVERY_FEATURE);
    std::string pdf = write_pdf(dir, document.lines, fonts, page_setup_a4(10), "/архив/п 1.krv");

    std::istringstream listing(command_output("pdffonts '" + pdf + "'"));
    std::string heading, row;
    std::getline(listing, heading);
    std::getline(listing, row); // the rule under the heading
    int fonts_listed = 0;
    while (std::getline(listing, row)) {
        ++fonts_listed;
        // [none] Type 3 Custom emb sub uni object generation
        EXPECT_NE(row.find(" Type 3 "), std::string::npos) << row;
        EXPECT_EQ(row.substr(heading.find(" uni") + 1, 3), "yes") << row;
    }
    EXPECT_EQ(fonts_listed, FONT_COUNT);

    std::string exported = capture([&](FILE *out) {
        EXPECT_EQ(text_export_write(document.lines, TextExportOptions{}, out, nullptr), 0);
    });
    EXPECT_EQ(words(command_output("pdftotext -raw -enc UTF-8 '" + pdf + "' -")),
              words(exported + "/архив/п 1.krv 1 из 1\n\f"));
}

TEST(PdfExport, SameInputSameBytesDatedByTheInputInAnyZone) {
    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument document(dir, EVERY_FEATURE);
    const time_t modified = 1700000000; // 2023-11-14 22:13:20 UTC
    std::string first =
        read_file(write_pdf(dir, document.lines, fonts, page_setup_a4(10), "a", modified));
    setenv("TZ", "Asia/Vladivostok", 1);
    std::string second = write_pdf(dir, document.lines, fonts, page_setup_a4(10), "a", modified);
    unsetenv("TZ");
    EXPECT_EQ(first, read_file(second));
    std::string info = command_output("TZ=UTC pdfinfo -isodates '" + second + "'");
    for (const char *field :
         {"Title:           письмо 1.krv\n", "Creator:         korvel-convert " KORVEL_VERSION "\n",
          "CreationDate:    2023-11-14T22:13:20Z\n", "ModDate:         2023-11-14T22:13:20Z\n",
          "Page size:       595.276 x 841.89 pts (A4)"})
        EXPECT_NE(info.find(field), std::string::npos) << field << info;
}

TEST(PdfExport, PaperAndMarginsOnWholePixelsAndFailuresReported) {
    // A4, 793.7 x 1122.5 px, and 10 mm, 37.8 px: 794 x 1123 less 38 a side.
    PagePixels a4 = page_pixels(page_setup_a4(10));
    EXPECT_EQ(std::vector({a4.paper_width, a4.paper_height, a4.left, a4.top, a4.layout.width,
                           a4.layout.height, a4.layout.lines_per_page}),
              std::vector({794, 1123, 38, 38, 718, 1047, 54}));
    PagePixels letter = page_pixels(page_setup_letter(25.4)); // 8.5 x 11 in, 1 in margins
    EXPECT_EQ(std::vector({letter.paper_width, letter.paper_height, letter.layout.width,
                           letter.layout.height, letter.layout.lines_per_page}),
              std::vector({816, 1056, 624, 864, 44}));
    // 114 px of paper less 38 a side: one line and the footer; 113: none.
    EXPECT_TRUE(page_setup_holds_lines({100, 30.2, 10}));
    EXPECT_FALSE(page_setup_holds_lines({100, 29.9, 10}));
    EXPECT_FALSE(page_setup_holds_lines(page_setup_a4(106))); // no width left
    EXPECT_FALSE(page_setup_holds_lines(page_setup_a4(std::strtod("nan", nullptr))));
    EXPECT_FALSE(page_setup_holds_lines(page_setup_a4(-1)));

    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument document(dir, "text\r\n");
    PdfInfo info{"t", "t", 0};
    FILE *full = std::fopen("/dev/full", "wb");
    EXPECT_EQ(pdf_export_write(document.lines, fonts.fonts, page_setup_a4(10), info, full, nullptr),
              -1);
    std::fclose(full);
    FILE *out = std::fopen(dir.file("none.pdf").c_str(), "wb");
    EXPECT_EQ(pdf_export_write(document.lines, fonts.fonts, page_setup_a4(145), info, out, nullptr),
              -1);
    std::fclose(out);
    EXPECT_EQ(read_file(dir.file("none.pdf")), "") << "nothing written for a page too small";
}

} // namespace
