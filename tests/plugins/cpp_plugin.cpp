// A plug-in written in C++ with the kit's header: its exports must come out
// under their plain names, callable by the host.
#include "korvel_plugin.h"

KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL KeyPress(HWND, const char *path, int value) {
    return path[0] == '\0' ? value + 1000 : -value;
}
