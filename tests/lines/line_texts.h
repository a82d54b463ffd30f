// The texts of a loaded document's lines, for comparing with what a test wrote.
#pragma once

#include "lines/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// Also checks that every line's text is followed by a NUL.
inline Lines texts(const LineList &list) {
    Lines out;
    for (const LineNode *node = list; node; node = node->next) {
        EXPECT_EQ(node->text[node->length], '\0');
        out.emplace_back(node->text, node->length);
    }
    return out;
}
