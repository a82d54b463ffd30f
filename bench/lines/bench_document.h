// The benchmarks' generated document, the same bytes on every run.
#pragma once

#include <cstddef>
#include <string>

// Writes about `megabytes` MB to `path` and returns the size written: mostly
// 60-90-byte lines of Cyrillic text and box drawing, CR LF, with a line of
// several KB every thousand lines. Exits the program if the file cannot be
// made.
size_t bench_document_write(const std::string &path, size_t megabytes);
