// The loader on real files: the text-stream rule, data that must never be
// lost (long lines, NUL bytes, an unterminated last line), files that cannot
// be opened, and running out of memory part way.
#include "lines/lines.h"
#include "lines/lines_testing.h"
#include "line_texts.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

struct Loaded {
    int result;
    Lines lines;
    int count;
};

Loaded load_bytes(const std::string &bytes) {
    TempDir dir;
    std::string path = dir.write("doc.krv", bytes);
    LineList list = lines_new();
    int result = lines_load(&list, path.c_str());
    Loaded loaded{result, texts(list), lines_count(&list)};
    lines_free(&list);
    EXPECT_EQ(list, nullptr);
    return loaded;
}

TEST(LinesLoad, KeepsEveryLineByTheTextStreamRule) {
    EXPECT_EQ(load_bytes("").lines, Lines{});
    EXPECT_EQ(load_bytes("").result, LINES_LOAD_OK);
    EXPECT_EQ(load_bytes("abc").lines, Lines{"abc"});
    EXPECT_EQ(load_bytes("abc\r\ndef").lines, (Lines{"abc", "def"}));
    EXPECT_EQ(load_bytes("abc\r\n\r\ndef\r\n").lines, (Lines{"abc", "", "def"}));
    EXPECT_EQ(load_bytes("abc\n\ndef\n").lines, (Lines{"abc", "", "def"}));
    EXPECT_EQ(load_bytes("a\rb\r\n").lines, Lines{"a\rb"});
    EXPECT_EQ(load_bytes("abc\r\nde\x1A"
                         "fg\r\n")
                  .lines,
              (Lines{"abc", "de"}));
    EXPECT_EQ(load_bytes("\xFF\xE8"
                         "ctl\r\n\xFF\xFF"
                         "x\r\n")
                  .lines,
              Lines{"\xFF\xFF"
                    "x"});
    Loaded counted = load_bytes("1\r\n2\r\n3\r\n");
    EXPECT_EQ(counted.count, 3);
    EXPECT_EQ(counted.result, LINES_LOAD_OK);
}

TEST(LinesLoad, LongLinesAndNulBytesSurviveWhole) {
    for (size_t length : {510u, 511u, 600u, 1022u, 300000u}) {
        std::string line(length, 'q');
        line[length / 2] = '\xFF';
        EXPECT_EQ(load_bytes(line + "\r\nnext\r\n").lines, (Lines{line, "next"})) << length;
    }
    std::string with_nul("ab\0cd", 5);
    Loaded loaded = load_bytes(with_nul + "\r\n" + with_nul);
    EXPECT_EQ(loaded.lines, (Lines{with_nul, with_nul}));
}

TEST(LinesLoad, LinesSpanningReadBlocks) {
    // Lines of varied lengths, CR LF pairs falling on every block boundary.
    std::string bytes;
    Lines expected;
    unsigned seed = 7;
    while (bytes.size() < 1500000) {
        seed = seed * 1103515245 + 12345;
        std::string line((seed >> 8) % 3000, static_cast<char>('A' + seed % 26));
        expected.push_back(line);
        bytes += line + "\r\n";
    }
    EXPECT_EQ(load_bytes(bytes).lines, expected);
}

TEST(LinesLoad, FilesThatCannotBeOpened) {
    TempDir dir;
    LineList list = lines_new();
    EXPECT_EQ(lines_load(&list, dir.file("missing.krv").c_str()), LINES_LOAD_FAILED);
    EXPECT_EQ(lines_load(&list, ""), LINES_LOAD_FAILED);
    EXPECT_EQ(lines_load(&list, dir.path.string().c_str()), LINES_LOAD_FAILED);
#ifndef _WIN32
    // Not files on a disk: a FIFO nobody writes to would block the reader.
    std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(lines_load(&list, fifo.c_str()), LINES_LOAD_FAILED);
    EXPECT_EQ(lines_load(&list, "/dev/null"), LINES_LOAD_FAILED);
#endif
    EXPECT_EQ(list, nullptr);
}

#ifdef __linux__
// A read error is told apart from running out of memory: /proc/self/mem is a
// regular file whose first bytes (address 0) cannot be read.
TEST(LinesLoad, AReadErrorIsReportedAsSuch) {
    LineList list = lines_new();
    EXPECT_EQ(lines_load(&list, "/proc/self/mem"), LINES_LOAD_READ_ERROR);
    EXPECT_EQ(list, nullptr);
}
#endif

TEST(LinesLoad, FreeEmptiesAndTheListCanBeLoadedAgain) {
    TempDir dir;
    std::string path = dir.write("doc.txt", "one\r\ntwo\r\n");
    LineList list = lines_new();
    lines_free(&list);
    EXPECT_EQ(list, nullptr);
    ASSERT_EQ(lines_load(&list, path.c_str()), LINES_LOAD_OK);
    lines_free(&list);
    EXPECT_EQ(lines_count(&list), 0);
    ASSERT_EQ(lines_load(&list, path.c_str()), LINES_LOAD_OK);
    EXPECT_EQ(texts(list), (Lines{"one", "two"}));
    lines_free(&list);
}

int allocations_left;
void *failing_allocator(size_t size) {
    return allocations_left-- > 0 ? std::malloc(size) : nullptr;
}

TEST(LinesLoad, OutOfMemoryKeepsTheLinesReadSoFar) {
    TempDir dir;
    // Each line is larger than a block, so each needs an allocation of its own.
    Lines five;
    std::string bytes;
    for (char letter : std::string("abcde")) {
        five.emplace_back(LINES_SLAB_SIZE, letter);
        bytes += five.back() + "\r\n";
    }
    std::string path = dir.write("doc.txt", bytes);
    LineList list = lines_new();
    allocations_left = 3;
    lines_set_allocator(failing_allocator);
    int result = lines_load(&list, path.c_str());
    lines_set_allocator(nullptr);
    EXPECT_EQ(result, LINES_LOAD_NO_MEMORY);
    EXPECT_EQ(texts(list), Lines(five.begin(), five.begin() + 3));
    EXPECT_EQ(lines_count(&list), 3);
    lines_free(&list);

    // Short lines share blocks: the first failure keeps every line before it.
    std::string many;
    for (int i = 0; i < 60000; ++i)
        many += "line " + std::to_string(i) + "\r\n";
    path = dir.write("many.txt", many);
    allocations_left = 1;
    lines_set_allocator(failing_allocator);
    result = lines_load(&list, path.c_str());
    lines_set_allocator(nullptr);
    EXPECT_EQ(result, LINES_LOAD_NO_MEMORY);
    Lines kept = texts(list);
    ASSERT_GT(kept.size(), 1000u);
    ASSERT_LT(kept.size(), 60000u);
    for (size_t i = 0; i < kept.size(); ++i)
        ASSERT_EQ(kept[i], "line " + std::to_string(i));
    lines_free(&list);
}

TEST(LinesLoad, ADocumentOverTheMemoryLimitIsLoadedUpToItAndReportedPartial) {
    TempDir dir;
    // About 8 MB of short lines against a limit of three blocks.
    std::string many;
    for (int i = 0; i < 400000; ++i)
        many += "line " + std::to_string(i) + " of a document too large to hold\r\n";
    std::string path = dir.write("many.txt", many);
    LineList list = lines_new();
    lines_set_memory_limit(3 * LINES_SLAB_SIZE);
    int result = lines_load(&list, path.c_str());
    EXPECT_EQ(result, LINES_LOAD_NO_MEMORY);
    Lines kept = texts(list);
    ASSERT_GT(kept.size(), 10000u);
    ASSERT_LT(kept.size(), 400000u);
    for (size_t i = 0; i < kept.size(); ++i)
        ASSERT_EQ(kept[i], "line " + std::to_string(i) + " of a document too large to hold");
    lines_free(&list);

    // A single line larger than the limit, read in many blocks, ends the load
    // with the lines before it kept.
    std::string giant =
        "first\r\nsecond\r\n" + std::string(4 * LINES_SLAB_SIZE, 'g') + "\r\nlast\r\n";
    path = dir.write("giant.txt", giant);
    EXPECT_EQ(lines_load(&list, path.c_str()), LINES_LOAD_NO_MEMORY);
    EXPECT_EQ(texts(list), (Lines{"first", "second"}));
    lines_free(&list);

    // Within the limit the same document loads whole; 0 restores the default.
    lines_set_memory_limit(0);
    EXPECT_EQ(lines_load(&list, path.c_str()), LINES_LOAD_OK);
    EXPECT_EQ(lines_count(&list), 4);
    lines_free(&list);
}

} // namespace
