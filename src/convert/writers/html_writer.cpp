#include "convert/writers/html_writer.h"

#include "fonts/line_codes.h"
#include "convert/writers/output_buffer.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

// Fonts 1-9 as classes .f1-.f9 (font 0 is the page's own), underline as .u.
// A run's characters keep their cells: superscript and subscript are the
// letters squeezed to the upper or lower half of the cell, as the screen's
// 8-row faces are; outline and double-struck are drawn with shadows.
constexpr std::string_view PAGE_STYLE = R"(<style>
body { margin: 0; background: #fff; color: #000; }
pre { margin: 8px; font-family: "DejaVu Sans Mono", "Liberation Mono", Consolas, "Courier New", monospace;
  font-size: 16px; line-height: normal; tab-size: 8; -moz-tab-size: 8; font-variant-ligatures: none; }
.u { text-decoration: underline; text-decoration-skip-ink: none; }
.f1 { font-weight: bold; }
.f2 { font-style: italic; }
.f3 { font-weight: bold; font-style: italic; }
.f4, .f5 { display: inline-block; transform: scaleY(0.5); }
.f4 { transform-origin: 50% 15%; }
.f5 { transform-origin: 50% 85%; }
.f6 { font-weight: 200; color: #555; }
.f7 { color: #fff; text-shadow: 1px 0 #000, -1px 0 #000, 0 1px #000, 0 -1px #000; }
.f8 { background: #000; color: #fff; }
.f9 { text-shadow: 0.12em 0 0 currentColor; }
</style>
)";

// The shades, box drawing and blocks, and the inverse bullets, are drawn the
// same in every font (see fonts/README.md), so frames stay intact in any face.
bool glyph_same_in_every_font(unsigned char code) {
    return (code >= 0xB0 && code <= 0xDF) || code == 0x08 || code == 0x0A;
}

// The characters that need escaping in text; the glyph table gives no others.
const char *html_escape(unsigned char code) {
    switch (code) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    default:
        return nullptr;
    }
}

// The run a glyph belongs to: font in the low bits, underline above them.
int run_of(const LineGlyph &glyph) {
    int font = glyph_same_in_every_font(glyph.code) ? 0 : glyph.font;
    return font | (glyph.underline ? 16 : 0);
}

char *open_run(char *at, int run) {
    static constexpr char PLAIN[] = "<span class=\"";
    std::memcpy(at, PLAIN, sizeof PLAIN - 1);
    at += sizeof PLAIN - 1;
    int font = run & 15;
    if (font) {
        *at++ = 'f';
        *at++ = static_cast<char>('0' + font);
    }
    if (run & 16) {
        if (font)
            *at++ = ' ';
        *at++ = 'u';
    }
    *at++ = '"';
    *at++ = '>';
    return at;
}

char *close_run(char *at) {
    std::memcpy(at, "</span>", 7);
    return at + 7;
}

// Text from outside the document (a file name): &, < and > escaped, and any
// byte that is not UTF-8 and any control character (which HTML does not
// allow in text) as U+FFFD.
std::string html_text(std::string_view utf8) {
    std::string text;
    for (size_t at = 0; at < utf8.size();) {
        char32_t character = utf8_decode(utf8, at);
        if (character < 0x20 || (character >= 0x7F && character < 0xA0))
            character = 0xFFFD;
        if (const char *escaped = character < 0x80 ? html_escape(character) : nullptr) {
            text += escaped;
        } else {
            Utf8Char encoded = utf8_encode(character);
            text.append(encoded.bytes, encoded.length);
        }
    }
    return text;
}

// Bytes of a line converted per reservation; each yields at most a run's
// close and open tags (under 40 bytes) and an escaped character or a tab.
constexpr size_t STRETCH = 2048;
constexpr size_t STRETCH_ROOM = STRETCH * 48 + 16;
static_assert(STRETCH_ROOM <= OUTPUT_RESERVE_LIMIT);

// One line marked up, stretch by stretch.
struct HtmlLine {
    const unsigned char *bytes;
    LineCodeState state;
    int run = 0; // the open span's run; 0 is none

    // The bytes from `done` to `end` marked up at `at`.
    void convert(char *&at, size_t &done, size_t end) {
        LineGlyph glyph;
        for (; done < end; ++done) {
            int column = state.column;
            if (!line_codes_step(state, bytes[done], glyph)) {
                if (state.column != column) { // a tab: outside any run, as on screen
                    if (run)
                        at = close_run(at);
                    run = 0;
                    *at++ = '\t';
                }
                continue;
            }
            int glyph_run = run_of(glyph);
            if (glyph_run != run) {
                if (run)
                    at = close_run(at);
                if (glyph_run)
                    at = open_run(at, glyph_run);
                run = glyph_run;
            }
            if (const char *escaped = html_escape(glyph.code)) {
                size_t length = std::strlen(escaped);
                std::memcpy(at, escaped, length);
                at += length;
            } else {
                at = output_put_utf8(at, cp866_glyph_utf8(glyph.code));
            }
        }
        keep_column_in_range(state);
    }
};

} // namespace

int html_export_write(const LineNode *first, const char *title_utf8, FILE *out,
                      ConvertProgress *progress) {
    OutputBuffer buffer;
    if (!output_buffer_open(buffer, out))
        return -1;
    ProgressCounter counter{progress};

    std::string head = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>" +
                       html_text(title_utf8 ? title_utf8 : "") + "</title>\n";
    head += PAGE_STYLE;
    // A newline right after <pre> is dropped by every parser; this one is
    // there so that an empty first line is not.
    head += "</head>\n<body>\n<pre>\n";
    output_append(buffer, head.data(), head.size());

    for (const LineNode *line = first; line && !buffer.failed; line = line->next) {
        const auto *bytes = reinterpret_cast<const unsigned char *>(line->text);
        HtmlLine html{bytes, {}, 0};
        output_line_in_stretches(
            buffer, counter, line->length, STRETCH, STRETCH_ROOM,
            [&](char *&at, size_t &done, size_t end) { html.convert(at, done, end); });
        char *at = output_reserve(buffer, 16);
        if (html.run)
            at = close_run(at);
        *at++ = '\n';
        output_commit(buffer, at);
    }
    static constexpr std::string_view TAIL = "</pre>\n</body>\n</html>\n";
    output_append(buffer, TAIL.data(), TAIL.size());
    progress_flush(counter);
    return output_finish(buffer);
}
