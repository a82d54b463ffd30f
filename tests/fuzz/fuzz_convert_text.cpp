// Writes arbitrary lines as text and as HTML and reads both back: each
// character of the text is the glyph the screen shows in that column (tab
// stops every 8 columns), expanding tabs and CR LF change only what they
// should, the HTML's <pre> reads back as the same text, and the progress
// reports add up to the document's bytes.
#include "convert/writers/html_writer.h"
#include "convert/writers/text_writer.h"
#include "convert/writers/writer_test_support.h"
#include "text/cp866_unicode.h"
#include "fonts/line_codes.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// The text of the page's <pre> as a parser reads it: the newline right after
// <pre> dropped, &amp; &lt; &gt; read, and the tags left out, which must be
// <span class="..."> with classes f1-f9 and u, or </span>, neither nested nor
// holding a tab or line end. Anything else gives nullopt.
std::optional<std::string> html_pre_text(std::string_view page) {
    constexpr std::string_view OPEN = "\n<pre>\n", CLOSE = "</pre>\n</body>\n</html>\n";
    size_t start = page.find(OPEN) + OPEN.size();
    if (start < OPEN.size() || !page.ends_with(CLOSE) || start > page.size() - CLOSE.size())
        return std::nullopt;
    std::string_view rest = page.substr(start, page.size() - CLOSE.size() - start);
    std::string text;
    bool in_span = false;
    while (!rest.empty()) {
        bool markup = rest[0] == '<' || rest[0] == '&';
        size_t end = rest.find_first_of(rest[0] == '<' ? ">" : rest[0] == '&' ? ";" : "<&");
        std::string_view piece = rest.substr(0, end == rest.npos ? rest.size() : end + markup);
        rest.remove_prefix(piece.size());
        if (piece == "&amp;" || piece == "&lt;" || piece == "&gt;")
            text += piece == "&amp;" ? '&' : piece == "&lt;" ? '<' : '>';
        else if (piece == "</span>" && in_span)
            in_span = false;
        else if (piece.starts_with("<span class=\"") && piece.ends_with("\">") && !in_span &&
                 piece.size() > 15 &&
                 piece.find_first_not_of("f123456789 u", 13) == piece.size() - 2)
            in_span = true;
        else if (markup || piece.find('>') != piece.npos ||
                 (in_span && piece.find_first_of("\t\n") != piece.npos))
            return std::nullopt;
        else
            text += piece;
    }
    return in_span ? std::nullopt : std::optional<std::string>(text);
}

// Reads the text's line for `line` from `at` on, checking each character's
// glyph and column, and that the line ends in the screen's last column (after
// its last tab); returns the line with tabs expanded to spaces.
std::string read_line(std::string_view text, size_t &at, const LineNode &line) {
    std::vector<LineGlyph> glyphs;
    LineCodeState state;
    LineGlyph glyph;
    for (size_t i = 0; i < line.length && state.column < LINE_COLUMN_LIMIT; ++i)
        if (line_codes_step(state, static_cast<unsigned char>(line.text[i]), glyph))
            glyphs.push_back(glyph);
    std::string expanded;
    size_t next = 0;
    for (int column = 0;;) {
        check(at < text.size());
        size_t start = at;
        char32_t c = utf8_decode(text, at);
        if (c == U'\n') {
            check(column == state.column);
            break;
        }
        int width = c == U'\t' ? TAB_WIDTH - column % TAB_WIDTH : 1;
        if (c == U'\t') {
            expanded.append(width, ' ');
        } else {
            check(next < glyphs.size() && glyphs[next].column == column &&
                  cp866_glyph_unicode(glyphs[next++].code) == c);
            expanded.append(text.substr(start, at - start));
        }
        column += width;
    }
    check(next == glyphs.size());
    return expanded + "\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<std::string> lines; // split at line feeds, as loaded
    for (size_t start = 0; size > 0 && start <= size;) {
        const void *feed = std::memchr(data + start, '\n', size - start);
        size_t end = feed ? static_cast<const uint8_t *>(feed) - data : size;
        lines.emplace_back(reinterpret_cast<const char *>(data) + start, end - start);
        start = end + 1;
    }
    TestDocument document(lines);
    size_t document_bytes = size - (lines.empty() ? 0 : lines.size() - 1); // all but the feeds
    size_t reported = 0;
    ConvertProgress progress{
        [](void *context, size_t bytes) { *static_cast<size_t *>(context) += bytes; }, &reported};
    auto text_of = [&](TextExportOptions options, ConvertProgress *report) {
        return capture([&](FILE *out) {
            check(text_export_write(document.first(), options, out, report) == 0);
        });
    };

    std::string text = text_of({}, &progress), expanded;
    check(reported == document_bytes);
    size_t at = 0;
    for (const LineNode &line : document.nodes)
        expanded += read_line(text, at, line);
    check(at == text.size());
    check(text_of({.crlf = false, .expand_tabs = true}, nullptr) == expanded);
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    check(text_of({.crlf = true, .expand_tabs = false}, nullptr) == crlf);

    reported = 0;
    std::string page = capture([&](FILE *out) {
        check(html_export_write(document.first(), "fuzz", out, &progress) == 0);
    });
    check(html_pre_text(page) == text && reported == document_bytes);
    return 0;
}
