// Paper and margins in whole 96-dpi pixels, the pages a document gives, and
// the progress a writer reports.
#include "page_export_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(PageSetup, PaperAndMarginsRoundToWholePixels) {
    // A4 is 793.7 x 1122.5 px and 10 mm 37.8 px: 794 x 1123 less 38 a side.
    PagePixels a4 = page_pixels(page_setup_a4(10));
    EXPECT_EQ(a4.paper_width, 794);
    EXPECT_EQ(a4.paper_height, 1123);
    EXPECT_EQ(a4.left, 38);
    EXPECT_EQ(a4.top, 38);
    EXPECT_EQ(a4.layout.width, 718);
    EXPECT_EQ(a4.layout.height, 1047);
    EXPECT_EQ(a4.layout.lines_per_page, 54);
    EXPECT_EQ(a4.layout.footer_y, 1028);

    // Letter is exactly 816 x 1056 px; an inch of margin is 96 px.
    PagePixels letter = page_pixels(page_setup_letter(25.4));
    EXPECT_EQ(letter.paper_width, 816);
    EXPECT_EQ(letter.paper_height, 1056);
    EXPECT_EQ(letter.layout.width, 624);
    EXPECT_EQ(letter.layout.height, 864);
    EXPECT_EQ(letter.layout.lines_per_page, 44); // 864 / 19 = 45.5, less the footer row

    PagePixels no_margin = page_pixels(page_setup_a4(0));
    EXPECT_EQ(no_margin.left, 0);
    EXPECT_EQ(no_margin.layout.width, 794);
}

TEST(PageSetup, OnlyAPageWithALineAboveItsFooterIsUsable) {
    EXPECT_TRUE(page_setup_holds_lines(page_setup_a4(10)));
    // 114 px of paper less 38 px a side: one line and the footer; 113 px: none.
    EXPECT_TRUE(page_setup_holds_lines({100, 30.2, 10}));
    EXPECT_FALSE(page_setup_holds_lines({100, 29.9, 10}));
    // Wider margins than the paper, and nonsense, give no page at all.
    EXPECT_FALSE(page_setup_holds_lines(page_setup_a4(106)));
    EXPECT_FALSE(page_setup_holds_lines(page_setup_a4(1e300)));
    EXPECT_FALSE(page_setup_holds_lines({std::numeric_limits<double>::quiet_NaN(), 297, 10}));
    // A negative margin counts as none rather than a page beyond the paper.
    EXPECT_EQ(page_pixels(page_setup_a4(-5)).left, 0);
}

struct Progress {
    size_t bytes = 0;
    int calls = 0;
};

TEST(PageSetup, WritersReportEveryLineByteOncePerPage) {
    TempDir dir;
    ShippedFonts fonts;
    std::string content;
    size_t line_bytes = 0;
    for (int line = 0; line < 120; ++line) { // 54 + 54 + 12
        std::string text = "line " + std::to_string(line);
        content += text + "\r\n";
        line_bytes += text.size();
    }
    LoadedDocument document(dir, content);
    Progress seen;
    ConvertProgress progress{[](void *context, size_t bytes) {
                                 auto *seen = static_cast<Progress *>(context);
                                 seen->bytes += bytes;
                                 ++seen->calls;
                             },
                             &seen};
    FILE *out = std::fopen(dir.file("out.pdf").c_str(), "wb");
    PdfInfo info{"t", "t", 0};
    EXPECT_EQ(
        pdf_export_write(document.lines, fonts.fonts, page_setup_a4(10), info, out, &progress), 0);
    std::fclose(out);
    EXPECT_EQ(seen.bytes, line_bytes);
    EXPECT_EQ(seen.calls, 3);
}

} // namespace
