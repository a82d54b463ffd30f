// The plug-in reads the document again and must number its lines as the
// viewer's loader did, from wherever a scan starts; and it puts the view
// where a click marks the line it means.
#include "find_plugin/document_scan.h"
#include "find_plugin/find_view.h"
#include "lines/lines.h"
#include "main/view_rules.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// The bytes, handed out at most `piece` at a time, so lines cross every
// kind of block boundary; an error from `fail_at` on.
struct MemorySource {
    std::string bytes;
    size_t piece = 7;
    uint64_t fail_at = UINT64_MAX;
};

long read_memory(void *context, uint64_t offset, char *buffer, size_t capacity) {
    auto *source = static_cast<MemorySource *>(context);
    if (offset >= source->fail_at)
        return -1;
    if (offset >= source->bytes.size())
        return 0;
    size_t count = std::min({capacity, source->piece, source->bytes.size() - offset});
    std::memcpy(buffer, source->bytes.data() + offset, count);
    return static_cast<long>(count);
}

struct Collected {
    std::vector<std::pair<int32_t, std::string>> lines;
    int32_t stop_after = INT32_MAX;
};

bool collect(void *context, int32_t index, std::string_view line) {
    auto *collected = static_cast<Collected *>(context);
    collected->lines.emplace_back(index, std::string(line));
    return static_cast<int32_t>(collected->lines.size()) < collected->stop_after;
}

// Every rule of the loader at once: CR LF, a lone CR, LF alone, control
// lines, NUL, empty lines, a Ctrl+Z with a line cut short before it.
std::string tricky_document(int lines) {
    std::string bytes;
    for (int i = 0; i < lines; ++i) {
        bytes += "line " + std::to_string(i);
        switch (i % 7) {
        case 0:
            bytes += "\r\n";
            break;
        case 1:
            bytes += "\rx\n";
            break;
        case 2:
            bytes += std::string("\0z\r\n", 4);
            break;
        case 3:
            bytes += "\n\xFF\xE8 control\r\n";
            break;
        case 4:
            bytes += "\r\n\r\n";
            break;
        default:
            bytes += "\n";
            break;
        }
    }
    return bytes + "cut short\x1Anever read\r\n";
}

std::vector<std::string> loaded_lines(const std::string &bytes) {
    TempDir dir;
    LineList list = lines_new();
    EXPECT_EQ(lines_load(&list, dir.write("doc.txt", bytes).c_str()), LINES_LOAD_OK);
    std::vector<std::string> lines;
    for (const LineNode *node = list; node; node = node->next)
        lines.emplace_back(node->text, node->length);
    lines_free(&list);
    return lines;
}

} // namespace

TEST(DocumentScan, NumbersLinesAsTheLoaderDoesFromAnyStart) {
    MemorySource memory{tricky_document(3000)};
    std::vector<std::string> expected = loaded_lines(memory.bytes);
    auto count = static_cast<int32_t>(expected.size());
    DocumentIndex index;
    DocumentSource source{&memory, read_memory};
    // The first scans build the index as they pass; later ones start from it.
    for (int32_t first : {0, 2500, 1023, 1024, count - 1, 5}) {
        Collected got;
        EXPECT_EQ(document_scan(&index, source, first, INT32_MAX, collect, &got),
                  DOCUMENT_SCAN_ENDED);
        ASSERT_EQ(got.lines.size(), static_cast<size_t>(count - first)) << first;
        for (auto &[at, text] : got.lines)
            ASSERT_EQ(text, expected[at]) << "line " << at << " from " << first;
        EXPECT_EQ(got.lines.front().first, first);
    }
    EXPECT_EQ(index.starts.size(), static_cast<size_t>((count - 1) / DOCUMENT_INDEX_STRIDE + 1));
    EXPECT_EQ(expected.back(), "cut short");
}

TEST(DocumentScan, StopsAtTheViewersCountOrWhenAsked) {
    MemorySource memory{tricky_document(100)};
    DocumentIndex index;
    DocumentSource source{&memory, read_memory};
    Collected first_ten;
    EXPECT_EQ(document_scan(&index, source, 0, 10, collect, &first_ten), DOCUMENT_SCAN_STOPPED);
    EXPECT_EQ(first_ten.lines.size(), 10u);
    Collected three;
    three.stop_after = 3;
    EXPECT_EQ(document_scan(&index, source, 50, 100, collect, &three), DOCUMENT_SCAN_STOPPED);
    EXPECT_EQ(three.lines.back().first, 52);
    Collected none;
    EXPECT_EQ(document_scan(&index, source, 7, 7, collect, &none), DOCUMENT_SCAN_ENDED);
    EXPECT_TRUE(none.lines.empty());
}

TEST(DocumentScan, ReadErrorAndOverlongLine) {
    MemorySource memory{tricky_document(100)};
    memory.fail_at = 300;
    DocumentIndex index;
    Collected got;
    EXPECT_EQ(document_scan(&index, {&memory, read_memory}, 0, INT32_MAX, collect, &got),
              DOCUMENT_SCAN_READ_ERROR);

    MemorySource long_line{"short\r\n" + std::string(DOCUMENT_SCAN_LINE_LIMIT + 1, 'x') + "\r\n",
                           size_t{1} << 20};
    DocumentIndex long_index;
    Collected before;
    EXPECT_EQ(document_scan(&long_index, {&long_line, read_memory}, 0, INT32_MAX, collect, &before),
              DOCUMENT_SCAN_LONG_LINE);
    EXPECT_EQ(before.lines.size(), 1u);
}

TEST(FindView, WhereSearchesStartAndTheViewGoes) {
    // After the last line found while it is on screen, else from the top.
    EXPECT_EQ(find_start_line(12, 10, 20, true), 13);
    EXPECT_EQ(find_start_line(12, 10, 20, false), 11);
    EXPECT_EQ(find_start_line(40, 10, 20, true), 10);
    EXPECT_EQ(find_start_line(-1, 10, 20, false), 9);
    // A line on screen stays; one off screen comes a few rows below the top.
    EXPECT_EQ(find_top_for(10, 20, 29), 10);
    EXPECT_EQ(find_top_for(10, 20, 30), 30 - FIND_ROWS_ABOVE_FOUND);
    EXPECT_EQ(find_top_for(10, 20, 1), 0);
    EXPECT_EQ(find_top_for(10, 1, 50), 50); // a one-row window shows the line itself
    for (int32_t row = 0; row < 3000; ++row)
        ASSERT_EQ(view_line_at(1000, find_row_y(row)), 1000 + row);
}

TEST(FindView, LineNumbers) {
    int32_t line = -1;
    EXPECT_TRUE(find_parse_line_number("0", 5, &line) && line == 0);
    EXPECT_TRUE(find_parse_line_number("0999999", 1000000, &line) && line == 999999);
    for (const char *bad : {"", "5", "-1", "1 ", "x", "99999999999999999999"})
        EXPECT_FALSE(find_parse_line_number(bad, 5, &line)) << bad;
}
