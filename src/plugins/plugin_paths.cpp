#include "plugin_paths.h"

#include <cstring>

#include "plugin_commands.h"

const char *plugins_export_name(int command) {
    switch (command) {
    case PLUGIN_CMD_CREATE:
        return "Create";
    case PLUGIN_CMD_DESTROY:
        return "Destroy";
    case PLUGIN_CMD_LOAD:
        return "Load";
    case PLUGIN_CMD_SAVE:
        return "Save";
    case PLUGIN_CMD_KEYPRESS:
        return "KeyPress";
    case PLUGIN_CMD_SYSKEYPRESS:
        return "SysKeyPress";
    default:
        return nullptr; // PLUGIN_CMD_OPEN and unknown codes reach no export
    }
}

void plugins_cut_at_last_backslash(char *path) {
    char *last_backslash = std::strrchr(path, '\\');
    if (last_backslash)
        *last_backslash = '\0';
}

bool plugins_join(char *out, std::size_t size, std::initializer_list<std::string_view> parts) {
    if (size == 0)
        return false;
    std::size_t length = 0;
    for (std::string_view part : parts) {
        if (part.size() >= size - length) {
            out[0] = '\0';
            return false;
        }
        std::memcpy(out + length, part.data(), part.size());
        length += part.size();
    }
    out[length] = '\0';
    return true;
}
