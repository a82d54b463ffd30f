// What a debug log record costs the viewer: with the log free, and with
// another handle holding a lock over the whole file (as a program that locks
// the log would), when each record gives up and is dropped.
//   bench_debuglog [records]     (default 50; writes debug.log beside itself)
#include "debuglog/debuglog.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double milliseconds_per_record(int records) {
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < records; ++i)
        debug_print("bench record %d", i);
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart) / records;
}

LONGLONG file_size(HANDLE file) {
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    return size.QuadPart;
}

} // namespace

int main(int argc, char **argv) {
    int records = argc > 1 ? std::atoi(argv[1]) : 50;
    if (records <= 0)
        return 2;
    char exe[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 2;
    std::string log(exe);
    log = log.substr(0, log.rfind('\\')) + "\\debug.log";
    HANDLE holder =
        CreateFileA(log.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, 0, nullptr);
    if (holder == INVALID_HANDLE_VALUE)
        return 2;

    double free_ms = milliseconds_per_record(records);
    OVERLAPPED whole{};
    if (!LockFileEx(holder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                    MAXDWORD, &whole))
        return 3;
    LONGLONG size_before = file_size(holder);
    double locked_ms = milliseconds_per_record(records);
    LONGLONG size_after = file_size(holder);
    UnlockFileEx(holder, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(holder);

    std::printf("debug log, %d records each:\n", records);
    std::printf("  log free:               %.2f ms per record\n", free_ms);
    std::printf("  whole file locked:      %.2f ms per record (%s)\n", locked_ms,
                size_after == size_before ? "dropped" : "written");
    return 0;
}
