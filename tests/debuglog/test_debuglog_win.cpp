// The debug log as users and several viewers see it: the record format, the
// cut at 1,023 characters, appending, failures that stay silent, and many
// processes appending at once.
#include "support/log_records.h"
#include "support/programs_win.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A test directory holding a copy of log_writer.exe.
struct LogDir {
    TempDir dir;
    std::string writer;
    LogDir() : writer(dir.file("log_writer.exe")) {
        fs::copy_file(test_bin_directory() + "\\log_writer.exe", writer);
    }
    std::string log() const { return dir.file("debug.log"); }
};

std::string formatted_now(bool date) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[1024] = "";
    if (date)
        GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, &now, nullptr, text, sizeof text);
    else
        GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, &now, nullptr, text, sizeof text);
    return text;
}

TEST(DebugLog, RecordHasDateTimeAndProcessPrefix) {
    LogDir dir;
    std::string date_before = formatted_now(true);
    std::string time_before = formatted_now(false);
    DWORD pid = 0;
    ASSERT_EQ(run_program(dir.writer, "format", &pid), 0u);
    std::string date_after = formatted_now(true);
    std::string time_after = formatted_now(false);

    std::string content = read_file(dir.log());
    ASSERT_EQ(content.find('\r'), std::string::npos);
    std::vector<std::string> lines = split_lines(content);
    ASSERT_EQ(lines.size(), 1u);
    const std::string &record = lines[0];

    std::string tail = " " + std::to_string(pid) + ": main.c: 580  value 42 hex 50 char Z";
    ASSERT_GE(record.size(), tail.size());
    EXPECT_EQ(record.substr(record.size() - tail.size()), tail);
    std::string date_time = record.substr(0, record.size() - tail.size());
    EXPECT_TRUE(date_time == date_before + " " + time_before ||
                date_time == date_after + " " + time_after)
        << date_time;
}

TEST(DebugLog, LongMessageIsCutAt1023Characters) {
    LogDir dir;
    ASSERT_EQ(run_program(dir.writer, "long 1023"), 0u);
    ASSERT_EQ(run_program(dir.writer, "long 5000"), 0u);
    std::vector<std::string> lines = split_lines(read_file(dir.log()));
    ASSERT_EQ(lines.size(), 2u);
    for (const std::string &line : lines) {
        std::string message = log_record_message(line).value_or("<no prefix>");
        EXPECT_EQ(message, std::string(1023, 'x'));
    }
}

TEST(DebugLog, MessageWithItsOwnLineFeedSpansTwoLines) {
    LogDir dir;
    ASSERT_EQ(run_program(dir.writer, "text first\\nsecond"), 0u);
    std::vector<std::string> lines = split_lines(read_file(dir.log()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(": first"), std::string::npos);
    EXPECT_EQ(lines[1], "second");
}

TEST(DebugLog, CreatesMissingFileAndAppendsToExisting) {
    LogDir dir;
    ASSERT_EQ(run_program(dir.writer, "text one"), 0u);
    ASSERT_EQ(split_lines(read_file(dir.log())).size(), 1u);

    LogDir kept;
    kept.dir.write("debug.log", "earlier content\n");
    ASSERT_EQ(run_program(kept.writer, "text two"), 0u);
    ASSERT_EQ(run_program(kept.writer, "text three"), 0u);
    std::vector<std::string> lines = split_lines(read_file(kept.log()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "earlier content");
    EXPECT_NE(lines[1].find(": two"), std::string::npos);
    EXPECT_NE(lines[2].find(": three"), std::string::npos);
}

TEST(DebugLog, UnwritableLogIsSilentlySkipped) {
    // debug.log taken by a directory: it cannot be opened as a file.
    LogDir blocked;
    fs::create_directory(blocked.log());
    EXPECT_EQ(run_program(blocked.writer, "records 3 blocked"), 0u);
    EXPECT_TRUE(fs::is_directory(blocked.log()));
    EXPECT_TRUE(fs::is_empty(blocked.log()));

    // Held by another program without write sharing: records are lost.
    LogDir held;
    held.dir.write("debug.log", "");
    HANDLE exclusive = CreateFileA(held.log().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(run_program(held.writer, "text lost"), 0u);
    CloseHandle(exclusive);
    EXPECT_EQ(read_file(held.log()), "");

    // A reader that shares read and write does not stop the log.
    HANDLE reader =
        CreateFileA(held.log().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(run_program(held.writer, "text kept"), 0u);
    CloseHandle(reader);
    EXPECT_NE(read_file(held.log()).find(": kept\n"), std::string::npos);
}

TEST(DebugLog, ConcurrentWritersNeverOverwriteEachOther) {
    LogDir dir;
    constexpr int WRITERS = 6;
    constexpr int RECORDS = 250;
    std::vector<HANDLE> processes;
    for (int w = 0; w < WRITERS; ++w) {
        std::string arguments = "records " + std::to_string(RECORDS) + " w" + std::to_string(w);
        HANDLE process = start_program(dir.writer, arguments);
        ASSERT_NE(process, nullptr);
        processes.push_back(process);
    }
    for (HANDLE process : processes) {
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }

    std::map<std::string, int> seen;
    for (const std::string &line : split_lines(read_file(dir.log()))) {
        std::string message = log_record_message(line).value_or("<no prefix>");
        ++seen[message];
    }
    ASSERT_EQ(seen.size(), static_cast<size_t>(WRITERS * RECORDS));
    for (int w = 0; w < WRITERS; ++w) {
        for (int i = 0; i < RECORDS; ++i) {
            std::string message = "w" + std::to_string(w) + " record " + std::to_string(i) +
                                  std::string(static_cast<size_t>(i % 97), '.');
            EXPECT_EQ(seen[message], 1) << message;
        }
    }
}

// Another program locking the whole file: each record once waited over two
// seconds for the append guard. Now it costs a few tens of milliseconds and
// is dropped (the lock would refuse the write anyway).
TEST(DebugLog, AWholeFileLockHeldElsewhereDropsRecordsQuickly) {
    LogDir dir;
    dir.dir.write("debug.log", "earlier\n");
    HANDLE holder =
        CreateFileA(dir.log().c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    OVERLAPPED whole{};
    ASSERT_TRUE(LockFileEx(holder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                           MAXDWORD, &whole));
    DWORD milliseconds = run_program(dir.writer, "timed 3 locked");
    UnlockFileEx(holder, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(holder);
    EXPECT_LT(milliseconds, 1000u);
    EXPECT_EQ(read_file(dir.log()), "earlier\n");
    ASSERT_EQ(run_program(dir.writer, "text free"), 0u);
    EXPECT_NE(read_file(dir.log()).find(": free\n"), std::string::npos);
}

// A disk that fills up part way through a record: nothing of it stays, and
// the next record follows the earlier content directly.
TEST(DebugLog, RecordCutShortByAFullDiskIsTakenBackWhole) {
    LogDir dir;
    dir.dir.write("debug.log", "earlier\n");
    ASSERT_EQ(run_program(dir.writer, "full 3 torn-record"), 0u);
    std::vector<std::string> lines = split_lines(read_file(dir.log()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "earlier");
    EXPECT_EQ(lines[1].find("torn"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].substr(lines[1].size() - 7), ": after");
}

} // namespace
