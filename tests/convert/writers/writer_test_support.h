// Lines built from strings, and a writer's output caught in a string.
#pragma once

#include "lines/lines.h"

#include <cstdio>
#include <cstdlib>
#include <string>
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

// What `write(FILE *)` writes.
template <typename Write> std::string capture(Write &&write) {
    char *data = nullptr;
    size_t size = 0;
    FILE *out = open_memstream(&data, &size);
    write(out);
    std::fclose(out);
    std::string text(data, size);
    std::free(data);
    return text;
}
