// Writes debug log records on command, for the log tests: it is copied into
// a test directory and run there, so its debug.log lands in that directory.
//   log_writer records N TAG   N records "TAG record I" padded to varied lengths
//   log_writer long N          one message of N 'x' characters
//   log_writer text TEXT       one message: TEXT as it is (may hold a line feed)
//   log_writer format          one record using %s %d %u %X %c conversions
#include "debuglog/debuglog.h"

#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char **argv) {
    if (argc < 2)
        return 2;
    std::string mode = argv[1];
    if (mode == "records" && argc == 4) {
        int count = std::atoi(argv[2]);
        for (int i = 0; i < count; ++i) {
            std::string padding(static_cast<size_t>(i % 97), '.');
            debug_print("%s record %d%s", argv[3], i, padding.c_str());
        }
    } else if (mode == "long" && argc == 3) {
        std::string text(static_cast<size_t>(std::atoi(argv[2])), 'x');
        debug_print("%s", text.c_str());
    } else if (mode == "text" && argc == 3) {
        std::string text = argv[2];
        for (size_t at; (at = text.find("\\n")) != std::string::npos;)
            text.replace(at, 2, "\n");
        debug_print("%s", text.c_str());
    } else if (mode == "format") {
        debug_print("%s: %d  value %u hex %X char %c", "main.c", 580, 42u, 0x50, 'Z');
    } else {
        return 2;
    }
    return 0;
}
