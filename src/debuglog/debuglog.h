// The append-only debug log, debug.log beside the executable.
#pragma once

// Appends one record: "<date> <time> <pid>: <message>\n", the message made
// from `format` and its arguments as wsprintfA would (at most 1,023
// characters). Failures are silent.
void debug_print(const char *format, ...);
