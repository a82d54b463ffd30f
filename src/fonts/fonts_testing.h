// Hooks for tests: make the font buffers' allocations fail, or count them.
#pragma once

#include <cstddef>

using FontsAllocator = void *(*)(size_t size);
using FontsReleaser = void (*)(void *memory);

// Replaces the allocation and release of font buffers and mask rows; null
// restores malloc and free.
void fonts_set_allocator(FontsAllocator allocator, FontsReleaser releaser);
