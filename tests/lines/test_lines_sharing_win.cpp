// Opening a document shares it: the viewer never locks others out, and only a
// program that refuses read sharing keeps the viewer from loading the file.
#include "lines/lines.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

int load_while_held(const std::string &path, DWORD access, DWORD share) {
    HANDLE held = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(held, INVALID_HANDLE_VALUE);
    LineList list = lines_new();
    int result = lines_load(&list, path.c_str());
    if (result == LINES_LOAD_OK) {
        EXPECT_EQ(lines_count(&list), 2);
        // While the viewer reads, the holder can still write.
    }
    lines_free(&list);
    CloseHandle(held);
    return result;
}

TEST(LinesSharing, OnlyAHolderWithoutReadSharingStopsTheLoad) {
    TempDir dir;
    std::string path = dir.write("doc.krv", "one\r\ntwo\r\n");
    EXPECT_EQ(load_while_held(path, GENERIC_READ, 0), LINES_LOAD_FAILED);
    EXPECT_EQ(load_while_held(path, GENERIC_WRITE, FILE_SHARE_WRITE), LINES_LOAD_FAILED);
    EXPECT_EQ(
        load_while_held(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
        LINES_LOAD_OK);
    // A writer that shares reading only: the viewer must not ask to deny writing.
    EXPECT_EQ(load_while_held(path, GENERIC_WRITE, FILE_SHARE_READ), LINES_LOAD_OK);
}

TEST(LinesSharing, LoaderDoesNotDenyOthersWhileOpen) {
    // The loader closes the file when done; a writer that opened the file
    // without sharing right after the load must succeed.
    TempDir dir;
    std::string path = dir.write("doc.krv", "x\r\n");
    LineList list = lines_new();
    ASSERT_EQ(lines_load(&list, path.c_str()), LINES_LOAD_OK);
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);
    lines_free(&list);
}

} // namespace
