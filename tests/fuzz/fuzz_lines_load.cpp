// Fuzzes the loader: any bytes, read from a real file, must give exactly the
// lines of a plain byte-by-byte reading of the text-stream rule, and feeding
// the same bytes to the stream in blocks of any size must not change them.
//
// An input that begins with RECIPE_MARK is a recipe for a large document, so
// that the helper thread (here from RECIPE_HELPER_THRESHOLD on), lines of
// several collecting pieces and the memory limit are reached: the next byte
// sets the memory limit (0: the default, else that many times 64 KB), then
// come records of a three-byte repeat count, a length byte and that many
// bytes, repeated that many times, up to RECIPE_MAX_SIZE in all.
// Seeds: tests/fuzz/fuzz_lines_load_seeds/ (small inputs) and
// tests/fuzz/fuzz_lines_load_recipes_seeds/ (recipes), each run on its own.
#include "lines/lines.h"
#include "lines/lines_testing.h"
#include "lines/text_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// The expected lines, as views into the document: a large document has
// hundreds of thousands of them, and copies would cost most of a run.
using Lines = std::vector<std::string_view>;

// A recipe's run takes a thousand times as long as a small input's, so
// recipes come from the seeds and their mutations, not from small inputs:
// the mark has several bytes, and is compared out of the sight of the
// fuzzer's comparison tracing, which would hand it to every mutation.
constexpr std::string_view RECIPE_MARK = "RECIPE";
constexpr size_t RECIPE_MAX_SIZE = 4 * LINES_SLAB_SIZE;
constexpr size_t RECIPE_LIMIT_STEP = 64 * 1024;
constexpr size_t RECIPE_HELPER_THRESHOLD = LINES_SLAB_SIZE;

__attribute__((no_sanitize("coverage"))) bool is_recipe(const uint8_t *data, size_t size) {
    if (size <= RECIPE_MARK.size())
        return false;
    bool same = true;
    for (size_t i = 0; i < RECIPE_MARK.size(); ++i)
        same &= data[i] == static_cast<uint8_t>(RECIPE_MARK[i]);
    return same;
}

std::string expand_recipe(const uint8_t *data, size_t size) {
    std::string document;
    document.reserve(RECIPE_MAX_SIZE);
    for (size_t at = 0; at + 4 <= size && document.size() < RECIPE_MAX_SIZE;) {
        size_t repeats = data[at] | data[at + 1] << 8 | data[at + 2] << 16;
        size_t length = data[at + 3];
        at += 4;
        if (length > size - at)
            length = size - at;
        std::string piece(reinterpret_cast<const char *>(data + at), length);
        at += length;
        if (piece.empty())
            continue;
        for (size_t i = 0; i < repeats && document.size() < RECIPE_MAX_SIZE; ++i)
            document += piece;
    }
    return document;
}

// The rule written the obvious way: the data ends at the first 0x1A, a line
// ends at each LF, and a CR right before that LF is dropped.
Lines reference_lines(std::string_view data) {
    size_t end = std::min(data.find('\x1A'), data.size());
    Lines lines;
    auto keep = [&lines](std::string_view line) {
        if (!text_stream_is_control_line(line))
            lines.push_back(line);
    };
    size_t start = 0;
    for (size_t feed; (feed = data.find('\n', start)) < end; start = feed + 1) {
        size_t stop = feed > start && data[feed - 1] == '\r' ? feed - 1 : feed;
        keep(data.substr(start, stop - start));
    }
    if (start < end)
        keep(data.substr(start, end - start));
    return lines;
}

// Memory that the loader's blocks may need for `lines` at most: a block can
// be left half empty when the next line does not fit, and a line longer than
// a block gets one of its own.
size_t memory_needed(const Lines &lines) {
    size_t bytes = LINES_SLAB_SIZE;
    for (std::string_view line : lines)
        bytes += 2 * (line.size() + sizeof(LineNode) + alignof(LineNode) + 64);
    return bytes;
}

// Compares each line the stream hands over with the expected one.
struct Expecting {
    const Lines *lines;
    size_t next = 0;
    bool same = true;
};

bool compare(void *context, std::string_view line) {
    auto *expecting = static_cast<Expecting *>(context);
    const Lines &lines = *expecting->lines;
    expecting->same =
        expecting->same && expecting->next < lines.size() && line == lines[expecting->next];
    ++expecting->next;
    return true;
}

std::string scratch_path() {
    static std::string path = "/tmp/korvel-fuzz-" + std::to_string(getpid()) + ".krv";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    constexpr size_t RECIPE_START = RECIPE_MARK.size() + 1;
    bool recipe = is_recipe(data, size);
    std::string document = recipe ? expand_recipe(data + RECIPE_START, size - RECIPE_START)
                                  : std::string(reinterpret_cast<const char *>(data), size);
    size_t limit = recipe ? data[RECIPE_MARK.size()] * RECIPE_LIMIT_STEP : 0;
    Lines expected = reference_lines(document);

    // Large documents in blocks of up to about 1 MB, so that lines cross
    // the stream's pieces as well as its blocks.
    size_t block = size ? 1 + data[size - 1] % 64 : 1;
    if (recipe)
        block = block * 16411;
    Expecting chunked{&expected};
    TextStream stream;
    for (size_t at = 0; at < document.size(); at += block) {
        size_t count = block < document.size() - at ? block : document.size() - at;
        if (!text_stream_feed(&stream, document.data() + at, count, compare, &chunked))
            break;
    }
    text_stream_finish(&stream, compare, &chunked);
    if (!chunked.same || chunked.next != expected.size())
        std::abort();

    // A new file each time: rewriting the last one in place makes the file
    // system flush it on close, which took most of a small input's run.
    std::remove(scratch_path().c_str());
    FILE *file = std::fopen(scratch_path().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(document.data(), 1, document.size(), file);
    std::fclose(file);
    LineList list = lines_new();
    lines_set_memory_limit(limit);
    lines_set_helper_threshold(RECIPE_HELPER_THRESHOLD);
    int result = lines_load(&list, scratch_path().c_str());
    lines_set_memory_limit(0);
    lines_set_helper_threshold(0);
    // The loaded lines, as many as match the expected ones from the first.
    size_t matching = 0, count = 0;
    for (const LineNode *node = list; node; node = node->next, ++count)
        if (matching == count && count < expected.size() &&
            std::string_view(node->text, node->length) == expected[count])
            ++matching;
    if (lines_count(&list) != static_cast<int>(count))
        std::abort();
    lines_free(&list);
    // Whole within the limit; over it, the lines before where it stopped.
    bool whole = matching == count && count == expected.size();
    bool within_limit = limit == 0 || memory_needed(expected) <= limit;
    if (result == LINES_LOAD_OK ? !whole : within_limit)
        std::abort();
    if (result == LINES_LOAD_NO_MEMORY && (matching != count || count >= expected.size()))
        std::abort();
    if (result != LINES_LOAD_OK && result != LINES_LOAD_NO_MEMORY)
        std::abort();
    return 0;
}
