// Hooks for tests: make the loader's allocations fail on demand.
#pragma once

#include <cstddef>

using LinesAllocator = void *(*)(size_t size);

// Lines are stored in heap blocks of this size; a longer line gets a block of
// its own.
constexpr size_t LINES_SLAB_SIZE = 1024 * 1024;

// Replaces the allocator of the loader's blocks; null restores malloc.
void lines_set_allocator(LinesAllocator allocator);

// Replaces the memory limit; 0 restores LINES_MEMORY_LIMIT (lines.h).
void lines_set_memory_limit(size_t bytes);

// Replaces the document size from which a helper thread makes the loader's
// blocks ready; 0 restores the default (8 MB).
void lines_set_helper_threshold(unsigned long long bytes);
