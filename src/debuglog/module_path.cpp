#include "module_path.h"

#include <cstring>

bool path_beside_module(const char *module_path, const char *name, char *out, size_t size) {
    if (size == 0)
        return false;
    out[0] = '\0';
    const char *last_backslash = std::strrchr(module_path, '\\');
    size_t directory = last_backslash ? static_cast<size_t>(last_backslash - module_path)
                                      : std::strlen(module_path);
    size_t name_length = std::strlen(name);
    if (directory + 1 + name_length + 1 > size)
        return false;
    std::memcpy(out, module_path, directory);
    out[directory] = '\\';
    std::memcpy(out + directory + 1, name, name_length + 1);
    return true;
}
