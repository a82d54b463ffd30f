#include "text_export.h"

#include "fonts/line_codes.h"
#include "output_buffer.h"

#include <cstring>

namespace {

// Bytes of a line converted per reservation: each yields one character of up
// to 3 bytes (4 stored), or a tab's fill of at most TAB_WIDTH bytes.
constexpr size_t STRETCH = 16384;
constexpr size_t STRETCH_ROOM = STRETCH * TAB_WIDTH + 16;
static_assert(STRETCH_ROOM <= OUTPUT_RESERVE_LIMIT);

// Fills from `column` to the tab stop `stop`: tabs, as many as the screen
// passed, or spaces. Codes take no column on screen, so the output's column
// is the screen's column and a tab lands on the same stop there.
char *fill_to(char *at, int column, int stop, bool expand_tabs) {
    if (expand_tabs) {
        std::memset(at, ' ', stop - column);
        return at + (stop - column);
    }
    int tabs = stop / TAB_WIDTH - column / TAB_WIDTH;
    std::memset(at, '\t', tabs);
    return at + tabs;
}

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
        LineCodeState state;
        LineGlyph glyph;
        int written = 0; // columns the output line has reached
        size_t done = 0;
        while (done < line->length && state.column < LINE_COLUMN_LIMIT) {
            size_t end = line->length - done < STRETCH ? line->length : done + STRETCH;
            size_t start = done;
            char *at = output_reserve(buffer, STRETCH_ROOM);
            for (; done < end && state.column < LINE_COLUMN_LIMIT; ++done) {
                if (line_codes_step(state, bytes[done], glyph)) {
                    at = output_put_utf8(at, cp866_glyph_utf8(glyph.code));
                    written = state.column;
                } else if (state.column != written) { // a tab
                    at = fill_to(at, written, state.column, options.expand_tabs);
                    written = state.column;
                }
            }
            output_commit(buffer, at);
            progress_count(counter, done - start);
        }
        progress_count(counter, line->length - done); // past the last column
        char *at = output_reserve(buffer, line_end_length);
        std::memcpy(at, line_end, line_end_length);
        output_commit(buffer, at + line_end_length);
    }
    progress_flush(counter);
    return output_finish(buffer);
}
