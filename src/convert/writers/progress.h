// How far a conversion has got, for the converter's progress line. Every
// writer reports the document bytes it has consumed, at least once per
// megabyte or per page, so a long document shows steady progress.
#pragma once

#include <cstddef>

struct ConvertProgress {
    void (*advance)(void *context, size_t bytes);
    void *context;
};

inline void convert_progress_advance(ConvertProgress *progress, size_t bytes) {
    if (progress && progress->advance)
        progress->advance(progress->context, bytes);
}
