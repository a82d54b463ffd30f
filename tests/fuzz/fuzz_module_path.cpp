// Path composition with arbitrary parts and buffer sizes: the result is the whole concatenation or
// nothing, never a cut path, and never a byte past the buffer (the sanitizers watch an exact-sized
// heap buffer).
#include "debuglog/module_path.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    size_t buffer_size = data[0];
    std::string_view rest(reinterpret_cast<const char *>(data + 1), size - 1);
    // Parts are separated by '|'; at most three, like the viewer's own paths.
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 3) {
        size_t bar = rest.find('|', start);
        parts.emplace_back(rest.substr(start, bar == std::string_view::npos ? bar : bar - start));
        if (bar == std::string_view::npos)
            break;
        start = bar + 1;
    }
    std::string whole;
    for (const std::string &part : parts)
        whole += part;
    std::vector<std::string_view> views(parts.begin(), parts.end());
    char *buffer = static_cast<char *>(std::malloc(buffer_size ? buffer_size : 1));
    bool joined = false;
    switch (views.size()) {
    case 1:
        joined = path_join(buffer, buffer_size, {views[0]});
        break;
    case 2:
        joined = path_join(buffer, buffer_size, {views[0], views[1]});
        break;
    default:
        joined = path_join(buffer, buffer_size, {views[0], views[1], views[2]});
        break;
    }
    if (joined != (whole.size() < buffer_size))
        std::abort();
    if (joined && std::memcmp(buffer, whole.data(), whole.size() + 1) != 0)
        std::abort();
    if (!joined && buffer_size > 0 && buffer[0] != '\0')
        std::abort();
    std::free(buffer);
    return 0;
}
