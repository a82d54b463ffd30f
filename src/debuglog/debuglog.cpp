#include "debuglog.h"

#include "debuglog/module_path.h"

#include <windows.h>

#include <cstdarg>
#include <cstring>

namespace {

constexpr int FORMAT_LIMIT = 1024; // wsprintfA and wvsprintfA write at most this, NUL included
constexpr int RECORD_SIZE = 4096;
constexpr DWORD PATH_SIZE = 1024; // larger than MAX_PATH: a cut path is refused, never used

// Records from several processes are serialised by an exclusive lock on one
// byte far beyond any real end of file; only its holder looks for the end
// and writes there, so no two records can aim at the same place.
constexpr DWORD APPEND_GUARD_OFFSET_HIGH = 0x7FFFFFFF;
constexpr DWORD APPEND_GUARD_OFFSET_LOW = 0xFFFFFFFF;
constexpr int APPEND_GUARD_TRIES = 2000; // about two seconds of waiting at most

// The log's path beside the executable; false when it does not fit, so a
// record never goes to another file.
bool log_path(char *path, DWORD size) {
    char module[PATH_SIZE];
    DWORD length = GetModuleFileNameA(GetModuleHandleA(nullptr), module, PATH_SIZE);
    if (length == 0 || length >= PATH_SIZE)
        return false;
    return path_beside_module(module, "debug.log", path, size);
}

bool lock_append_guard(HANDLE file, OVERLAPPED *guard) {
    guard->Offset = APPEND_GUARD_OFFSET_LOW;
    guard->OffsetHigh = APPEND_GUARD_OFFSET_HIGH;
    for (int attempt = 0; attempt < APPEND_GUARD_TRIES; ++attempt) {
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, guard))
            return true;
        Sleep(1);
    }
    return false;
}

void append_record(const char *path, const char *record, DWORD length) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED guard{};
    if (lock_append_guard(file, &guard)) {
        LARGE_INTEGER end{};
        LARGE_INTEGER zero{};
        if (SetFilePointerEx(file, zero, &end, FILE_END)) {
            LockFile(file, end.LowPart, static_cast<DWORD>(end.HighPart), length, 0);
            DWORD written = 0;
            WriteFile(file, record, length, &written, nullptr);
            UnlockFile(file, end.LowPart, static_cast<DWORD>(end.HighPart), length, 0);
        }
        UnlockFileEx(file, 0, 1, 0, &guard);
    }
    CloseHandle(file);
}

} // namespace

void debug_print(const char *format, ...) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[FORMAT_LIMIT] = "";
    char time[FORMAT_LIMIT] = "";
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, &now, nullptr, date, FORMAT_LIMIT);
    GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, &now, nullptr, time, FORMAT_LIMIT);

    // Prefix and message are each cut by the bounded formatter; the record
    // buffer holds both and the line feed.
    char record[RECORD_SIZE];
    int length = wsprintfA(record, "%s %s %u: ", date, time, GetCurrentProcessId());
    va_list arguments;
    va_start(arguments, format);
    char message[FORMAT_LIMIT + 1] = "";
    wvsprintfA(message, format, arguments);
    va_end(arguments);
    // The formatter's own result differs between systems on overflow; the
    // text itself is what counts, at most 1,023 characters of it.
    int message_length = static_cast<int>(strnlen(message, FORMAT_LIMIT - 1));
    std::memcpy(record + length, message, static_cast<size_t>(message_length));
    length += message_length;
    record[length++] = '\n';

    char path[PATH_SIZE];
    if (!log_path(path, PATH_SIZE))
        return;
    append_record(path, record, static_cast<DWORD>(length));
}
