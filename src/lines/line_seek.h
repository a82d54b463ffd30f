// Reaching line i of a document without walking it from the head: a
// checkpoint every LINE_SEEK_STRIDE nodes, so any line is at most that many
// steps away. Built once per loaded document; a repaint then costs what the
// window shows, not what the document holds.
#pragma once

#include "lines.h"

#include <cstdint>
#include <vector>

constexpr int32_t LINE_SEEK_STRIDE = 1024;

struct LineSeek {
    const LineNode *head = nullptr;
    std::vector<const LineNode *> checkpoints; // node 0, STRIDE, 2 x STRIDE ...
};

// Takes the document anew (after every load or free).
void line_seek_reset(LineSeek *seek, const LineList *list);
// Line `index` of the document, or null when there is no such line.
const LineNode *line_seek_find(const LineSeek *seek, int32_t index);
