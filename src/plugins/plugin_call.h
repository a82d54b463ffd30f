// Calls one plug-in export so that the host's stack survives an export built
// with the wrong calling convention.
#pragma once

#include "plugins/plugins.h"

// Calls `entry` with (window, path, value) pushed right to left, as cdecl
// does, and afterwards puts the stack pointer back where it was before the
// arguments were pushed, whatever the export did with them: a callee-cleans
// (stdcall) export that already removed them therefore does no harm.
int plugins_call_entry(PluginEntry entry, HWND window, const char *path, int value);
