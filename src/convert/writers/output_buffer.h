// A large output buffer in front of a stdio stream, for writers that produce
// output a few bytes at a time: they reserve room for a whole stretch, fill it
// through a plain pointer and hand back the end, so a byte costs a store.
#pragma once

#include "convert/writers/progress.h"
#include "fonts/line_codes.h"
#include "text/cp866_unicode.h"

#include <cstdio>
#include <cstring>
#include <memory>

struct OutputBuffer {
    FILE *out = nullptr;
    std::unique_ptr<char[]> data;
    size_t capacity = 0;
    size_t used = 0;
    bool failed = false; // a write failed; nothing more is written
};

// The largest stretch one reservation may ask for.
constexpr size_t OUTPUT_RESERVE_LIMIT = size_t{1} << 17;

// Sets up `buffer` for `out`; false when memory runs out.
bool output_buffer_open(OutputBuffer &buffer, FILE *out);

// Room for `bytes` (at most OUTPUT_RESERVE_LIMIT) at the returned pointer,
// writing out what the buffer holds when needed. Fill it, then call
// output_commit with the end of what was filled.
char *output_reserve(OutputBuffer &buffer, size_t bytes);

inline void output_commit(OutputBuffer &buffer, const char *end) {
    buffer.used = static_cast<size_t>(end - buffer.data.get());
}

inline void output_append(OutputBuffer &buffer, const char *bytes, size_t length) {
    while (length > 0) {
        size_t part = length < OUTPUT_RESERVE_LIMIT ? length : OUTPUT_RESERVE_LIMIT;
        char *at = output_reserve(buffer, part);
        std::memcpy(at, bytes, part);
        output_commit(buffer, at + part);
        bytes += part;
        length -= part;
    }
}

// Puts the UTF-8 of a character at `at`; stores 4 bytes, so 4 must be reserved.
inline char *output_put_utf8(char *at, const Utf8Char &character) {
    std::memcpy(at, character.bytes, 4);
    return at + character.length;
}

// Writes out the rest and flushes the stream: 0, or -1 when any write failed.
int output_finish(OutputBuffer &buffer);

// Writes one line of `length` bytes in stretches of at most `stretch` bytes,
// reserving `room` output bytes for each: convert(at, done, end) writes the
// output of the bytes from `done` to `end` at `at`, advancing both. Every
// byte of the line is counted in `counter`.
template <typename Convert>
void output_line_in_stretches(OutputBuffer &buffer, ProgressCounter &counter, size_t length,
                              size_t stretch, size_t room, Convert &&convert) {
    for (size_t done = 0; done < length;) {
        size_t end = length - done < stretch ? length : done + stretch;
        size_t start = done;
        char *at = output_reserve(buffer, room);
        convert(at, done, end);
        output_commit(buffer, at);
        progress_count(counter, done - start);
    }
}

// Text keeps a line whole, however far it reaches: past the screen's last
// column it goes on with the column taken back by a whole number of tab
// stops, which tabs still need, so that it never overflows.
inline void keep_column_in_range(LineCodeState &state) {
    static_assert(LINE_COLUMN_LIMIT % TAB_WIDTH == 0);
    if (state.column >= LINE_COLUMN_LIMIT)
        state.column -= LINE_COLUMN_LIMIT;
}
