// PDF pages checked with Poppler: rendered at 96 dpi without anti-aliasing
// they equal the page model's pictures pixel for pixel; the fonts are Type 3
// with Unicode maps; the text layer holds the document's characters; the
// same input gives the same bytes.
#include "page_export_support.h"

#include "fonts/cp866_unicode.h"

#include <gtest/gtest.h>

#include <cstdio>

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

struct Converted {
    TempDir dir;
    std::string pdf;
};

std::string write_pdf(const TempDir &dir, const LineNode *first, const ShippedFonts &fonts,
                      const PageSetup &setup, const char *footer_path, time_t modified = 0) {
    std::string path = dir.file("out.pdf");
    FILE *out = std::fopen(path.c_str(), "wb");
    EXPECT_NE(out, nullptr);
    PdfInfo info{"document.krv", footer_path, modified};
    EXPECT_EQ(pdf_export_write(first, fonts.fonts, setup, info, out, nullptr), 0);
    std::fclose(out);
    return path;
}

void expect_rendering_matches(const TempDir &dir, const std::string &pdf,
                              const std::vector<GreyPage> &expected) {
    ASSERT_TRUE(run_command("pdftoppm -r 96 -aa no -aaVector no -gray '" + pdf + "' '" +
                            dir.file("page") + "'"));
    std::vector<GreyPage> rendered = read_pages(dir, "page");
    ASSERT_EQ(rendered.size(), expected.size());
    for (size_t page = 0; page < expected.size(); ++page)
        EXPECT_EQ(page_difference(expected[page], rendered[page]), "") << "page " << page + 1;
}

TEST(PdfExport, SampleRendersAsThePageModelDraws) {
    TempDir dir;
    ShippedFonts fonts;
    TestDocument sample(dir, read_file(KORVEL_SOURCE_DIR "/samples/sample.krv"));
    const char *path = "samples/sample.krv";
    std::string pdf = write_pdf(dir, sample.lines, fonts, page_setup_a4(10), path);
    expect_rendering_matches(dir, pdf,
                             expected_pages(sample.lines, fonts, page_setup_a4(10), path));
}

TEST(PdfExport, EveryFeatureRendersAsThePageModelDraws) {
    TempDir dir;
    ShippedFonts fonts;
    std::string content;
    for (int copy = 0; copy < 8; ++copy) // two pages and a bit
        content += EVERY_FEATURE;
    TestDocument document(dir, content);
    // A path with Cyrillic, a no-break space and a character CP866 lacks.
    const char *path = "/архив/письмо\u00a0№1 \u00e9t\u00e9.krv";
    for (const PageSetup &setup : {page_setup_a4(10), page_setup_letter(25.4)}) {
        std::string pdf = write_pdf(dir, document.lines, fonts, setup, path);
        expect_rendering_matches(dir, pdf, expected_pages(document.lines, fonts, setup, path));
        std::filesystem::remove_all(dir.path);
        std::filesystem::create_directory(dir.path);
    }
}

} // namespace
