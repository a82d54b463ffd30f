// Writes arbitrary lines as text and as HTML and reads both back: every
// character of the text is the glyph the screen shows in that column (tabs
// counted with stops every 8 columns), --expand-tabs and --crlf change only
// what they should, the HTML's <pre> reads back as the same text, and the
// progress adds up to the document's bytes.
#include "convert/html_export.h"
#include "convert/text_export.h"
#include "convert_test_support.h"
#include "fonts/cp866_unicode.h"
#include "fonts/line_codes.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// Next code point of valid UTF-8 at `at`, which moves past it.
char32_t next_code_point(const std::string &text, size_t &at) {
    unsigned char lead = text[at];
    int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    check(at + length <= text.size());
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i)
        value = value << 6 | (text[at + i] & 0x3F);
    at += length;
    return value;
}

// The text's line for `line`, from `at`: each glyph's character in its
// column. Returns the text's tabs expanded to spaces.
std::string check_line(const std::string &text, size_t &at, const LineNode &line) {
    std::vector<LineGlyph> glyphs;
    line_codes_decode(reinterpret_cast<const unsigned char *>(line.text), line.length,
                      [&](const LineGlyph &glyph) { glyphs.push_back(glyph); });
    std::string expanded;
    size_t next = 0;
    int column = 0;
    while (true) {
        check(at < text.size());
        size_t start = at;
        char32_t c = next_code_point(text, at);
        if (c == U'\n')
            break;
        if (c == U'\t') {
            int stop = column / TAB_WIDTH * TAB_WIDTH + TAB_WIDTH;
            expanded.append(stop - column, ' ');
            column = stop;
            continue;
        }
        check(next < glyphs.size() && glyphs[next].column == column &&
              cp866_glyph_unicode(glyphs[next].code) == c);
        expanded.append(text, start, at - start);
        ++next;
        ++column;
    }
    check(next == glyphs.size());
    return expanded + "\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Lines split at line feeds, as the loader gives them.
    std::vector<std::string> texts;
    size_t document_bytes = 0;
    for (size_t start = 0; start <= size;) {
        const void *feed = std::memchr(data + start, '\n', size - start);
        size_t end = feed ? static_cast<const uint8_t *>(feed) - data : size;
        texts.emplace_back(reinterpret_cast<const char *>(data) + start, end - start);
        document_bytes += end - start;
        start = end + 1;
    }
    if (size == 0)
        texts.clear();
    TestDocument document(texts);

    size_t reported = 0;
    ConvertProgress progress{
        [](void *context, size_t bytes) { *static_cast<size_t *>(context) += bytes; }, &reported};
    int result = -1;
    std::string text =
        capture([&](FILE *out) { return text_export_write(document.first(), {}, out, &progress); },
                &result);
    check(result == 0 && reported == document_bytes);

    std::string expanded;
    size_t at = 0;
    for (const LineNode &line : document.nodes)
        expanded += check_line(text, at, line);
    check(at == text.size());
    check(capture([&](FILE *out) {
              return text_export_write(document.first(), {.crlf = false, .expand_tabs = true}, out,
                                       nullptr);
          }) == expanded);
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    check(capture([&](FILE *out) {
              return text_export_write(document.first(), {.crlf = true, .expand_tabs = false}, out,
                                       nullptr);
          }) == crlf);

    reported = 0;
    std::string page = capture(
        [&](FILE *out) { return html_export_write(document.first(), "fuzz", out, &progress); },
        &result);
    check(result == 0 && reported == document_bytes);
    check(html_pre_text(page) == text);
    return 0;
}
