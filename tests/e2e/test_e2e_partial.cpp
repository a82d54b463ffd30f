// A document cut short by the memory limit: its own box, saying why and how
// many lines are shown, then the window with those lines.
#include "e2e_fixture.h"

#include <cstdlib>
#include <string>

namespace {

// "\" загружен не полностью: не хватило памяти.\nПоказано строк: ", CP1251.
const std::string PARTIAL_TEXT_AFTER_PATH =
    "\" \xE7\xE0\xE3\xF0\xF3\xE6\xE5\xED \xED\xE5 \xEF\xEE\xEB\xED\xEE\xF1\xF2\xFC\xFE: \xED\xE5 "
    "\xF5\xE2\xE0\xF2\xE8\xEB\xEE \xEF\xE0\xEC\xFF\xF2\xE8.\n\xCF\xEE\xEA\xE0\xE7\xE0\xED\xEE "
    "\xF1\xF2\xF0\xEE\xEA: ";

TEST_F(Viewer, ADocumentOverTheMemoryLimitShowsWhyAndHowManyLines) {
    folder_prepare(folder, {"rec_all.dll"});
    folder_use_small_limit_viewer(folder);
    // About 7 MB of lines against a limit of 4 MB.
    std::string path = folder.write("large.txt", numbered_lines(300000, "A line of the document "));
    ASSERT_TRUE(viewer_start(run, folder, path));
    HWND box = wait_dialog(run.process.dwProcessId);
    ASSERT_NE(box, nullptr);
    MessageBoxContent content = read_message_box(box);
    EXPECT_EQ(content.caption, LOAD_ERROR_CAPTION);
    EXPECT_EQ(content.icon, BoxIcon::error);
    EXPECT_EQ(content.buttons, 1);
    std::string start = "\xD4\xE0\xE9\xEB \"" + path + PARTIAL_TEXT_AFTER_PATH;
    ASSERT_EQ(content.text.substr(0, start.size()), start);
    int shown = std::atoi(content.text.c_str() + start.size());
    EXPECT_EQ(content.text, start + std::to_string(shown) + ".");
    EXPECT_GT(shown, 50000);
    EXPECT_LT(shown, 300000);

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(viewer_wait_window(run));
    viewer_place(run);
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_EQ(indicator_text(picture()), indicator(0, shown));
    press(VK_END);
    press(VK_UP);
    EXPECT_EQ(row_text(picture(), 0, 0, 72), "A line of the document " + std::to_string(shown - 1));
    exit_by_menu();
}

} // namespace
