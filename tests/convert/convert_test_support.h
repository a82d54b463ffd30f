// Lines built from strings, the writers' output caught in a string, and the
// text an HTML page's <pre> shows once its tags and entities are read.
#pragma once

#include "lines/lines.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A document whose LineNodes point into `texts`.
struct TestDocument {
    std::vector<std::string> texts;
    std::vector<LineNode> nodes;

    explicit TestDocument(std::vector<std::string> lines) : texts(std::move(lines)) {
        nodes.resize(texts.size());
        for (size_t i = 0; i < texts.size(); ++i)
            nodes[i] = {texts[i].data(), i + 1 < texts.size() ? &nodes[i + 1] : nullptr,
                        texts[i].size()};
    }
    const LineNode *first() const { return nodes.empty() ? nullptr : nodes.data(); }
};

// What `write(FILE *)` writes, and its result.
template <typename Write> std::string capture(Write &&write, int *result = nullptr) {
    char *data = nullptr;
    size_t size = 0;
    FILE *out = open_memstream(&data, &size);
    int got = write(out);
    std::fclose(out);
    if (result)
        *result = got;
    std::string text(data, size);
    std::free(data);
    return text;
}

// The text inside the page's <pre>, read as a parser would: the newline right
// after <pre> dropped, the entities &amp; &lt; &gt; read, the tags left out.
// The only tags allowed are <span class="..."> (classes f1-f9 and u) and
// </span>, neither nested nor across a tab or line end; anything else gives
// nullopt.
inline std::optional<std::string> html_pre_text(std::string_view page) {
    constexpr std::string_view OPEN = "<pre>\n", CLOSE = "</pre>\n</body>\n</html>\n";
    size_t start = page.find(OPEN);
    if (start == page.npos || !page.ends_with(CLOSE) ||
        start + OPEN.size() > page.size() - CLOSE.size())
        return std::nullopt;
    std::string_view rest = page.substr(start + OPEN.size());
    rest.remove_suffix(CLOSE.size());
    std::string text;
    bool in_span = false;
    while (!rest.empty()) {
        size_t skip = 1;
        if (rest.starts_with("<span class=\"") && !in_span) {
            size_t close = rest.find("\">");
            std::string_view classes = rest.substr(13, close - 13);
            if (close == rest.npos || classes.empty() ||
                classes.find_first_not_of("f123456789 u") != classes.npos)
                return std::nullopt;
            skip = close + 2;
            in_span = true;
        } else if (rest.starts_with("</span>") && in_span) {
            skip = 7;
            in_span = false;
        } else if (rest[0] == '&') {
            const char *entity = rest.starts_with("&amp;")  ? "&"
                                 : rest.starts_with("&lt;") ? "<"
                                 : rest.starts_with("&gt;") ? ">"
                                                            : nullptr;
            if (!entity)
                return std::nullopt;
            text += entity;
            skip = rest.find(';') + 1;
        } else if (rest[0] == '<' || rest[0] == '>' ||
                   (in_span && (rest[0] == '\n' || rest[0] == '\t'))) {
            return std::nullopt;
        } else {
            text += rest[0];
        }
        rest.remove_prefix(skip);
    }
    return in_span ? std::nullopt : std::optional<std::string>(text);
}
