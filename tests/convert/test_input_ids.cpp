// The inputs' file numbers across a run's two walks, past the first batches
// merged (the command tests never reach them).
#include "convert/input_ids.h"

#include <gtest/gtest.h>

TEST(ConvertInputIds, EachFileOncePerWalk) {
    constexpr uint64_t COUNT = 20000;
    auto id = [](uint64_t n) { return FileId{n % 3, n * 7919 % 100003}; }; // not in order
    InputIds ids;
    for (uint64_t n = 0; n < COUNT; ++n) {
        ASSERT_TRUE(ids.add(id(n))) << n;
        ASSERT_FALSE(ids.add(id(n / 2))) << n;      // a second name of one already reached
        ASSERT_FALSE(ids.contains(id(n + 1))) << n; // the first walk knows only what it reached
    }
    ids.first_walk_done();
    EXPECT_TRUE(ids.contains(id(COUNT - 1)));
    EXPECT_FALSE(ids.contains(id(COUNT)));
    for (uint64_t n = COUNT; n-- > 0;) {
        ASSERT_TRUE(ids.contains(id(n)));
        ASSERT_TRUE(ids.reach(id(n))) << n;
        ASSERT_FALSE(ids.reach(id(n))) << n;
    }
    // A file that appeared between the walks.
    EXPECT_TRUE(ids.reach(id(COUNT)));
    EXPECT_FALSE(ids.reach(id(COUNT)));
}
