// Linked into a benchmark build of the viewer: the memory limit comes from
// KORVEL_BENCH_MEMORY_LIMIT_MB, and without it there is none, so a document
// takes all the memory there is.
#include "lines/lines_testing.h"

#include <cstdlib>

namespace {

size_t limit_from_environment() {
    const char *megabytes = std::getenv("KORVEL_BENCH_MEMORY_LIMIT_MB");
    return megabytes ? std::strtoul(megabytes, nullptr, 10) * size_t{1048576}
                     : static_cast<size_t>(-1);
}

[[maybe_unused]] const bool limited = (lines_set_memory_limit(limit_from_environment()), true);

} // namespace
