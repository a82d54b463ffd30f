#include "line_seek.h"

#include <new>

void line_seek_reset(LineSeek *seek, const LineList *list) {
    seek->head = *list;
    seek->checkpoints.clear();
    try {
        int32_t index = 0;
        for (const LineNode *node = *list; node; node = node->next, ++index)
            if (index % LINE_SEEK_STRIDE == 0)
                seek->checkpoints.push_back(node);
    } catch (const std::bad_alloc &) {
        // Without checkpoints every lookup walks from the head: slower, same result.
        seek->checkpoints.clear();
    }
}

const LineNode *line_seek_find(const LineSeek *seek, int32_t index) {
    if (index < 0)
        return nullptr;
    const LineNode *node = seek->head;
    int32_t steps = index;
    if (!seek->checkpoints.empty()) {
        size_t checkpoint = static_cast<size_t>(index / LINE_SEEK_STRIDE);
        if (checkpoint >= seek->checkpoints.size())
            checkpoint = seek->checkpoints.size() - 1;
        node = seek->checkpoints[checkpoint];
        steps = index - static_cast<int32_t>(checkpoint) * LINE_SEEK_STRIDE;
    }
    for (; node && steps > 0; --steps)
        node = node->next;
    return node;
}
