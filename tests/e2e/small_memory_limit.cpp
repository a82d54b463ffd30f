// Linked into a test build of the viewer: its documents may take four of the
// loader's blocks, so a document of a few megabytes is loaded only in part.
#include "lines/lines_testing.h"

namespace {

[[maybe_unused]] const bool limited = (lines_set_memory_limit(4 * LINES_SLAB_SIZE), true);

} // namespace
