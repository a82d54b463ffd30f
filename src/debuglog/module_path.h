// Paths of the files that live beside the executable: the fonts, the
// plug-ins, the debug log, and the converter's fonts. The folder is the
// executable's file name cut at its last backslash, taken anew each time.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

// Room for a module's file name and the paths made from it: far more than any
// ANSI path the system hands out, so a name that does not fit is refused,
// never cut (a cut path could name another file).
constexpr size_t MODULE_PATH_SIZE = 1024;

// What a module's file name without any backslash leaves as its folder.
enum class NoBackslash {
    NAME_IS_FOLDER, // the name is used whole, as the folder
    DRIVE_ROOT,     // no folder: the files lie at the root of the current drive
};

// The length of the folder part of `module_path`: up to its last backslash.
// Only the backslash separates; a forward slash is part of a name.
size_t module_folder_length(std::string_view module_path, NoBackslash no_backslash);

// Writes `parts` one after another into `out` as a NUL-terminated string.
// False, with `out` emptied, when they do not fit into `size` bytes.
bool path_join(char *out, size_t size, std::initializer_list<std::string_view> parts);

// Writes "<folder of module_path>\<parts>" into `out` (`size` bytes); false,
// with `out` emptied, when it does not fit.
bool path_beside_module(char *out, size_t size, std::string_view module_path,
                        NoBackslash no_backslash, std::initializer_list<std::string_view> parts);
