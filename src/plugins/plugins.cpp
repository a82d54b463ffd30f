#include "plugins.h"

#include "debuglog/debuglog.h"
#include "debuglog/module_file_name.h"
#include "plugins/plugin_call.h"
#include "plugins/plugin_exports.h"

#include <new>

namespace {

// The record texts and their line numbers are part of the log's format that
// readers of debug.log rely on; they do not follow this file's layout.
constexpr char LOG_TAG[] = "plugins.c";
constexpr int LINE_FIND = 40;
constexpr int LINE_LOADING = 52;
constexpr int LINE_SENDING = 88;
constexpr int LINE_KEYPRESS_ANSWER = 112;
constexpr int LINE_SYSKEYPRESS_ANSWER = 123;

PluginNode *plugin_head = nullptr;
PluginNode *plugin_tail = nullptr;

// Set when Destroy is dispatched. Plug-ins may free their state in Destroy,
// so from then on no export is called again: not by a walk that was under
// way when Destroy came from inside one of its exports, nor by any later
// command (a File > Open finishing after its error box, for one).
bool destroy_dispatched = false;

// "<folder of the executable>\Plugins\<file_name>"; false when it does not fit.
bool plugins_path(char (&path)[MODULE_PATH_SIZE], const char *exe, const char *file_name) {
    return path_beside_module(path, MODULE_PATH_SIZE, exe, NoBackslash::NAME_IS_FOLDER,
                              {"Plugins\\", file_name});
}

void load_found_file(const char *exe, const char *file_name) {
    char library[MODULE_PATH_SIZE];
    if (!plugins_path(library, exe, file_name))
        return;
    debug_print("%s: %d  loading library \"%s\".", LOG_TAG, LINE_LOADING, library);
    // Cell and node are taken before loading, so that a library is never
    // loaded without a node to keep it.
    HMODULE *cell = new (std::nothrow) HMODULE(nullptr);
    PluginNode *node = cell ? new (std::nothrow) PluginNode{cell, nullptr} : nullptr;
    if (!node) {
        delete cell;
        return;
    }
    // A file that is no usable library only fails to load; the system must
    // not stop the start-up with a box of its own about it.
    UINT error_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    *cell = LoadLibraryA(library);
    SetErrorMode(error_mode);
    if (plugin_tail)
        plugin_tail->next = node;
    else
        plugin_head = node;
    plugin_tail = node;
}

} // namespace

int plugins_load_all() {
    plugin_head = nullptr;
    plugin_tail = nullptr;
    destroy_dispatched = false;

    char exe[MODULE_PATH_SIZE];
    char pattern[MODULE_PATH_SIZE];
    if (!module_file_name(GetModuleHandleA(nullptr), exe) || !plugins_path(pattern, exe, "*.dll"))
        return -1;
    debug_print("%s: %d  find plugin at \"%s\".", LOG_TAG, LINE_FIND, pattern);

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    do {
        load_found_file(exe, found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return 0;
}

int plugins_send(HWND window, const char *path, int value, int command) {
    // Everything about this walk lives in this call, so an export that
    // causes another dispatch before it returns leaves it intact.
    int answer = -1;
    debug_print("%s: %d  sending to all plugins command %X.", LOG_TAG, LINE_SENDING, command);
    const char *export_name = plugins_export_name(command);
    if (!export_name || destroy_dispatched)
        return answer;
    const bool is_destroy = command == PLUGIN_CMD_DESTROY;
    if (is_destroy)
        destroy_dispatched = true;
    for (const PluginNode *node = plugin_head; node; node = node->next) {
        if (destroy_dispatched && !is_destroy)
            break; // an export of this walk caused Destroy
        HMODULE module = *node->module;
        if (!module)
            continue;
        auto entry = reinterpret_cast<PluginEntry>(
            reinterpret_cast<void *>(GetProcAddress(module, export_name)));
        if (!entry)
            continue;
        answer = plugins_call_entry(entry, window, path, value);
        if (command == PLUGIN_CMD_KEYPRESS || command == PLUGIN_CMD_SYSKEYPRESS) {
            char module_name[MODULE_PATH_SIZE];
            module_file_name(module, module_name);
            int line =
                command == PLUGIN_CMD_KEYPRESS ? LINE_KEYPRESS_ANSWER : LINE_SYSKEYPRESS_ANSWER;
            debug_print("%s: %d  return value %d from %s plugin.", LOG_TAG, line, answer,
                        module_name);
        }
    }
    return answer;
}

void plugins_shutdown() {
    // Libraries stay loaded and the list stays allocated until the process
    // ends: an export may still be running code of its library at exit.
}
