// Platform-free pieces of the plug-in host: which export a command calls and
// how the search pattern and library paths are put together without ever
// writing past a buffer.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

// The export that `command` calls in every plug-in, or nullptr for a code
// that calls none (0x21 and every unknown code).
const char *plugins_export_name(int command);

// Cuts a NUL-terminated path at its last backslash, which becomes the end of
// the string; a path without one is left whole.
void plugins_cut_at_last_backslash(char *path);

// Writes `parts` one after another into `out` as a NUL-terminated string.
// False, with `out` emptied, when they do not fit into `size` bytes: a cut
// path could name another file, so it is never produced.
bool plugins_join(char *out, std::size_t size, std::initializer_list<std::string_view> parts);
