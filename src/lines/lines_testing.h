// Hooks for tests: make the loader's allocations fail on demand.
#pragma once

#include <cstddef>

using LinesAllocator = void *(*)(size_t size);

// Lines are stored in heap blocks of this size; a longer line gets a block of
// its own.
constexpr size_t LINES_SLAB_SIZE = 1024 * 1024;

// The most memory a document's lines may take. A larger document is loaded
// up to there and reported as not loaded whole. The bound keeps a 32-bit
// process usable after opening a file larger than its address space: the
// window, its paint bitmap and the system's own libraries still need room.
constexpr size_t LINES_MEMORY_LIMIT = size_t{1024} * 1024 * 1024;

// Replaces the allocator of the loader's blocks; null restores malloc.
void lines_set_allocator(LinesAllocator allocator);

// Replaces the memory limit; 0 restores LINES_MEMORY_LIMIT.
void lines_set_memory_limit(size_t bytes);
