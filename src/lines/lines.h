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
constexpr int LINES_LOAD_PARTIAL = 1; // opened, but memory or a read error cut it short

LineList lines_new();
// Loads the file at `path` into `list`, which must be empty. Returns
// LINES_LOAD_OK, LINES_LOAD_FAILED (list stays empty) or LINES_LOAD_PARTIAL
// (the list holds every line read before the failure).
int lines_load(LineList *list, const char *path);
int lines_count(const LineList *list);
void lines_free(LineList *list);
