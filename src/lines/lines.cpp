#include "lines.h"

#include "line_file.h"
#include "lines_testing.h"
#include "text_stream.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t READ_BLOCK_SIZE = 256 * 1024;

LinesAllocator node_allocator = nullptr;

void *allocate_node(size_t size) { return node_allocator ? node_allocator(size) : std::malloc(size); }

// Where the next node goes: the list head, or the last node's `next`.
struct Appender {
    LineNode **tail_link;
};

// A node and its text share one heap block: the text follows the node.
bool append_line(void *context, std::string_view line) {
    auto *appender = static_cast<Appender *>(context);
    if (line.size() > static_cast<size_t>(-1) - sizeof(LineNode) - 1)
        return false;
    auto *node = static_cast<LineNode *>(allocate_node(sizeof(LineNode) + line.size() + 1));
    if (!node)
        return false;
    node->text = reinterpret_cast<char *>(node + 1);
    if (!line.empty())
        std::memcpy(node->text, line.data(), line.size());
    node->text[line.size()] = '\0';
    node->length = line.size();
    node->next = nullptr;
    *appender->tail_link = node;
    appender->tail_link = &node->next;
    return true;
}

// Reads the whole file through the text-stream rule; false when memory or a
// read error cut it short.
bool read_lines(LineFile *file, Appender *appender) {
    char *block = static_cast<char *>(std::malloc(READ_BLOCK_SIZE));
    if (!block)
        return false;
    bool whole = true;
    try {
        TextStream stream;
        for (;;) {
            long got = line_file_read(file, block, READ_BLOCK_SIZE);
            if (got < 0) {
                whole = false;
                break;
            }
            // The data ends at the end of the file or at a Ctrl+Z.
            if (got == 0 || !text_stream_feed(&stream, block, static_cast<size_t>(got),
                                              append_line, appender)) {
                whole = text_stream_finish(&stream, append_line, appender);
                break;
            }
        }
    } catch (const std::bad_alloc &) {
        // A line too long to hold: keep what was read before it.
        whole = false;
    }
    std::free(block);
    return whole;
}

} // namespace

void lines_set_allocator(LinesAllocator allocator) { node_allocator = allocator; }

LineList lines_new() { return nullptr; }

int lines_load(LineList *list, const char *path) {
    LineFile *file = line_file_open(path);
    if (!file)
        return LINES_LOAD_FAILED;
    // Append after whatever the list holds, so a misuse never loses lines.
    Appender appender{list};
    while (*appender.tail_link)
        appender.tail_link = &(*appender.tail_link)->next;
    bool whole = read_lines(file, &appender);
    line_file_close(file);
    return whole ? LINES_LOAD_OK : LINES_LOAD_PARTIAL;
}

int lines_count(const LineList *list) {
    int count = 0;
    for (const LineNode *node = *list; node; node = node->next)
        ++count;
    return count;
}

void lines_free(LineList *list) {
    while (LineNode *node = *list) {
        *list = node->next;
        std::free(node);
    }
}
