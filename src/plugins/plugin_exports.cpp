#include "plugin_exports.h"

#include "plugin_commands.h"

const char *plugins_export_name(int command) {
    switch (command) {
    case PLUGIN_CMD_CREATE:
        return "Create";
    case PLUGIN_CMD_DESTROY:
        return "Destroy";
    case PLUGIN_CMD_LOAD:
        return "Load";
    case PLUGIN_CMD_SAVE:
        return "Save";
    case PLUGIN_CMD_KEYPRESS:
        return "KeyPress";
    case PLUGIN_CMD_SYSKEYPRESS:
        return "SysKeyPress";
    default:
        return nullptr; // PLUGIN_CMD_OPEN and unknown codes reach no export
    }
}
