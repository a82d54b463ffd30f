// The document view driven through the message loop: scrolling and its
// refusals, keys against plug-ins, marking, the wheel, system keys, and the
// glyphs, band, indicator and rule on screen.
#include "e2e_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

std::string numbered_lines(int count, const char *prefix) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += prefix + std::to_string(i) + "\r\n";
    return text;
}

namespace {

class View : public Viewer {
  protected:
    int line_count = 100;
    void SetUp() override {
        folder_prepare(folder, {"rec_all.dll"});
        std::string path = folder.write("doc.txt", numbered_lines(line_count));
        ASSERT_TRUE(viewer_open(run, folder, path));
    }
    void TearDown() override {
        if (viewer_running(run))
            exit_by_menu();
        Viewer::TearDown();
    }
    std::string shown_indicator() const { return indicator_text(picture()); }
    std::vector<int> keys_sent() const {
        std::vector<int> keys;
        for (const auto &call : plugin_calls(run))
            if (call.rfind("KeyPress window=1 ", 0) == 0)
                keys.push_back(std::stoi(call.substr(call.rfind('=') + 1)));
        return keys;
    }
};

TEST_F(View, FirstPaintShowsLinesIndicatorRuleAndTheMarkOfTwoToFive) {
    Picture shown = picture();
    for (int row = 0; row < page_rows() - 1; ++row)
        EXPECT_EQ(row_text(shown, row, 0, 72), "Line " + std::to_string(row)) << row;
    EXPECT_EQ(indicator_text(shown), indicator(0, 100));
    EXPECT_TRUE(rule_drawn(shown));
    for (int row = 0; row < 8; ++row)
        EXPECT_EQ(row_banded(shown, row), row >= 2 && row <= 5) << row;
    // The background is the system's window colour; nothing erased it grey.
    EXPECT_EQ(shown.at(E2E_RULE_X + 10, 0), colour_of(GetSysColor(COLOR_WINDOW)));
}

TEST_F(View, LineScrollingRefusesToLeaveEitherEnd) {
    press(VK_UP);
    EXPECT_EQ(shown_indicator(), indicator(0, 100));
    press(VK_DOWN);
    EXPECT_EQ(shown_indicator(), indicator(1, 100));
    EXPECT_EQ(row_text(picture(), 0, 0, 72), "Line 1");

    press(VK_END);
    Picture at_end = picture();
    EXPECT_EQ(indicator_text(at_end), indicator(100, 100));
    EXPECT_EQ(row_text(at_end, 0, 0, 72), "");
    press(VK_DOWN);
    EXPECT_EQ(shown_indicator(), indicator(100, 100));
    press(VK_UP);
    Picture last = picture();
    EXPECT_EQ(indicator_text(last), indicator(99, 100));
    EXPECT_EQ(row_text(last, 0, 0, 72), "Line 99");
    EXPECT_EQ(row_text(last, 1, 0, 72), "");
    press(VK_HOME);
    EXPECT_EQ(shown_indicator(), indicator(0, 100));
}

TEST_F(View, PagesAreRefusedWhenLessThanAPageIsLeft) {
    const int page = page_rows();
    ASSERT_GT(page, 2);
    ASSERT_LT(page, 50);
    press(VK_DOWN);
    press(VK_PRIOR); // 1 - page < 0
    EXPECT_EQ(shown_indicator(), indicator(1, 100));
    press(VK_NEXT);
    EXPECT_EQ(shown_indicator(), indicator(1 + page, 100));
    EXPECT_EQ(row_text(picture(), 0, 0, 72), "Line " + std::to_string(1 + page));

    press(VK_END);
    press(VK_UP); // 99 + page > 100
    press(VK_NEXT);
    EXPECT_EQ(shown_indicator(), indicator(99, 100));
    press(VK_DOWN);
    EXPECT_EQ(shown_indicator(), indicator(100, 100));
    press(VK_PRIOR);
    EXPECT_EQ(shown_indicator(), indicator(100 - page, 100));
}

TEST_F(View, WheelScrollsOneLinePerMessageWhateverTheDelta) {
    post_wheel(run.window, -360);
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_EQ(shown_indicator(), indicator(1, 100));
    post_wheel(run.window, -1);
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_EQ(shown_indicator(), indicator(2, 100));
    post_wheel(run.window, 1);
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_EQ(shown_indicator(), indicator(1, 100));
    post_wheel(run.window, 0); // not away from the user: down
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_EQ(shown_indicator(), indicator(2, 100));
    post_wheel(run.window, 120);
    post_wheel(run.window, 120);
    post_wheel(run.window, 120); // the third is refused at the top
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_EQ(shown_indicator(), indicator(0, 100));
}

TEST_F(View, NavigationKeysNeverReachThePluginsOtherKeysDo) {
    const UINT keys[] = {VK_PRIOR, VK_NEXT, VK_END,   VK_HOME, VK_UP,
                         VK_DOWN,  VK_LEFT, VK_RIGHT, 'A',     VK_F2};
    for (UINT key : keys)
        post_key(run.window, key);
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_EQ(keys_sent(), (std::vector<int>{VK_LEFT, VK_RIGHT, 'A', VK_F2}));
    std::string path = folder.file("doc.txt");
    EXPECT_EQ(count_of(plugin_calls(run), "KeyPress window=1 path=" + path + " value=37"), 1);
}

TEST_F(View, CtrlPArrivesOnlyAsACommand) {
    post_ctrl_key(run, 'P');
    // Printing may bring up its dialog; it is cancelled unseen.
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 2000) {
        if (HWND dialog = wait_dialog(run.process.dwProcessId, 0, 50)) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            wait_gone(dialog);
            break;
        }
    }
    release_ctrl(run);
    post_key(run.window, 'P');
    ASSERT_TRUE(viewer_sync(run));
    // Only the plain P reached KeyPress.
    EXPECT_EQ(keys_sent(), (std::vector<int>{'P'}));
}

TEST_F(View, MarkingMapsTheLowestPixelRowToTheNextLine) {
    post_mouse(run.window, WM_LBUTTONDOWN, 30, 18);                 // y = 18: line 1
    post_mouse(run.window, WM_LBUTTONUP, 30, 4 * LINE_HEIGHT + 17); // y = 93: line 4
    ASSERT_TRUE(viewer_sync(run));
    Picture shown = picture();
    for (int row = 0; row < 8; ++row)
        EXPECT_EQ(row_banded(shown, row), row >= 1 && row <= 4) << row;
    // The band lies behind the text.
    EXPECT_EQ(row_text(shown, 1, 0, 72), "Line 1");

    post_mouse(run.window, WM_LBUTTONDOWN, 30, 17); // y = 17: line 0
    post_mouse(run.window, WM_LBUTTONUP, 30, 17);
    ASSERT_TRUE(viewer_sync(run));
    shown = picture();
    for (int row = 0; row < 8; ++row)
        EXPECT_EQ(row_banded(shown, row), row == 0) << row;

    // The mark follows the lines, not the rows.
    press(VK_DOWN);
    post_mouse(run.window, WM_LBUTTONDOWN, 30, LINE_HEIGHT + 17);   // line 2
    post_mouse(run.window, WM_LBUTTONUP, 30, 2 * LINE_HEIGHT + 18); // line 4
    ASSERT_TRUE(viewer_sync(run));
    shown = picture();
    for (int row = 0; row < 8; ++row)
        EXPECT_EQ(row_banded(shown, row), row >= 1 && row <= 3) << row;
}

TEST_F(View, AReversedMarkShowsNoBand) {
    post_mouse(run.window, WM_LBUTTONDOWN, 30, 6 * LINE_HEIGHT + 5);
    post_mouse(run.window, WM_LBUTTONUP, 30, 2 * LINE_HEIGHT + 5);
    ASSERT_TRUE(viewer_sync(run));
    Picture shown = picture();
    for (int row = 0; row < page_rows(); ++row)
        EXPECT_FALSE(row_banded(shown, row)) << row;
}

TEST_F(View, ClickBelowTheLastLineDrawsNoBand) {
    press(VK_END);
    press(VK_UP); // only line 99 shows
    post_mouse(run.window, WM_LBUTTONDOWN, 30, LINE_HEIGHT + 5);
    post_mouse(run.window, WM_LBUTTONUP, 30, 3 * LINE_HEIGHT + 5);
    ASSERT_TRUE(viewer_sync(run));
    Picture shown = picture();
    for (int row = 0; row < page_rows(); ++row)
        EXPECT_FALSE(row_banded(shown, row)) << row;
}

// ---- A short document shows no mark; fonts and in-line codes on screen ----

class Glyphs : public Viewer {
  protected:
    void SetUp() override { folder_prepare(folder, {"rec_all.dll"}); }
};

TEST_F(Glyphs, TwoLineDocumentShowsNoMark) {
    std::string path = folder.write("two.txt", "first\r\nsecond\r\n");
    ASSERT_TRUE(viewer_open(run, folder, path));
    Picture shown = picture();
    for (int row = 0; row < 8; ++row)
        EXPECT_FALSE(row_banded(shown, row)) << row;
    EXPECT_EQ(row_text(shown, 1, 0, 72), "second");
    EXPECT_EQ(indicator_text(shown), indicator(0, 2));
    PostMessageA(run.window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(viewer_wait_exit(run), 0);
}

TEST_F(Glyphs, EachCellShowsTheGlyphOfItsFont) {
    // Font 1 from the code on, underline around "C", glyph 0xFF, a tab to
    // column 8; the next line starts again in font 0.
    std::string line = "a\xFF"
                       "1AB\xFF_C\xFF.D\xFF\xFF"
                       "E\tF";
    std::string path = folder.write("codes.txt", line + "\r\nAB\xA8\xA7\r\n");
    ASSERT_TRUE(viewer_open(run, folder, path));
    // The check means something only where the two faces differ.
    ASSERT_FALSE(shipped_font(0) == shipped_font(1));
    Picture shown = picture();
    struct Cell {
        int column;
        int font;
        unsigned char glyph;
        bool underlined;
    };
    for (const Cell &cell :
         {Cell{0, 0, 'a', false}, Cell{1, 1, 'A', false}, Cell{2, 1, 'B', false},
          Cell{3, 1, 'C', true}, Cell{4, 1, 'D', false}, Cell{5, 1, 0xFF, false},
          Cell{6, 1, 'E', false}, Cell{7, 0, ' ', false}, Cell{8, 1, 'F', false}})
        EXPECT_TRUE(cell_shows(shown, cell.column * 8, 0, cell.font, cell.glyph, cell.underlined))
            << "column " << cell.column;
    EXPECT_EQ(row_text(shown, 1, 0, 72), "AB\xA8\xA7");
    PostMessageA(run.window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(viewer_wait_exit(run), 0);
}

// ---- System keys and plug-in answers ----

class SystemKeys : public Viewer {
  protected:
    void SetUp() override {
        folder_prepare(folder, {"rec_keys.dll"});
        run.sync_plugin = "rec_keys";
    }
    void answer(const char *text) { folder.write("Plugins\\rec_keys.answers", text); }
};

TEST_F(SystemKeys, AltF4ClaimedByAPluginKeepsTheWindow) {
    answer("SysKeyPress=1\n");
    ASSERT_TRUE(viewer_open(run, folder, ""));
    post_syskey(run.window, VK_F4);
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_TRUE(viewer_running(run));
    EXPECT_TRUE(IsWindowVisible(run.window));
    EXPECT_EQ(count_of(plugin_calls(run, "rec_keys"), "SysKeyPress window=1 path= value=115"), 1);
    EXPECT_EQ(count_of(log_messages(run.folder), "plugins.c: 123  return value 1 from " +
                                                     run.folder +
                                                     "\\Plugins\\rec_keys.dll plugin."),
              1);

    answer("SysKeyPress=0\n");
    post_syskey(run.window, VK_F4);
    EXPECT_EQ(viewer_wait_exit(run), 0);
}

TEST_F(SystemKeys, NegativeAnswerLeavesAltF4ToTheSystem) {
    answer("SysKeyPress=-5\n");
    ASSERT_TRUE(viewer_open(run, folder, ""));
    post_syskey(run.window, VK_F4);
    EXPECT_EQ(viewer_wait_exit(run), 0);
}

// ---- A long document and the scroll thumb ----

class LongDocument : public Viewer {
  protected:
    void SetUp() override { folder_prepare(folder, {"rec_all.dll"}); }
};

TEST_F(LongDocument, DraggingTheThumbToTheEndPassesLine32767) {
    std::string path = folder.write("long.txt", numbered_lines(40000, "Row "));
    ASSERT_TRUE(viewer_open(run, folder, path));
    EXPECT_EQ(indicator_text(picture()), indicator(0, 40000));
    RECT client;
    GetClientRect(run.window, &client);
    int bar_x = client.right + GetSystemMetrics(SM_CXVSCROLL) / 2;
    int thumb_y = GetSystemMetrics(SM_CYVSCROLL) + 4;
    // To just above the lower arrow: further away the thumb would snap back.
    int end_y = client.bottom - GetSystemMetrics(SM_CYVSCROLL) - 2;
    // Injected input can be lost while the window is still being raised:
    // drag again until the view has moved at all, then judge where it went.
    for (int attempt = 0; attempt < 3; ++attempt) {
        mouse_drag(run.window, POINT{bar_x, thumb_y}, POINT{bar_x, end_y});
        ASSERT_TRUE(viewer_sync(run));
        if (indicator_text(picture()) != indicator(0, 40000))
            break;
    }
    EXPECT_EQ(indicator_text(picture()), indicator(40000, 40000));
    press(VK_UP);
    Picture shown = picture();
    EXPECT_EQ(indicator_text(shown), indicator(39999, 40000));
    EXPECT_EQ(row_text(shown, 0, 0, 72), "Row 39999");
    PostMessageA(run.window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(viewer_wait_exit(run), 0);
}

} // namespace
