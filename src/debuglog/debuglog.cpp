#include "debuglog.h"

#include "debuglog/debuglog_testing.h"
#include "debuglog/module_file_name.h"

#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstring>

namespace {

constexpr int FORMAT_LIMIT = 1024; // wsprintfA and wvsprintfA write at most this, NUL included
constexpr int RECORD_SIZE = 4096;

// Writers on this machine take turns through a named mutex per log, whose
// waiters are queued fairly: polling a lock alone let one writer starve for
// seconds while others kept taking it. A turn lasts one record, whose wait
// for the guard below is bounded, so the turn comes soon; the limit is for a
// writer that stopped while holding it.
constexpr DWORD TURN_WAIT_MS = 500;
// Under its turn a writer also takes an exclusive lock on one byte far beyond
// any real end of file, which serialises writers on other machines sharing
// the file; only its holder looks for the end and writes there, so no two
// records can aim at the same place.
constexpr DWORD APPEND_GUARD_OFFSET_HIGH = 0x7FFFFFFF;
constexpr DWORD APPEND_GUARD_OFFSET_LOW = 0xFFFFFFFF;
// Another program can hold that byte as long as it likes by locking the whole
// file. After this wait the record is dropped rather than written unguarded:
// such a lock covers the end of the file too, where the system refuses the
// write anyway, and an unguarded write could land on another writer's record.
constexpr double APPEND_GUARD_WAIT_MS = 20.0;
constexpr int APPEND_GUARD_YIELDS = 20; // retries that only yield before sleeping

LogWriteFile write_file = WriteFile;

// The log's path beside the executable; false when it does not fit, so a
// record never goes to another file.
bool log_path(char (&path)[MODULE_PATH_SIZE]) {
    char exe[MODULE_PATH_SIZE];
    return module_file_name(GetModuleHandleA(nullptr), exe) &&
           path_beside_module(path, MODULE_PATH_SIZE, exe, NoBackslash::NAME_IS_FOLDER,
                              {"debug.log"});
}

double milliseconds_since(const LARGE_INTEGER &start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// The mutex that gives this log's writers their turns, held. Null when the
// turn did not come in time, or with `no_turns` set when the system gave no
// mutex (the guard alone then serialises).
HANDLE take_turn(const char *path, bool *no_turns) {
    char upper[MODULE_PATH_SIZE];
    lstrcpynA(upper, path, MODULE_PATH_SIZE);
    CharUpperA(upper);           // one file, however its name is spelt
    uint32_t hash = 2166136261u; // FNV-1a
    for (const char *at = upper; *at; ++at)
        hash = (hash ^ static_cast<unsigned char>(*at)) * 16777619u;
    char name[64];
    wsprintfA(name, "Local\\KorvelDebugLog-%08X", hash);
    HANDLE turn = CreateMutexA(nullptr, FALSE, name);
    *no_turns = turn == nullptr;
    if (!turn)
        return nullptr;
    DWORD waited = WaitForSingleObject(turn, TURN_WAIT_MS);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        return turn;
    CloseHandle(turn);
    return nullptr;
}

bool lock_append_guard(HANDLE file, OVERLAPPED *guard) {
    guard->Offset = APPEND_GUARD_OFFSET_LOW;
    guard->OffsetHigh = APPEND_GUARD_OFFSET_HIGH;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    for (int attempt = 0;; ++attempt) {
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, guard))
            return true;
        if (milliseconds_since(start) >= APPEND_GUARD_WAIT_MS)
            return false;
        // Sleep(1) can last 15 ms on Windows: a few yields first.
        if (attempt < APPEND_GUARD_YIELDS)
            SwitchToThread();
        else
            Sleep(1);
    }
}

// Writes the record at `end` whole or not at all: a short write (a full
// disk) is cut off again, so the next record does not start inside it.
void write_record(HANDLE file, LARGE_INTEGER end, const char *record, DWORD length) {
    DWORD written = 0;
    if (write_file(file, record, length, &written, nullptr) && written == length)
        return;
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN))
        SetEndOfFile(file);
}

void append_under_guard(HANDLE file, const char *record, DWORD length) {
    OVERLAPPED guard{};
    if (lock_append_guard(file, &guard)) {
        LARGE_INTEGER end{};
        LARGE_INTEGER zero{};
        if (SetFilePointerEx(file, zero, &end, FILE_END)) {
            LockFile(file, end.LowPart, static_cast<DWORD>(end.HighPart), length, 0);
            write_record(file, end, record, length);
            UnlockFile(file, end.LowPart, static_cast<DWORD>(end.HighPart), length, 0);
        }
        UnlockFileEx(file, 0, 1, 0, &guard);
    }
}

void append_record(const char *path, const char *record, DWORD length) {
    bool no_turns = false;
    HANDLE turn = take_turn(path, &no_turns);
    if (!turn && !no_turns)
        return;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        append_under_guard(file, record, length);
        CloseHandle(file);
    }
    if (turn) {
        ReleaseMutex(turn);
        CloseHandle(turn);
    }
}

} // namespace

void debuglog_set_write(LogWriteFile write) {
    write_file = write ? write : WriteFile;
}

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

    char path[MODULE_PATH_SIZE];
    if (!log_path(path))
        return;
    append_record(path, record, static_cast<DWORD>(length));
}
