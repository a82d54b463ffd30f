#include "command_line.h"

#include <cstring>

bool command_line_path(const char *arguments, char *path, size_t size) {
    if (size == 0)
        return false;
    const char *start = arguments;
    size_t length = std::strlen(arguments);
    if (length >= 2 && arguments[0] == '"' && arguments[length - 1] == '"') {
        start += 1;
        length -= 2;
    }
    bool fits = length < size;
    if (!fits)
        length = size - 1;
    std::memcpy(path, start, length);
    path[length] = '\0';
    return fits;
}
