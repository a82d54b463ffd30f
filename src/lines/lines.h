// The document: a singly linked list of lines, and the loader that fills it
// from a KORVEL document or an MS-DOS text file.
#pragma once

#include <cstddef>

// One line of the document, without its line end. `text` points at `length`
// bytes followed by a NUL; the bytes themselves may hold NULs, so readers use
// `length`, never strlen.
struct LineNode {
    char *text;
    LineNode *next;
    size_t length;
};

// The head of the list; null when the document is empty.
using LineList = LineNode *;

// Results of lines_load.
constexpr int LINES_LOAD_OK = 0;
constexpr int LINES_LOAD_FAILED = -1; // the file could not be opened
// Opened, but cut short: the list holds every line read before.
constexpr int LINES_LOAD_NO_MEMORY = 1;  // memory, or the memory limit, ran out
constexpr int LINES_LOAD_READ_ERROR = 2; // the system reported a read error

// The most memory a document's lines may take. A larger document is loaded
// up to there and reported as not loaded whole. The bound keeps the 32-bit
// viewer usable after opening a file larger than its address space (4 GB
// on 64-bit Windows, the program being large-address-aware): the window, its
// paint bitmap, printing and the system's own libraries still need room.
// Measured under Wine, the viewer still painted, scrolled, printed and opened
// the next document after loading 3 GB, and ran out of address space at
// about 3.6 GB; this leaves a margin below both.
constexpr size_t LINES_MEMORY_LIMIT = size_t{2560} * 1024 * 1024;

// Why a file could not be opened (LINES_LOAD_FAILED): it is not a file on a
// disk, or the system's error code (errno, or GetLastError on Windows).
struct LinesRefusal {
    bool not_a_file = false;
    unsigned long system_error = 0;
};

LineList lines_new();
// Loads the file at `path` into `list`, which must be empty. Returns
// LINES_LOAD_OK, LINES_LOAD_FAILED (list stays empty), LINES_LOAD_NO_MEMORY
// or LINES_LOAD_READ_ERROR.
int lines_load(LineList *list, const char *path);
// lines_load that says, on LINES_LOAD_FAILED, why in `refusal`.
int lines_load_explained(LineList *list, const char *path, LinesRefusal *refusal);
int lines_count(const LineList *list);
void lines_free(LineList *list);
