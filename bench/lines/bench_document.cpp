#include "bench_document.h"

#include <cstdio>
#include <cstdlib>

// Mostly 60-90-byte lines of Cyrillic text and box drawing, CR LF, with a
// line of several KB every thousand lines.
size_t bench_document_write(const std::string &path, size_t megabytes) {
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        std::exit(1);
    }
    const char alphabet[] = "\x80\x81\x82\xA0\xA1\xA2\xAE\xE0\xE1 ,.\xB3\xC4 abc";
    unsigned seed = 12345;
    size_t written = 0, lines = 0;
    std::string line;
    while (written < megabytes * 1048576) {
        seed = seed * 1103515245 + 12345;
        size_t length = (lines % 1000 == 999) ? 2000 + (seed >> 8) % 6000 : 60 + (seed >> 8) % 31;
        line.clear();
        for (size_t i = 0; i < length; ++i) {
            seed = seed * 1103515245 + 12345;
            line += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
        }
        line += "\r\n";
        std::fwrite(line.data(), 1, line.size(), file);
        written += line.size();
        ++lines;
    }
    std::fclose(file);
    return written;
}
