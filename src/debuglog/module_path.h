// Paths of the files that live beside the executable.
#pragma once

#include <cstddef>

// Composes "<directory of module_path>\<name>" into `out` of `size` bytes.
// The directory is module_path cut at its last backslash (a path without one
// is used whole). Returns false, leaving `out` empty, when the result does
// not fit: a cut path could name another file.
bool path_beside_module(const char *module_path, const char *name, char *out, size_t size);
