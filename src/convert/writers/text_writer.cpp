#include "convert/writers/text_writer.h"

#include "convert/writers/output_buffer.h"
#include "text/text_line.h"

#include <cstring>

namespace {

// Bytes of a line converted per reservation: each yields one character of up
// to 3 bytes (4 stored), or a tab's fill of at most TAB_WIDTH bytes.
constexpr size_t STRETCH = 4096;
constexpr size_t STRETCH_ROOM = STRETCH * TAB_WIDTH + 16;
static_assert(STRETCH_ROOM <= OUTPUT_RESERVE_LIMIT);

// One line as text, stretch by stretch.
struct TextLine {
    const unsigned char *bytes;
    bool expand_tabs;
    LineCodeState state;

    // The bytes from `done` to `end` as text at `at`.
    void convert(char *&at, size_t &done, size_t end) {
        while (done < end) {
            walk(at, done, end);
            keep_column_in_range(state);
        }
    }

    void walk(char *&at, size_t &done, size_t end) {
        done = text_line_walk(
            state, bytes, done, end,
            [&](unsigned char glyph) { at = output_put_utf8(at, cp866_glyph_utf8(glyph)); },
            [&](int from, int to) {
                // Codes take no column on screen, so the output's column
                // is the screen's and a tab reaches the same stop.
                if (expand_tabs) {
                    std::memset(at, ' ', to - from);
                    at += to - from;
                } else {
                    *at++ = '\t';
                }
            });
    }
};

} // namespace

int text_export_write(const LineNode *first, const TextExportOptions &options, FILE *out,
                      ConvertProgress *progress) {
    OutputBuffer buffer;
    if (!output_buffer_open(buffer, out))
        return -1;
    ProgressCounter counter{progress};
    const char *line_end = options.crlf ? "\r\n" : "\n";
    const size_t line_end_length = options.crlf ? 2 : 1;

    for (const LineNode *line = first; line && !buffer.failed; line = line->next) {
        const auto *bytes = reinterpret_cast<const unsigned char *>(line->text);
        TextLine text{bytes, options.expand_tabs, {}};
        output_line_in_stretches(
            buffer, counter, line->length, STRETCH, STRETCH_ROOM,
            [&](char *&at, size_t &done, size_t end) { text.convert(at, done, end); });
        char *at = output_reserve(buffer, line_end_length);
        std::memcpy(at, line_end, line_end_length);
        output_commit(buffer, at + line_end_length);
    }
    progress_flush(counter);
    return output_finish(buffer);
}
