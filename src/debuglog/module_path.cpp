#include "module_path.h"

#include <cstring>

namespace {

// Appends `part` at `*length`; false, with `out` emptied, when it and the NUL
// do not fit into `size` (> 0) bytes.
bool append(char *out, size_t size, size_t *length, std::string_view part) {
    if (part.size() >= size - *length) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out + *length, part.data(), part.size());
    *length += part.size();
    return true;
}

// Appends `parts` at `length` and ends the string there.
bool append_all(char *out, size_t size, size_t length,
                std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts)
        if (!append(out, size, &length, part))
            return false;
    out[length] = '\0';
    return true;
}

} // namespace

size_t module_folder_length(std::string_view module_path, NoBackslash no_backslash) {
    size_t last_backslash = module_path.rfind('\\');
    if (last_backslash != std::string_view::npos)
        return last_backslash;
    return no_backslash == NoBackslash::NAME_IS_FOLDER ? module_path.size() : 0;
}

bool path_join(char *out, size_t size, std::initializer_list<std::string_view> parts) {
    return size > 0 && append_all(out, size, 0, parts);
}

bool path_beside_module(char *out, size_t size, std::string_view module_path,
                        NoBackslash no_backslash, std::initializer_list<std::string_view> parts) {
    std::string_view folder =
        module_path.substr(0, module_folder_length(module_path, no_backslash));
    size_t length = 0;
    return size > 0 && append(out, size, &length, folder) && append(out, size, &length, "\\") &&
           append_all(out, size, length, parts);
}
