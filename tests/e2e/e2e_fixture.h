// The common frame of the end-to-end tests: a fresh viewer folder per test
// and a viewer that never outlives its test.
#pragma once

#include "viewer_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// The title of the viewer's load boxes, "Ошибка загрузки файла" (CP1251).
inline const std::string LOAD_ERROR_CAPTION =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xE7\xE0\xE3\xF0\xF3\xE7\xEA\xE8 \xF4\xE0\xE9\xEB\xE0";

// Replaces the viewer of a prepared folder with the one built with a memory
// limit of four megabytes, so that a small document is loaded only in part.
inline void folder_use_small_limit_viewer(const TempDir &folder) {
    std::filesystem::copy_file(KORVEL_E2E_SMALL_LIMIT_EXE, folder_exe(folder),
                               std::filesystem::copy_options::overwrite_existing);
}

// "Line 0\r\n" ... "Line <count - 1>\r\n".
std::string numbered_lines(int count, const char *prefix = "Line ");

class Viewer : public ::testing::Test {
  protected:
    TempDir folder;
    ViewerRun run;

    void TearDown() override { viewer_close_handles(run); }

    // Quoted Windows path of a document in the folder.
    std::string quoted(const std::string &name) const { return "\"" + folder.file(name) + "\""; }
    int page_rows() const {
        RECT client;
        GetClientRect(run.window, &client);
        return (client.bottom - client.top) / LINE_HEIGHT;
    }
    Picture picture() const { return capture_client(run.window); }
    // File > Exit, and the viewer ends with exit code 0.
    void exit_by_menu() {
        PostMessageA(run.window, WM_COMMAND, IDM_EXIT, 0);
        EXPECT_EQ(viewer_wait_exit(run), 0);
    }
    // Posts the key and waits until the viewer has handled and painted it.
    void press(UINT key) {
        post_key(run.window, key);
        ASSERT_TRUE(viewer_sync(run));
    }
};
