// Blocks of memory made ready ahead of the loader. The system charges a page
// fault for the first write to every page of a fresh block, and for a large
// document that costs more than reading the file. A helper thread takes that
// cost on the other core: it allocates the next blocks and writes to each of
// their pages while the loader is still filling the current one.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

using SlabAllocate = void *(*)(size_t size);

// Blocks held ready at most; more would only add memory, not speed.
constexpr size_t SLAB_SUPPLY_DEPTH = 8;

struct SlabSupply {
    std::mutex lock;
    std::condition_variable changed;
    std::thread helper;
    SlabAllocate allocate = nullptr; // returns memory std::free releases
    size_t block_size = 0;
    size_t limit = 0;       // the loader's memory limit
    size_t loader_held = 0; // bytes the loader holds, as it last said
    std::array<void *, SLAB_SUPPLY_DEPTH> ready{};
    size_t ready_count = 0;
    bool stopping = false;
};

// Starts the helper. False when no thread could be started; the loader then
// allocates every block itself.
bool slab_supply_start(SlabSupply *supply, size_t block_size, size_t limit, SlabAllocate allocate);

// A ready block of block_size bytes, or null when none is ready yet (the
// caller allocates one itself, and both threads fault pages in at once).
// `held` is what the caller will hold with this block, from here or its own:
// the helper keeps that plus the blocks it holds ready within the limit.
void *slab_supply_take(SlabSupply *supply, size_t held);

// Stops the helper, waits for it, and frees every block nobody took.
void slab_supply_stop(SlabSupply *supply);
