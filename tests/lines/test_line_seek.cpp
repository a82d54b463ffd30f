// Finding line i through the checkpoints gives the same node as walking the
// list, at every index around the checkpoint boundaries and past the end.
#include "lines/line_seek.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

TEST(LineSeek, FindsTheSameNodeAsAWalk) {
    constexpr int COUNT = 3 * LINE_SEEK_STRIDE + 5;
    std::vector<LineNode> nodes(COUNT);
    for (int i = 0; i < COUNT; ++i)
        nodes[i] = LineNode{nullptr, i + 1 < COUNT ? &nodes[i + 1] : nullptr, 0};
    LineList list = &nodes[0];
    LineSeek seek;
    line_seek_reset(&seek, &list);
    for (int i : {0, 1, LINE_SEEK_STRIDE - 1, LINE_SEEK_STRIDE, LINE_SEEK_STRIDE + 1,
                  3 * LINE_SEEK_STRIDE, COUNT - 1})
        EXPECT_EQ(line_seek_find(&seek, i), &nodes[i]) << i;
    EXPECT_EQ(line_seek_find(&seek, COUNT), nullptr);
    EXPECT_EQ(line_seek_find(&seek, 10 * LINE_SEEK_STRIDE), nullptr);
    EXPECT_EQ(line_seek_find(&seek, -1), nullptr);

    LineList empty = nullptr;
    line_seek_reset(&seek, &empty);
    EXPECT_EQ(line_seek_find(&seek, 0), nullptr);
}

} // namespace
