#include "debuglog/module_file_name.h"

bool module_file_name(HMODULE module, char (&name)[MODULE_PATH_SIZE]) {
    DWORD length = GetModuleFileNameA(module, name, MODULE_PATH_SIZE);
    // At the buffer's size the name was cut, and older systems leave no NUL.
    if (length == 0 || length >= MODULE_PATH_SIZE) {
        name[0] = '\0';
        return false;
    }
    name[length] = '\0';
    return true;
}
