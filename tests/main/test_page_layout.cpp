// Page arithmetic of print jobs: the logical page for real printer shapes,
// the low-resolution fallback, pagination (including pages too small for a
// line) and the right-aligned page footer.
#include "main/page_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(PrintGeometry, PageOfCommonPrinters) {
    PrintGeometry a4 = print_geometry(600, 600, 4800, 6600);
    EXPECT_EQ(a4.page_width, 768);
    EXPECT_EQ(a4.page_height, 1056);
    EXPECT_EQ(a4.dpi_x, 600);
    EXPECT_EQ(a4.device_width, 4800);
    EXPECT_EQ(a4.device_height, 6600);

    // Different resolutions per axis: each axis uses its own.
    PrintGeometry mixed = print_geometry(1200, 600, 9600, 6600);
    EXPECT_EQ(mixed.page_width, 768);
    EXPECT_EQ(mixed.page_height, 1056);
    // The division truncates after the product: 4961 * 96 / 600 = 793.76.
    EXPECT_EQ(print_geometry(600, 600, 4961, 7016).page_width, 793);
    EXPECT_EQ(print_geometry(600, 600, 4961, 7016).page_height, 1122);
}

TEST(PrintGeometry, ResolutionsBelow100BecomeThreeHundredEachOnItsOwn) {
    EXPECT_EQ(print_effective_dpi(72), 300);
    EXPECT_EQ(print_effective_dpi(0), 300);
    EXPECT_EQ(print_effective_dpi(-5), 300);
    EXPECT_EQ(print_effective_dpi(99), 300);
    EXPECT_EQ(print_effective_dpi(100), 100);
    EXPECT_EQ(print_effective_dpi(1200), 1200);

    PrintGeometry low = print_geometry(72, 600, 595, 6600);
    EXPECT_EQ(low.dpi_x, 300);
    EXPECT_EQ(low.dpi_y, 600);
    EXPECT_EQ(low.page_width, 595 * 96 / 300);
    EXPECT_EQ(low.page_height, 1056);
}

TEST(PrintGeometry, FailedOrHugeQueriesStaySane) {
    PrintGeometry failed = print_geometry(0, 0, 0, 0);
    EXPECT_EQ(failed.page_width, 0);
    EXPECT_EQ(failed.page_height, 0);
    EXPECT_EQ(print_geometry(600, 600, -10, -10).page_height, 0);
    // A product that does not fit 32 bits must not wrap to a negative page.
    PrintGeometry huge = print_geometry(100, 100, INT_MAX, INT_MAX);
    EXPECT_GT(huge.page_width, 0);
    EXPECT_GT(huge.page_height, 0);
}

namespace {

int paper_lines(int height) {
    return page_layout_make(768, height, FooterRow::over_last_line).lines_per_page;
}
int paper_pages(int lines, int height) {
    return page_layout_page_count(page_layout_make(768, height, FooterRow::over_last_line), lines);
}

} // namespace

TEST(PageLayout, PaperLinesFollowTheRowRule) {
    EXPECT_EQ(paper_lines(1056), 55); // the 55th row ends at 1044 < 1056
    EXPECT_EQ(paper_lines(1046), 55); // 1026 + 19 < 1046
    EXPECT_EQ(paper_lines(1045), 54); // 1026 + 19 is not < 1045
    EXPECT_EQ(paper_lines(38), 1);    // 19 + 19 < 38 is false
    EXPECT_EQ(paper_lines(39), 2);
    EXPECT_EQ(paper_lines(20), 1);
    // Too small for any line: 19 pixels or less.
    EXPECT_EQ(paper_lines(19), 0);
    EXPECT_EQ(paper_lines(1), 0);
    EXPECT_EQ(paper_lines(0), 0);
    EXPECT_EQ(paper_lines(-3), 0);
    // The footer lies over the lower rows of a full page's 55th line.
    EXPECT_EQ(page_layout_make(768, 1056, FooterRow::over_last_line).footer_y, 1037);
}

TEST(PageLayout, OwnFooterRowHoldsTheLinesThatEndAboveIt) {
    PageLayout a4 = page_layout_make(718, 1047, FooterRow::own_row); // A4 less 10 mm margins
    EXPECT_EQ(a4.lines_per_page, 54);                                // paper takes 55
    EXPECT_EQ(a4.footer_y, 1028);
    EXPECT_EQ(page_layout_make(768, 1045, FooterRow::own_row).lines_per_page, 54); // 55 rows
    EXPECT_EQ(page_layout_make(768, 38, FooterRow::own_row).lines_per_page, 1);
    EXPECT_EQ(page_layout_make(768, 37, FooterRow::own_row).lines_per_page, 0);
}

TEST(PageLayout, PageCounts) {
    EXPECT_EQ(paper_pages(120, 1056), 3); // 55 + 55 + 10
    EXPECT_EQ(paper_pages(110, 1056), 2);
    EXPECT_EQ(paper_pages(111, 1056), 3);
    EXPECT_EQ(paper_pages(1, 1056), 1);
    EXPECT_EQ(paper_pages(0, 1056), 0);
    EXPECT_EQ(paper_pages(1000, 1056), 19);
    // A page too small ends the job without a page instead of looping.
    EXPECT_EQ(paper_pages(5, 19), 0);
    EXPECT_EQ(paper_pages(5, 0), 0);
    EXPECT_EQ(paper_pages(5, 20), 5);
    EXPECT_EQ(paper_pages(INT_MAX, 20), INT_MAX);
}

TEST(PrintFooter, PageNumberTextIsCp866AndEndsAtTheRightEdge) {
    char text[PRINT_PAGE_TEXT_SIZE];
    size_t length = print_page_text(text, 2, 3);
    EXPECT_EQ(std::string(text, length), "2 \xA8\xA7 3");
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(print_right_aligned_x(768, length), 768 - 48);

    length = print_page_text(text, 10, 19);
    EXPECT_EQ(std::string(text, length), "10 \xA8\xA7 19");
    EXPECT_EQ(length, 8u);
    EXPECT_EQ(print_right_aligned_x(768, length), 768 - 64);

    // The widest numbers still fit the buffer whole.
    length = print_page_text(text, INT_MIN, INT_MIN);
    EXPECT_EQ(std::string(text, length), "-2147483648 \xA8\xA7 -2147483648");
    // A narrow page puts the text left of the page; no wrap-around.
    EXPECT_EQ(print_right_aligned_x(10, 6), -38);
}
