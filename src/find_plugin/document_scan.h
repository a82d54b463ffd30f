// Reading the viewer's document again, line by line, with the viewer's own
// line rule, without holding it: the plug-in lives in the viewer's address
// space, which the document itself may fill. A sparse index of where lines
// start lets a scan begin near any line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The document's bytes, the platform's way.
struct DocumentSource {
    void *context;
    // Up to `capacity` bytes from `offset`: the count, 0 at the end, -1 on an error.
    long (*read_at)(void *context, uint64_t offset, char *buffer, size_t capacity);
};

// Lines between two entries of the index.
constexpr int32_t DOCUMENT_INDEX_STRIDE = 1024;
// A line is held whole while it is searched; longer ones are refused.
constexpr size_t DOCUMENT_SCAN_LINE_LIMIT = size_t{64} * 1024 * 1024;

// starts[k]: where reading afresh yields line k x STRIDE as its first line.
// It grows as scans pass; it is only valid for one version of the file.
struct DocumentIndex {
    std::vector<uint64_t> starts{0};
};

enum DocumentScanResult {
    DOCUMENT_SCAN_ENDED,   // every line up to the end was visited
    DOCUMENT_SCAN_STOPPED, // the visitor asked to stop
    DOCUMENT_SCAN_READ_ERROR,
    DOCUMENT_SCAN_LONG_LINE, // a line longer than DOCUMENT_SCAN_LINE_LIMIT
};

// Receives line `index`; returns false to stop the scan.
using DocumentVisit = bool (*)(void *context, int32_t index, std::string_view line);

// Visits lines first ... end - 1 in order (fewer when the file has fewer).
DocumentScanResult document_scan(DocumentIndex *index, const DocumentSource &source, int32_t first,
                                 int32_t end, DocumentVisit visit, void *context);
