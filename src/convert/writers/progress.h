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

// Counts consumed document bytes and reports them about once per megabyte.
struct ProgressCounter {
    ConvertProgress *progress;
    size_t pending = 0;
};

constexpr size_t PROGRESS_STEP = size_t{1} << 20;

inline void progress_flush(ProgressCounter &counter) {
    if (counter.pending > 0)
        convert_progress_advance(counter.progress, counter.pending);
    counter.pending = 0;
}

inline void progress_count(ProgressCounter &counter, size_t bytes) {
    counter.pending += bytes;
    if (counter.pending >= PROGRESS_STEP)
        progress_flush(counter);
}
