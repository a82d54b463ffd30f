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

struct LoadJob {
    std::string path;
    int result = 99;
};

DWORD WINAPI load_job(void *context) {
    auto *job = static_cast<LoadJob *>(context);
    LineList list = lines_new();
    job->result = lines_load(&list, job->path.c_str());
    lines_free(&list);
    return 0;
}

// lines_load on another thread, given five seconds; 99 when it did not return.
int load_with_timeout(const std::string &path) {
    auto *job = new LoadJob{path}; // leaked when the load hangs: the thread still uses it
    HANDLE thread = CreateThread(nullptr, 0, load_job, job, 0, nullptr);
    if (!thread)
        return 98;
    bool ended = WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0;
    CloseHandle(thread);
    if (!ended)
        return 99;
    int result = job->result;
    delete job;
    return result;
}

TEST(LinesSharing, PipesAndDevicesAreNotDocumentsAndNeverBlockTheLoad) {
    // A pipe whose other end never writes would keep the reader waiting for
    // good; so would a console or a serial port.
    std::string pipe = "\\\\.\\pipe\\korvel-lines-" + std::to_string(GetCurrentProcessId());
    HANDLE server = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                                     1, 4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    EXPECT_EQ(load_with_timeout(pipe), LINES_LOAD_FAILED);
    CloseHandle(server);
    for (const char *device : {"NUL", "CON", "CONIN$", "COM1", "\\\\.\\NUL"})
        EXPECT_EQ(load_with_timeout(device), LINES_LOAD_FAILED) << device;
    // A file still loads.
    TempDir dir;
    EXPECT_EQ(load_with_timeout(dir.write("doc.txt", "a\r\nb\r\n")), LINES_LOAD_OK);
}

} // namespace
