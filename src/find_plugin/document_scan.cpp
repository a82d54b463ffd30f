#include "find_plugin/document_scan.h"

#include "lines/text_stream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t BLOCK_SIZE = 256 * 1024;

struct Scan {
    int32_t next_line; // the index the next line delivered gets
    int32_t first;
    int32_t end;
    DocumentVisit visit;
    void *context;
    bool stopped = false;
};

bool take_line(void *context, std::string_view line) {
    auto *scan = static_cast<Scan *>(context);
    int32_t index = scan->next_line++;
    if (index >= scan->end || (index >= scan->first && !scan->visit(scan->context, index, line))) {
        scan->stopped = true;
        return false;
    }
    return true;
}

} // namespace

DocumentScanResult document_scan(DocumentIndex *index, const DocumentSource &source, int32_t first,
                                 int32_t end, DocumentVisit visit, void *context) {
    if (first >= end)
        return DOCUMENT_SCAN_ENDED;
    size_t entry = std::min(static_cast<size_t>(std::max(first, 0) / DOCUMENT_INDEX_STRIDE),
                            index->starts.size() - 1);
    Scan scan{static_cast<int32_t>(entry) * DOCUMENT_INDEX_STRIDE, first, end, visit, context};
    uint64_t offset = index->starts[entry];
    TextStream stream;
    stream.line_limit = DOCUMENT_SCAN_LINE_LIMIT;
    std::vector<char> block(BLOCK_SIZE);
    bool more = true;
    while (more) {
        long got = source.read_at(source.context, offset, block.data(), block.size());
        if (got < 0)
            return DOCUMENT_SCAN_READ_ERROR;
        if (got == 0)
            break;
        // Fed one line end at a time, so that after each the stream holds
        // nothing and the place is where a fresh one would start.
        const char *at = block.data();
        const char *stop = at + got;
        while (more && at < stop) {
            const auto *feed = static_cast<const char *>(std::memchr(at, '\n', stop - at));
            const char *upto = feed ? feed + 1 : stop;
            more = text_stream_feed(&stream, at, static_cast<size_t>(upto - at), take_line, &scan);
            offset += static_cast<uint64_t>(upto - at);
            at = upto;
            if (more && feed && scan.next_line % DOCUMENT_INDEX_STRIDE == 0 &&
                static_cast<size_t>(scan.next_line / DOCUMENT_INDEX_STRIDE) == index->starts.size())
                index->starts.push_back(offset);
        }
    }
    // The end of the file or a Ctrl+Z: the line still open is a line too.
    if (!stream.failed)
        text_stream_finish(&stream, take_line, &scan);
    if (scan.stopped)
        return DOCUMENT_SCAN_STOPPED;
    if (stream.failed)
        return DOCUMENT_SCAN_LONG_LINE;
    return DOCUMENT_SCAN_ENDED;
}
