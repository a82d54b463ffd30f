// The common frame of the end-to-end tests: a fresh viewer folder per test
// and a viewer that never outlives its test.
#pragma once

#include "viewer_driver.h"

#include <gtest/gtest.h>

#include <string>

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
