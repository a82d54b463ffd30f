#include "lines.h"

#include "line_file.h"
#include "lines_testing.h"
#include "slab_supply.h"
#include "text_stream.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t READ_BLOCK_SIZE = 256 * 1024;
constexpr size_t SMALLEST_READ_BLOCK = 4096; // a file may say 0 bytes and still hold some
// From this size on a helper thread makes the loader's blocks ready ahead;
// below it starting a thread would cost more than it saves.
constexpr unsigned long long HELPED_LOAD_SIZE = 8 * LINES_SLAB_SIZE;

LinesAllocator slab_allocator = nullptr;
size_t memory_limit = LINES_MEMORY_LIMIT;
unsigned long long helper_threshold = HELPED_LOAD_SIZE;

void *allocate_slab(size_t size) {
    return slab_allocator ? slab_allocator(size) : std::malloc(size);
}

// Lines are packed into slabs: one heap block holds many nodes with their
// texts, so loading costs one allocation per LINES_SLAB_SIZE bytes, not two
// per line. Slabs are chained in load order; the document's first node
// always lies first in the first slab, which is how lines_free finds them.
struct Slab {
    Slab *next;
    size_t used;
    size_t capacity;
};

constexpr size_t SLAB_HEADER =
    (sizeof(Slab) + alignof(LineNode) - 1) / alignof(LineNode) * alignof(LineNode);

Slab *slab_of_first_node(LineNode *node) {
    return reinterpret_cast<Slab *>(reinterpret_cast<char *>(node) - SLAB_HEADER);
}

struct Appender {
    LineNode **tail_link; // the list head, or the last node's `next`
    Slab *slab;           // the slab being filled
    size_t held;          // bytes of all slabs so far
    SlabSupply *supply;   // blocks made ready ahead, when a helper runs
    LineNode *placed;     // the node whose text place_line handed out
    size_t first_slab;    // the first slab's capacity when below LINES_SLAB_SIZE
};

size_t node_size(size_t text_length) {
    size_t size = sizeof(LineNode) + text_length + 1;
    return (size + alignof(LineNode) - 1) / alignof(LineNode) * alignof(LineNode);
}

// A small file is read into blocks of about its own size, not into a
// megabyte for a few lines: most documents are small, and mapping (and,
// under the sanitizers, poisoning) the large blocks costs more than reading
// them. A file holds at most one line per byte and its bytes of text.
size_t first_slab_for(unsigned long long file_size) {
    if (file_size >= LINES_SLAB_SIZE)
        return LINES_SLAB_SIZE;
    unsigned long long most = (file_size + 1) * node_size(0) + file_size;
    return most < LINES_SLAB_SIZE ? static_cast<size_t>(most) : LINES_SLAB_SIZE;
}

size_t read_block_for(unsigned long long file_size) {
    if (file_size >= READ_BLOCK_SIZE)
        return READ_BLOCK_SIZE;
    return file_size < SMALLEST_READ_BLOCK ? SMALLEST_READ_BLOCK : static_cast<size_t>(file_size);
}

// Room for one node of `size` bytes, in the current slab or a new one.
void *reserve_node(Appender *appender, size_t size) {
    Slab *slab = appender->slab;
    if (!slab || slab->capacity - slab->used < size) {
        size_t capacity =
            size > LINES_SLAB_SIZE - SLAB_HEADER ? size : LINES_SLAB_SIZE - SLAB_HEADER;
        if (!slab && size <= appender->first_slab && appender->first_slab < capacity)
            capacity = appender->first_slab;
        if (SLAB_HEADER + capacity > memory_limit - appender->held)
            return nullptr;
        size_t bytes = SLAB_HEADER + capacity;
        void *block = nullptr;
        if (appender->supply && bytes == LINES_SLAB_SIZE)
            block = slab_supply_take(appender->supply, appender->held + bytes);
        auto *fresh = static_cast<Slab *>(block ? block : allocate_slab(bytes));
        if (!fresh)
            return nullptr;
        appender->held += bytes;
        *fresh = Slab{nullptr, 0, capacity};
        if (slab)
            slab->next = fresh;
        appender->slab = slab = fresh;
    }
    void *room = reinterpret_cast<char *>(slab) + SLAB_HEADER + slab->used;
    slab->used += size;
    return room;
}

// Room for a line of `length` bytes and its node; the node is linked when the
// line arrives in that room.
LineNode *reserve_line(Appender *appender, size_t length) {
    if (length > static_cast<size_t>(-1) / 2)
        return nullptr;
    auto *node = static_cast<LineNode *>(reserve_node(appender, node_size(length)));
    if (node)
        node->text = reinterpret_cast<char *>(node + 1);
    return node;
}

// A line that arrived in pieces is joined straight into its node, so a long
// line is held twice at most while it is joined, never more.
char *place_line(void *context, size_t length) {
    auto *appender = static_cast<Appender *>(context);
    appender->placed = reserve_line(appender, length);
    return appender->placed ? appender->placed->text : nullptr;
}

bool append_line(void *context, std::string_view line) {
    auto *appender = static_cast<Appender *>(context);
    LineNode *node = appender->placed;
    appender->placed = nullptr;
    if (!node || line.data() != node->text) {
        node = reserve_line(appender, line.size());
        if (!node)
            return false;
        if (!line.empty())
            std::memcpy(node->text, line.data(), line.size());
    }
    node->text[line.size()] = '\0';
    node->length = line.size();
    node->next = nullptr;
    *appender->tail_link = node;
    appender->tail_link = &node->next;
    return true;
}

// Reads the whole file through the text-stream rule: LINES_LOAD_OK, or what
// cut it short.
int read_lines(LineFile *file, Appender *appender) {
    size_t block_size = read_block_for(line_file_size(file));
    char *block = static_cast<char *>(std::malloc(block_size));
    if (!block)
        return LINES_LOAD_NO_MEMORY;
    int result = LINES_LOAD_OK;
    try {
        TextStream stream;
        stream.line_limit = memory_limit;
        stream.place = place_line;
        for (;;) {
            long got = line_file_read(file, block, block_size);
            if (got < 0) {
                result = LINES_LOAD_READ_ERROR;
                break;
            }
            // The data ends at the end of the file or at a Ctrl+Z. Otherwise
            // the stream stops only when a line found no memory.
            if (got == 0 || !text_stream_feed(&stream, block, static_cast<size_t>(got), append_line,
                                              appender)) {
                if (!text_stream_finish(&stream, append_line, appender))
                    result = LINES_LOAD_NO_MEMORY;
                break;
            }
        }
    } catch (const std::bad_alloc &) {
        // A line too long to collect: keep what was read before it.
        result = LINES_LOAD_NO_MEMORY;
    }
    std::free(block);
    return result;
}

} // namespace

void lines_set_allocator(LinesAllocator allocator) {
    slab_allocator = allocator;
}

void lines_set_memory_limit(size_t bytes) {
    memory_limit = bytes ? bytes : LINES_MEMORY_LIMIT;
}

void lines_set_helper_threshold(unsigned long long bytes) {
    helper_threshold = bytes ? bytes : HELPED_LOAD_SIZE;
}

LineList lines_new() {
    return nullptr;
}

int lines_load(LineList *list, const char *path) {
    LinesRefusal refusal;
    return lines_load_explained(list, path, &refusal);
}

int lines_load_explained(LineList *list, const char *path, LinesRefusal *refusal) {
    LineFile *file = line_file_open(path, refusal);
    if (!file)
        return LINES_LOAD_FAILED;
    // The list must be empty: its slabs start with the first line.
    lines_free(list);
    Appender appender{list, nullptr, 0, nullptr, nullptr, first_slab_for(line_file_size(file))};
    SlabSupply supply;
    if (line_file_size(file) >= helper_threshold &&
        slab_supply_start(&supply, LINES_SLAB_SIZE, memory_limit, allocate_slab))
        appender.supply = &supply;
    int result = read_lines(file, &appender);
    slab_supply_stop(&supply);
    line_file_close(file);
    return result;
}

int lines_count(const LineList *list) {
    int count = 0;
    for (const LineNode *node = *list; node; node = node->next)
        ++count;
    return count;
}

void lines_free(LineList *list) {
    if (!*list)
        return;
    Slab *slab = slab_of_first_node(*list);
    *list = nullptr;
    while (slab) {
        Slab *next = slab->next;
        std::free(slab);
        slab = next;
    }
}
