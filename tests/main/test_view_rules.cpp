// The view's rules without a window: scroll refusals at both ends (never
// clamped), the thumb, the line a click marks, the position text and where
// it stands, and the command-line path.
#include "main/command_line.h"
#include "main/view_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int32_t scroll(int32_t top, int32_t count, int32_t page, int code, int32_t track = 0) {
    int32_t target = -12345;
    return view_scroll_target(top, count, page, code, track, &target) ? target : -1;
}

TEST(ViewScroll, LinesAndEnds) {
    EXPECT_EQ(scroll(0, 100, 20, VIEW_SB_LINEUP), -1);
    EXPECT_EQ(scroll(5, 100, 20, VIEW_SB_LINEUP), 4);
    EXPECT_EQ(scroll(99, 100, 20, VIEW_SB_LINEDOWN), 100);
    EXPECT_EQ(scroll(100, 100, 20, VIEW_SB_LINEDOWN), -1);
    EXPECT_EQ(scroll(0, 0, 20, VIEW_SB_LINEDOWN), -1);
    EXPECT_EQ(scroll(40, 100, 20, VIEW_SB_TOP), 0);
    EXPECT_EQ(scroll(0, 100, 20, VIEW_SB_TOP), -1);
    EXPECT_EQ(scroll(0, 100, 20, VIEW_SB_BOTTOM), 100);
    EXPECT_EQ(scroll(100, 100, 20, VIEW_SB_BOTTOM), -1);
    EXPECT_EQ(scroll(0, 0, 20, VIEW_SB_BOTTOM), -1);
    // After opening a shorter document the view may stand past its end.
    EXPECT_EQ(scroll(300, 50, 20, VIEW_SB_LINEDOWN), -1);
    EXPECT_EQ(scroll(300, 50, 20, VIEW_SB_LINEUP), 299);
}

TEST(ViewScroll, PagesAreRefusedNotClamped) {
    EXPECT_EQ(scroll(15, 100, 20, VIEW_SB_PAGEUP), -1);
    EXPECT_EQ(scroll(20, 100, 20, VIEW_SB_PAGEUP), 0);
    EXPECT_EQ(scroll(80, 95, 20, VIEW_SB_PAGEDOWN), -1);
    EXPECT_EQ(scroll(75, 95, 20, VIEW_SB_PAGEDOWN), 95);
    // A client area lower than one row: pages move by nothing, but still move.
    EXPECT_EQ(scroll(7, 95, 0, VIEW_SB_PAGEDOWN), 7);
    EXPECT_EQ(scroll(7, 95, 0, VIEW_SB_PAGEUP), 7);
}

TEST(ViewScroll, ThumbTakesTheFullPositionAndOtherCodesDoNothing) {
    EXPECT_EQ(scroll(0, 40000, 20, VIEW_SB_THUMBTRACK, 40000), 40000);
    EXPECT_EQ(scroll(0, 100000, 20, VIEW_SB_THUMBTRACK, 70000), 70000);
    EXPECT_EQ(scroll(5, 100, 20, 4), -1); // thumb position
    EXPECT_EQ(scroll(5, 100, 20, 8), -1); // end of scrolling
    EXPECT_EQ(scroll(5, 100, 20, 99), -1);
}

TEST(ViewRules, RowsMarkingAndPositionPlace) {
    EXPECT_EQ(view_page_rows(400), 21);
    EXPECT_EQ(view_page_rows(18), 0);
    EXPECT_EQ(view_line_at(10, 17), 10);
    EXPECT_EQ(view_line_at(10, 18), 11);
    EXPECT_EQ(view_line_at(0, 65535), 3449);

    EXPECT_EQ(view_position_x(640, 8), (80 - 8) * 8);
    EXPECT_EQ(view_position_x(645, 8), (80 - 8) * 8);
}

TEST(CommandLine, QuotesAndLength) {
    char path[260];
    auto take = [&](const std::string &text) {
        bool fits = command_line_path(text.c_str(), path, sizeof path);
        return fits ? std::string(path) : "cut:" + std::string(path);
    };
    EXPECT_EQ(take("\"C:\\My Docs\\a.krv\""), "C:\\My Docs\\a.krv");
    EXPECT_EQ(take("C:\\My Docs\\a.krv"), "C:\\My Docs\\a.krv");
    EXPECT_EQ(take("\"C:\\a.krv\" "), "\"C:\\a.krv\" ");
    EXPECT_EQ(take("\"\""), "");
    EXPECT_EQ(take("\""), "\"");
    EXPECT_EQ(take("\"a\"b\""), "a\"b");
    EXPECT_EQ(take(std::string(259, 'p')), std::string(259, 'p'));
    EXPECT_EQ(take("\"" + std::string(259, 'q') + "\""), std::string(259, 'q'));
    EXPECT_EQ(take(std::string(260, 'r')), "cut:" + std::string(259, 'r'));
    EXPECT_EQ(take("\"" + std::string(300, 's') + "\""), "cut:" + std::string(259, 's'));
}

} // namespace
