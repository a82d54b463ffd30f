// The document path named on the command line.
#pragma once

#include <cstddef>

// Takes the path from the program's argument text: a pair of double quotes
// around the whole text is removed, nothing else is parsed. Writes it,
// NUL-terminated, into `path` of `size` bytes and returns true; returns false
// when it does not fit (a cut path could name another file), leaving `path`
// as the text cut to fit, for the error message.
bool command_line_path(const char *arguments, char *path, size_t size);
