#include "slab_supply.h"

#include <cstdlib>
#include <system_error>

namespace {

constexpr size_t PAGE_BYTES = 4096;

// The first write to each page makes the system map it.
void touch_pages(void *block, size_t size) {
    volatile char *bytes = static_cast<char *>(block);
    for (size_t at = 0; at < size; at += PAGE_BYTES)
        bytes[at] = 0;
}

bool room_for_another(const SlabSupply *supply) {
    if (supply->ready_count == SLAB_SUPPLY_DEPTH || supply->loader_held > supply->limit)
        return false;
    return (supply->ready_count + 1) * supply->block_size <= supply->limit - supply->loader_held;
}

void supply_blocks(SlabSupply *supply) {
    std::unique_lock<std::mutex> guard(supply->lock);
    for (;;) {
        supply->changed.wait(guard,
                             [supply] { return supply->stopping || room_for_another(supply); });
        if (supply->stopping)
            return;
        guard.unlock();
        void *block = supply->allocate(supply->block_size);
        if (block)
            touch_pages(block, supply->block_size);
        guard.lock();
        // Out of memory: the loader meets the same failure when it allocates.
        if (!block)
            return;
        supply->ready[supply->ready_count++] = block;
    }
}

} // namespace

bool slab_supply_start(SlabSupply *supply, size_t block_size, size_t limit, SlabAllocate allocate) {
    supply->allocate = allocate;
    supply->block_size = block_size;
    supply->limit = limit;
    supply->loader_held = 0;
    supply->ready_count = 0;
    supply->stopping = false;
    try {
        supply->helper = std::thread(supply_blocks, supply);
    } catch (const std::system_error &) {
        return false;
    }
    return true;
}

void *slab_supply_take(SlabSupply *supply, size_t held) {
    if (!supply->helper.joinable())
        return nullptr;
    void *block = nullptr;
    {
        std::lock_guard<std::mutex> guard(supply->lock);
        supply->loader_held = held;
        if (supply->ready_count > 0)
            block = supply->ready[--supply->ready_count];
    }
    supply->changed.notify_one();
    return block;
}

void slab_supply_stop(SlabSupply *supply) {
    if (!supply->helper.joinable())
        return;
    {
        std::lock_guard<std::mutex> guard(supply->lock);
        supply->stopping = true;
    }
    supply->changed.notify_one();
    supply->helper.join();
    for (size_t i = 0; i < supply->ready_count; ++i)
        std::free(supply->ready[i]);
    supply->ready_count = 0;
}
