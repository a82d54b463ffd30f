// Reading a document file as raw bytes, the platform's way. Opening shares
// the file for reading and writing with other programs, so it fails only when
// another program holds the file without read sharing. Only files on a disk
// open: a pipe or a device (console, serial port, NUL) is refused.
#pragma once

#include "lines/lines.h"

#include <cstddef>

struct LineFile;

// Null with `refusal` set when the file does not open or is not a file on a disk.
LineFile *line_file_open(const char *path, LinesRefusal *refusal);
// Bytes read into `buffer`: 0 at the end of the file, -1 on a read error.
long line_file_read(LineFile *file, char *buffer, size_t capacity);
// The file's size when it was opened, for planning only: others may still
// change it while it is read.
unsigned long long line_file_size(const LineFile *file);
void line_file_close(LineFile *file);
