// The viewer when things around it go wrong: the window closed while
// File > Open's error box is up, and a missing fonts folder.
#include "e2e_fixture.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

// "Не удалось загрузить шрифт!", CP1251.
const std::string FONT_ERROR_TEXT = "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xE7\xE0\xE3\xF0\xF3\xE7"
                                    "\xE8\xF2\xFC \xF8\xF0\xE8\xF4\xF2!";

TEST_F(Viewer, ClosedWhileTheOpenErrorBoxIsUpNoPluginHearsOfTheLoad) {
    folder_prepare(folder, {"rec_all.dll"});
    std::string first = folder.write("first.txt", numbered_lines(10));
    std::string locked = folder.write("locked.txt", numbered_lines(10));
    ASSERT_TRUE(viewer_open(run, folder, first));
    HANDLE holder =
        CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    PostMessageA(run.window, WM_COMMAND, IDM_OPEN, 0);
    HWND dialog = wait_dialog(run.process.dwProcessId, OPEN_FILE_TYPE_COMBO);
    ASSERT_NE(dialog, nullptr);
    open_dialog_confirm(dialog, locked);
    ASSERT_TRUE(wait_gone(dialog));
    HWND box = wait_dialog(run.process.dwProcessId);
    ASSERT_NE(box, nullptr);

    PostMessageA(run.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(wait_gone(run.window));
    if (IsWindow(box))
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(viewer_wait_exit(run), 0);
    CloseHandle(holder);
    // Destroy is the last call; the load that follows the box reaches no
    // plug-in, and only the log still records its dispatch.
    std::vector<std::string> calls = plugin_calls(run);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "Destroy window=1 path=" + locked + " value=0");
    std::vector<std::string> log = log_messages(run.folder);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "plugins.c: 88  sending to all plugins command 2.");
    EXPECT_EQ(log.back(), "plugins.c: 88  sending to all plugins command 11.");
}

TEST_F(Viewer, WithoutTheFontsFolderEachFontIsReportedOnceAtTheFirstPaint) {
    folder_prepare(folder, {"rec_all.dll"});
    std::filesystem::remove_all(folder.path / "fonts");
    std::string path = folder.write("doc.txt", numbered_lines(100));
    ASSERT_TRUE(viewer_start(run, folder, path));
    for (int font = 0; font < 10; ++font) {
        HWND box = wait_dialog(run.process.dwProcessId);
        ASSERT_NE(box, nullptr) << "font " << font;
        MessageBoxContent content = read_message_box(box);
        EXPECT_EQ(content.caption, "Error");
        EXPECT_EQ(content.text, FONT_ERROR_TEXT);
        EXPECT_EQ(content.icon, BoxIcon::error);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(wait_gone(box));
    }
    ASSERT_TRUE(viewer_wait_window(run));
    // A resize, scrolling by keys and wheel, and a plain repaint: no box.
    viewer_place(run);
    press(VK_NEXT);
    press(VK_DOWN);
    post_wheel(run.window, -120);
    InvalidateRect(run.window, nullptr, TRUE);
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_EQ(wait_dialog(run.process.dwProcessId, 0, 500), nullptr);
    EXPECT_EQ(row_text(picture(), 0, 0, 72), "");
    exit_by_menu();
}

} // namespace
