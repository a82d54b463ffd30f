// Lines built from strings, the writers' output caught in a string, and the
// text an HTML page's <pre> shows once its tags and entities are read.
#pragma once

#include "lines/lines.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The text inside the page's <pre>, with the markup the HTML writer may use
// there read back: <span class="..."> and </span>, never nested, and the
// entities &amp; &lt; &gt;. Empty when anything else is found. The newline
// right after <pre> is not content, as in every HTML parser.
inline std::optional<std::string> html_pre_text(std::string_view page) {
    size_t start = page.find("<pre>\n"), end = page.rfind("</pre>\n</body>\n</html>\n");
    if (start == std::string_view::npos || end == std::string_view::npos || end < start + 6 ||
        end + 23 != page.size())
        return std::nullopt;
    std::string_view body = page.substr(start + 6, end - start - 6);
    std::string text;
    bool in_span = false;
    for (size_t i = 0; i < body.size();) {
        std::string_view rest = body.substr(i);
        if (rest.starts_with("<span class=\"")) {
            size_t close = rest.find("\">");
            if (in_span || close == std::string_view::npos)
                return std::nullopt;
            std::string_view classes = rest.substr(13, close - 13);
            if (classes.empty() || classes.find_first_not_of("f123456789 u") != classes.npos)
                return std::nullopt;
            in_span = true;
            i += close + 2;
        } else if (rest.starts_with("</span>")) {
            if (!in_span)
                return std::nullopt;
            in_span = false;
            i += 7;
        } else if (rest[0] == '&') {
            const char *names[] = {"&amp;", "&lt;", "&gt;"};
            const char values[] = {'&', '<', '>'};
            int which = 0;
            while (which < 3 && !rest.starts_with(names[which]))
                ++which;
            if (which == 3)
                return std::nullopt;
            text += values[which];
            i += std::strlen(names[which]);
        } else if (rest[0] == '<' || rest[0] == '>' ||
                   (in_span && (rest[0] == '\n' || rest[0] == '\t'))) {
            return std::nullopt; // other markup; a span across a tab or a line end
        } else {
            text += rest[0];
            ++i;
        }
    }
    if (in_span)
        return std::nullopt;
    return text;
}
