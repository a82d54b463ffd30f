// Hooks for tests: make the loader's allocations fail on demand.
#pragma once

#include <cstddef>

using LinesAllocator = void *(*)(size_t size);

// Replaces the allocator of line nodes; null restores malloc.
void lines_set_allocator(LinesAllocator allocator);
