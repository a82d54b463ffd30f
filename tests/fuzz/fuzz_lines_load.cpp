// Fuzzes the loader: any bytes, read from a real file, must give exactly the
// lines of a plain byte-by-byte reading of the text-stream rule, and feeding
// the same bytes to the stream in blocks of any size must not change them.
#include "lines/lines.h"
#include "lines/text_stream.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// The rule written the slow, obvious way.
Lines reference_lines(const uint8_t *data, size_t size) {
    Lines lines;
    std::string line;
    bool open_line = false;
    for (size_t i = 0; i < size && data[i] != 0x1A; ++i) {
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
            continue;
        if (data[i] == '\n') {
            lines.push_back(line);
            line.clear();
            open_line = false;
        } else {
            line += static_cast<char>(data[i]);
            open_line = true;
        }
    }
    if (open_line)
        lines.push_back(line);
    Lines kept;
    for (const std::string &candidate : lines)
        if (!text_stream_is_control_line(candidate))
            kept.push_back(candidate);
    return kept;
}

bool collect(void *context, std::string_view line) {
    static_cast<Lines *>(context)->emplace_back(line);
    return true;
}

std::string scratch_path() {
    static std::string path = "/tmp/korvel-fuzz-" + std::to_string(getpid()) + ".krv";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Lines expected = reference_lines(data, size);

    size_t block = size ? 1 + data[0] % 64 : 1;
    Lines chunked;
    TextStream stream;
    for (size_t at = 0; at < size; at += block) {
        size_t count = block < size - at ? block : size - at;
        if (!text_stream_feed(&stream, reinterpret_cast<const char *>(data) + at, count, collect,
                              &chunked))
            break;
    }
    text_stream_finish(&stream, collect, &chunked);
    if (chunked != expected)
        std::abort();

    FILE *file = std::fopen(scratch_path().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    LineList list = lines_new();
    if (lines_load(&list, scratch_path().c_str()) != LINES_LOAD_OK)
        std::abort();
    Lines loaded;
    for (const LineNode *node = list; node; node = node->next)
        loaded.emplace_back(node->text, node->length);
    if (loaded != expected || lines_count(&list) != static_cast<int>(expected.size()))
        std::abort();
    lines_free(&list);
    return 0;
}
