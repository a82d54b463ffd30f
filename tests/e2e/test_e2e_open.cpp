// File > Open through the real dialog: what it keeps, what cancelling
// leaves, a failing load, and what the dialog remembers between uses.
#include "e2e_fixture.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string SECOND_FILTER_LABEL =
    "\xD2\xE5\xEA\xF1\xF2\xEE\xE2\xFB\xE5 \xE4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB MS-DOS(*.TXT)";

class Open : public Viewer {
  protected:
    void SetUp() override { folder_prepare(folder, {"rec_all.dll"}); }
    void TearDown() override {
        release_ctrl(run);
        if (viewer_running(run))
            exit_by_menu();
        Viewer::TearDown();
    }

    HWND open_dialog_by_ctrl_o() {
        post_ctrl_key(run, 'O');
        HWND dialog = wait_dialog(run.process.dwProcessId, OPEN_FILE_TYPE_COMBO);
        release_ctrl(run);
        return dialog;
    }
    HWND open_dialog_by_menu() {
        PostMessageA(run.window, WM_COMMAND, IDM_OPEN, 0);
        return wait_dialog(run.process.dwProcessId, OPEN_FILE_TYPE_COMBO);
    }
    static std::string file_name_box(HWND dialog) {
        return window_text(open_dialog_name_edit(dialog));
    }
    static int filter_shown(HWND dialog) {
        DWORD_PTR index = 0;
        SendMessageTimeoutA(GetDlgItem(dialog, OPEN_FILE_TYPE_COMBO), CB_GETCURSEL, 0, 0,
                            SMTO_NORMAL, 2000, &index);
        return static_cast<int>(index);
    }
    // The combo box holds its texts as Unicode; back to the ANSI code page.
    static std::string filter_label(HWND dialog, int index) {
        wchar_t label[128] = {};
        SendMessageW(GetDlgItem(dialog, OPEN_FILE_TYPE_COMBO), CB_GETLBTEXT, index,
                     reinterpret_cast<LPARAM>(label));
        char ansi[256] = {};
        WideCharToMultiByte(CP_ACP, 0, label, -1, ansi, sizeof ansi, nullptr, nullptr);
        return ansi;
    }
    static void pick_filter(HWND dialog, int index) {
        HWND combo = GetDlgItem(dialog, OPEN_FILE_TYPE_COMBO);
        DWORD_PTR ignored;
        SendMessageTimeoutA(combo, CB_SETCURSEL, index, 0, SMTO_NORMAL, 2000, &ignored);
        SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(OPEN_FILE_TYPE_COMBO, CBN_SELENDOK),
                            reinterpret_cast<LPARAM>(combo), SMTO_NORMAL, 2000, &ignored);
    }
    static void confirm(HWND dialog, const std::string &path) { open_dialog_confirm(dialog, path); }
    static void cancel(HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    }
    std::vector<std::string> loads() const { return plugin_calls_of(run, "Load"); }
};

TEST_F(Open, KeepsTopLineAndMarkAndTheDialogRemembersPathAndFilter) {
    std::string first = folder.write("first.txt", numbered_lines(100, "One "));
    std::string second = folder.write("second.txt", numbered_lines(150, "Two "));
    ASSERT_TRUE(viewer_open(run, folder, first));
    press(VK_END);
    post_mouse(run.window, WM_LBUTTONDOWN, 30, LINE_HEIGHT + 5);   // line 101
    post_mouse(run.window, WM_LBUTTONUP, 30, 3 * LINE_HEIGHT + 5); // line 103
    ASSERT_TRUE(viewer_sync(run));

    HWND dialog = open_dialog_by_ctrl_o();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(file_name_box(dialog), "first.txt");
    EXPECT_EQ(filter_shown(dialog), 0);
    pick_filter(dialog, 1);
    confirm(dialog, second);
    ASSERT_TRUE(wait_gone(dialog));
    ASSERT_TRUE(viewer_sync(run));

    Picture shown = picture();
    EXPECT_EQ(indicator_text(shown), indicator(100, 150));
    EXPECT_EQ(row_text(shown, 0, 0, 72), "Two 100");
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(row_banded(shown, row), row >= 1 && row <= 3) << row;
    EXPECT_EQ(loads().back(), "Load window=1 path=" + second + " value=0");
    auto log = log_messages(run.folder);
    EXPECT_EQ(count_of(log, "plugins.c: 88  sending to all plugins command 21."), 1);
    // Ctrl+O came only as the command.
    for (const auto &call : plugin_calls(run))
        EXPECT_NE(call.rfind("KeyPress", 0), 0u) << call;

    dialog = open_dialog_by_menu();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(file_name_box(dialog), "second.txt");
    EXPECT_EQ(filter_shown(dialog), 1);
    EXPECT_EQ(filter_label(dialog, 1), SECOND_FILTER_LABEL);
    cancel(dialog);
    ASSERT_TRUE(wait_gone(dialog));
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_EQ(picture().pixels, shown.pixels);
    EXPECT_EQ(loads().size(), 2u);
    EXPECT_EQ(
        count_of(log_messages(run.folder), "plugins.c: 88  sending to all plugins command 21."), 1);
}

TEST_F(Open, AShorterDocumentShowsNothingUntilScrolledBack) {
    std::string longer = folder.write("longer.txt", numbered_lines(400, "Long "));
    std::string shorter = folder.write("shorter.txt", numbered_lines(50, "Short "));
    ASSERT_TRUE(viewer_open(run, folder, longer));
    post_mouse(run.window, WM_LBUTTONDOWN, 30, 5);
    post_mouse(run.window, WM_LBUTTONUP, 30, LINE_HEIGHT + 5);
    press(VK_END);
    HWND dialog = open_dialog_by_menu();
    ASSERT_NE(dialog, nullptr);
    confirm(dialog, shorter);
    ASSERT_TRUE(wait_gone(dialog));
    ASSERT_TRUE(viewer_sync(run));
    Picture shown = picture();
    EXPECT_EQ(indicator_text(shown), indicator(400, 50));
    for (int row = 0; row < page_rows() - 1; ++row)
        EXPECT_EQ(row_text(shown, row, 0, 72), "") << row;
    // Back at the top the new document shows, with the kept mark 0 ... 1.
    press(VK_HOME);
    shown = picture();
    EXPECT_EQ(indicator_text(shown), indicator(0, 50));
    EXPECT_EQ(row_text(shown, 0, 0, 72), "Short 0");
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(row_banded(shown, row), row <= 1) << row;
}

TEST_F(Open, CancelBeforeAnyDocumentChangesNothing) {
    ASSERT_TRUE(viewer_open(run, folder, ""));
    Picture before = picture();
    HWND dialog = open_dialog_by_menu();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(file_name_box(dialog), "");
    cancel(dialog);
    ASSERT_TRUE(wait_gone(dialog));
    ASSERT_TRUE(viewer_sync(run));
    EXPECT_EQ(picture().pixels, before.pixels);
    EXPECT_TRUE(loads().empty());
}

TEST_F(Open, FailingLoadShowsTheBoxThenLeavesAnEmptyDocument) {
    std::string first = folder.write("first.txt", numbered_lines(40));
    std::string locked = folder.write("locked.txt", numbered_lines(20));
    ASSERT_TRUE(viewer_open(run, folder, first));
    press(VK_NEXT);
    const int top = page_rows();

    // Held open without sharing, the file exists but cannot be read.
    HANDLE holder =
        CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    HWND dialog = open_dialog_by_menu();
    ASSERT_NE(dialog, nullptr);
    confirm(dialog, locked);
    ASSERT_TRUE(wait_gone(dialog));
    HWND box = wait_dialog(run.process.dwProcessId);
    ASSERT_NE(box, nullptr);
    MessageBoxContent content = read_message_box(box);
    EXPECT_NE(content.text.find("\"" + locked + "\"."), std::string::npos) << content.text;
    EXPECT_EQ(content.icon, BoxIcon::error);
    // Load comes only after the box is closed.
    EXPECT_EQ(loads().size(), 1u);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_gone(box));
    CloseHandle(holder);
    ASSERT_TRUE(viewer_sync(run));

    Picture shown = picture();
    EXPECT_EQ(indicator_text(shown), indicator(top, 0));
    for (int row = 0; row < page_rows() - 1; ++row)
        EXPECT_EQ(row_text(shown, row, 0, 72), "") << row;
    EXPECT_EQ(loads().back(), "Load window=1 path=" + locked + " value=0");
    // The previous document does not come back: Home shows nothing either.
    press(VK_HOME);
    EXPECT_EQ(indicator_text(picture()), indicator(0, 0));
    EXPECT_EQ(row_text(picture(), 0, 0, 72), "");
}

// 100 short lines, then `big_lines` lines of a megabyte of NUL bytes each,
// written sparse: the file is large but costs the disk a few megabytes.
std::string write_sparse_document(const std::string &path, int big_lines) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string head = numbered_lines(100, "Head ");
    DWORD written = 0;
    WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr);
    for (int line = 1; line <= big_lines; ++line) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(head.size()) + (LONGLONG{line} << 20) - 2;
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
        WriteFile(file, "\r\n", 2, &written, nullptr);
    }
    CloseHandle(file);
    return path;
}

// "top из count" of the indicator; -1 when it does not read that way.
int indicator_count(const Picture &shown) {
    std::string text = indicator_text(shown);
    size_t split = text.find(" \xA8\xA7 ");
    return split == std::string::npos ? -1 : std::atoi(text.c_str() + split + 4);
}

TEST_F(Open, ADocumentLargerThanItsMemoryShowsTheBoxThenTheLinesThatFit) {
    // 1.5 GB of lines against the 1 GB the viewer gives a document: what
    // fits is shown, and the program stays usable with room to paint.
    std::string huge = write_sparse_document(folder.file("huge.txt"), 1536);
    ASSERT_FALSE(huge.empty());
    std::string small = folder.write("small.txt", numbered_lines(10, "Small "));
    ASSERT_TRUE(viewer_open(run, folder, small));

    HWND dialog = open_dialog_by_menu();
    ASSERT_NE(dialog, nullptr);
    confirm(dialog, huge);
    ASSERT_TRUE(wait_gone(dialog));
    HWND box = wait_dialog(run.process.dwProcessId, 0, 120000);
    ASSERT_NE(box, nullptr);
    MessageBoxContent content = read_message_box(box);
    EXPECT_NE(content.text.find("\"" + huge + "\"."), std::string::npos) << content.text;
    EXPECT_EQ(content.icon, BoxIcon::error);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_gone(box));
    ASSERT_TRUE(viewer_sync(run));

    Picture shown = picture();
    const int count = indicator_count(shown);
    EXPECT_GT(count, 100 + 900) << indicator_text(shown);
    EXPECT_LT(count, 100 + 1536) << indicator_text(shown);
    EXPECT_EQ(row_text(shown, 0, 0, 72), "Head 0");
    EXPECT_EQ(row_text(shown, 9, 0, 72), "Head 9");
    EXPECT_EQ(loads().back(), "Load window=1 path=" + huge + " value=0");

    // Pages of megabyte lines paint as fast as any page: only what can reach
    // the window is drawn (a whole line would be a million glyphs).
    for (int presses = 0; std::atoi(indicator_text(shown).c_str()) < 100; ++presses) {
        ASSERT_LT(presses, 100);
        press(VK_NEXT);
        shown = picture();
    }
    for (int row = 0; row < page_rows() - 1; ++row)
        EXPECT_EQ(row_text(shown, row, 0, 72), "") << row;
    press(VK_END);
    EXPECT_EQ(indicator_text(picture()), indicator(count, count));

    // The memory comes back: the next document opens whole.
    dialog = open_dialog_by_menu();
    ASSERT_NE(dialog, nullptr);
    confirm(dialog, small);
    ASSERT_TRUE(wait_gone(dialog));
    press(VK_HOME);
    shown = picture();
    EXPECT_EQ(indicator_text(shown), indicator(0, 10));
    EXPECT_EQ(row_text(shown, 9, 0, 72), "Small 9");
}

} // namespace
