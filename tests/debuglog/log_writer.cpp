// Writes debug log records on command, for the log tests: it is copied into
// a test directory and run there, so its debug.log lands in that directory.
//   log_writer records N TAG   N records "TAG record I" padded to varied lengths
//   log_writer long N          one message of N 'x' characters
//   log_writer text TEXT       one message: TEXT as it is (may hold a line feed)
//   log_writer format          one record using %s %d %u %X %c conversions
//   log_writer timed N TAG     N records "TAG I"; the exit code is the
//                              milliseconds they took, at most 60,000
//   log_writer full N TEXT     one record TEXT on a disk that fills up N bytes
//                              before the record's end, then one record "after"
#include "debuglog/debuglog.h"
#include "debuglog/debuglog_testing.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

DWORD bytes_short = 0;

// WriteFile on a disk that has room for all but `bytes_short` bytes.
BOOL WINAPI write_until_full(HANDLE file, LPCVOID bytes, DWORD length, LPDWORD written,
                             LPOVERLAPPED overlapped) {
    DWORD fits = length > bytes_short ? length - bytes_short : 0;
    BOOL whole = WriteFile(file, bytes, fits, written, overlapped) && fits == length;
    if (!whole)
        SetLastError(ERROR_DISK_FULL);
    return whole;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2)
        return 2;
    std::string mode = argv[1];
    if (mode == "records" && argc == 4) {
        int count = std::atoi(argv[2]);
        for (int i = 0; i < count; ++i) {
            std::string padding(static_cast<size_t>(i % 97), '.');
            debug_print("%s record %d%s", argv[3], i, padding.c_str());
        }
    } else if (mode == "long" && argc == 3) {
        std::string text(static_cast<size_t>(std::atoi(argv[2])), 'x');
        debug_print("%s", text.c_str());
    } else if (mode == "text" && argc == 3) {
        std::string text = argv[2];
        for (size_t at; (at = text.find("\\n")) != std::string::npos;)
            text.replace(at, 2, "\n");
        debug_print("%s", text.c_str());
    } else if (mode == "format") {
        debug_print("%s: %d  value %u hex %X char %c", "main.c", 580, 42u, 0x50, 'Z');
    } else if (mode == "timed" && argc == 4) {
        DWORD start = GetTickCount();
        for (int i = 0, count = std::atoi(argv[2]); i < count; ++i)
            debug_print("%s %d", argv[3], i);
        DWORD took = GetTickCount() - start;
        return static_cast<int>(took < 60000 ? took : 60000);
    } else if (mode == "full" && argc == 4) {
        bytes_short = static_cast<DWORD>(std::atoi(argv[2]));
        debuglog_set_write(write_until_full);
        debug_print("%s", argv[3]);
        debuglog_set_write(nullptr);
        debug_print("after");
    } else {
        return 2;
    }
    return 0;
}
