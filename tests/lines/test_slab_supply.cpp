// The helper that makes the loader's blocks ready ahead, alone and inside
// loads of documents large enough to use it.
#include "lines/lines.h"
#include "lines/lines_testing.h"
#include "lines/slab_supply.h"
#include "line_texts.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::atomic<int> allocations{0};
std::atomic<int> allocations_left{0};

// Thread-safe: the helper allocates on its own thread.
void *counting_allocator(size_t size) {
    if (allocations_left.fetch_sub(1) <= 0)
        return nullptr;
    ++allocations;
    return std::malloc(size);
}

void allow_allocations(int count) {
    allocations = 0;
    allocations_left = count;
}

// Waits until the helper has made `count` allocations, or a few seconds.
bool wait_for_allocations(int count) {
    for (int i = 0; i < 500 && allocations < count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return allocations >= count;
}

constexpr size_t BLOCK = 64 * 1024;

TEST(SlabSupply, PreparesBlocksAheadWithinDepthAndLimit) {
    allow_allocations(1000);
    SlabSupply supply;
    ASSERT_TRUE(slab_supply_start(&supply, BLOCK, 100 * BLOCK, counting_allocator));
    ASSERT_TRUE(wait_for_allocations(static_cast<int>(SLAB_SUPPLY_DEPTH)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(allocations, static_cast<int>(SLAB_SUPPLY_DEPTH)) << "more than its depth";

    // Taken blocks are whole, writable and replaced.
    std::vector<void *> taken;
    for (size_t i = 0; i < SLAB_SUPPLY_DEPTH; ++i) {
        void *block = slab_supply_take(&supply, (i + 1) * BLOCK);
        ASSERT_NE(block, nullptr);
        std::memset(block, 'x', BLOCK);
        taken.push_back(block);
    }
    EXPECT_TRUE(wait_for_allocations(static_cast<int>(2 * SLAB_SUPPLY_DEPTH)));
    slab_supply_stop(&supply); // frees the blocks not taken (the leak check sees it)
    for (void *block : taken)
        std::free(block);

    // The loader's holdings and the ready blocks stay within the limit.
    allow_allocations(1000);
    ASSERT_TRUE(slab_supply_start(&supply, BLOCK, 3 * BLOCK, counting_allocator));
    ASSERT_TRUE(wait_for_allocations(3));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(allocations, 3);
    void *block = slab_supply_take(&supply, 3 * BLOCK);
    ASSERT_NE(block, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(allocations, 3) << "prepared a block beyond the limit";
    std::free(block);
    slab_supply_stop(&supply);

    // Out of memory: nothing more is supplied, and stopping still works.
    allow_allocations(2);
    ASSERT_TRUE(slab_supply_start(&supply, BLOCK, 100 * BLOCK, counting_allocator));
    ASSERT_TRUE(wait_for_allocations(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (int i = 0; i < 2; ++i) {
        block = slab_supply_take(&supply, BLOCK);
        ASSERT_NE(block, nullptr);
        std::free(block);
    }
    EXPECT_EQ(slab_supply_take(&supply, BLOCK), nullptr);
    slab_supply_stop(&supply);
    // Stopping twice, or a supply never started, is harmless.
    slab_supply_stop(&supply);
    SlabSupply idle;
    EXPECT_EQ(slab_supply_take(&idle, BLOCK), nullptr);
    slab_supply_stop(&idle);
}

// A document of `megabytes` or more, large enough for the helper: short and
// long lines (some longer than a block), CR LF pairs across read blocks,
// NUL bytes, lone CRs and control lines. `expected` receives its lines.
std::string large_document(size_t megabytes, Lines *expected) {
    std::string bytes;
    unsigned seed = 11;
    for (size_t n = 0; bytes.size() < megabytes * 1048576; ++n) {
        seed = seed * 1103515245 + 12345;
        size_t length = n % 997 == 500 ? LINES_SLAB_SIZE + (seed >> 8) % 300000 : (seed >> 8) % 200;
        std::string line(length, static_cast<char>('a' + n % 26));
        if (length > 3 && n % 7 == 0)
            line[length / 2] = '\0';
        if (length > 3 && n % 11 == 0)
            line[1] = '\r';
        if (n % 13 == 0) {
            bytes += "\xFF\xE8 control\r\n";
        }
        expected->push_back(line);
        bytes += line + (n % 3 ? "\r\n" : "\n");
    }
    return bytes;
}

TEST(SlabSupply, LargeDocumentsLoadWholeAndStopCleanly) {
    TempDir dir;
    Lines expected;
    std::string bytes = large_document(12, &expected);
    std::string path = dir.write("large.txt", bytes);
    LineList list = lines_new();
    ASSERT_EQ(lines_load(&list, path.c_str()), LINES_LOAD_OK);
    EXPECT_EQ(texts(list), expected);
    EXPECT_EQ(lines_count(&list), static_cast<int>(expected.size()));
    lines_free(&list);

    // A Ctrl+Z early in a large file: the helper stops with the load.
    std::string cut = bytes;
    size_t end = cut.find('\n', 1048576);
    cut[end + 1] = '\x1A';
    path = dir.write("cut.txt", cut);
    ASSERT_EQ(lines_load(&list, path.c_str()), LINES_LOAD_OK);
    Lines kept = texts(list);
    ASSERT_GT(kept.size(), 100u);
    ASSERT_LT(kept.size(), expected.size());
    EXPECT_EQ(kept, Lines(expected.begin(), expected.begin() + kept.size()));
    lines_free(&list);
}

TEST(SlabSupply, RunningOutOfMemoryInALargeLoadKeepsTheLinesReadSoFar) {
    TempDir dir;
    Lines expected;
    std::string path = dir.write("large.txt", large_document(12, &expected));
    LineList list = lines_new();
    for (int allowed : {0, 1, 5}) {
        allow_allocations(allowed);
        lines_set_allocator(counting_allocator);
        int result = lines_load(&list, path.c_str());
        lines_set_allocator(nullptr);
        EXPECT_EQ(result, LINES_LOAD_NO_MEMORY) << allowed;
        Lines kept = texts(list);
        ASSERT_LT(kept.size(), expected.size()) << allowed;
        EXPECT_EQ(kept, Lines(expected.begin(), expected.begin() + kept.size())) << allowed;
        EXPECT_EQ(lines_count(&list), static_cast<int>(kept.size()));
        lines_free(&list);
    }
}

} // namespace
