// The file name of a loaded module, read the one way every part of the
// Windows programs reads it.
#pragma once

#include "debuglog/module_path.h"

#include <windows.h>

// The full file name of `module` (null: the executable). False, with `name`
// empty, when the system gives none or it does not fit.
bool module_file_name(HMODULE module, char (&name)[MODULE_PATH_SIZE]);
