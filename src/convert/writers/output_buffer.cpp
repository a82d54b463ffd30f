#include "convert/writers/output_buffer.h"

#include <new>

namespace {

constexpr size_t BUFFER_SIZE = size_t{1} << 18;

void write_out(OutputBuffer &buffer) {
    if (!buffer.failed && buffer.used > 0 &&
        std::fwrite(buffer.data.get(), 1, buffer.used, buffer.out) != buffer.used)
        buffer.failed = true;
    buffer.used = 0;
}

} // namespace

bool output_buffer_open(OutputBuffer &buffer, FILE *out) {
    buffer.out = out;
    buffer.data.reset(new (std::nothrow) char[BUFFER_SIZE]);
    buffer.capacity = buffer.data ? BUFFER_SIZE : 0;
    buffer.used = 0;
    buffer.failed = false;
    return buffer.data != nullptr;
}

char *output_reserve(OutputBuffer &buffer, size_t bytes) {
    if (buffer.capacity - buffer.used < bytes)
        write_out(buffer);
    return buffer.data.get() + buffer.used;
}

int output_finish(OutputBuffer &buffer) {
    write_out(buffer);
    if (std::fflush(buffer.out) != 0 || std::ferror(buffer.out))
        buffer.failed = true;
    return buffer.failed ? -1 : 0;
}
