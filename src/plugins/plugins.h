// The plug-in host: loads every Plugins\*.dll beside the executable at
// start-up and offers each command to the libraries' exports.
#pragma once

#include <windows.h>

#include "plugins/plugin_commands.h"

// The form of every plug-in export: caller-cleans (cdecl), window may be null,
// path is the NUL-terminated document path.
typedef int(__cdecl *PluginEntry)(HWND window, const char *path, int value);

// One library found in Plugins; `module` points at its own heap cell holding
// the handle LoadLibraryA gave, null when the file did not load.
struct PluginNode {
    HMODULE *module;
    PluginNode *next;
};

// Loads every library in Plugins in the order the directory search yields
// them. 0 when at least one file matched, -1 when none did.
int plugins_load_all();

// Offers `command` to every loaded plug-in in load order; returns the answer
// of the last one that has the command's export, -1 when none answered.
// Once Destroy has been dispatched no export is called again: a walk under
// way stops before its next plug-in and later commands reach none (their
// dispatch is still logged).
int plugins_send(HWND window, const char *path, int value, int command);

// The host's exit step: libraries stay loaded until the process ends.
void plugins_shutdown();
