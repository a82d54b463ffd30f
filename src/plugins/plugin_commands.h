// The command codes that the viewer sends to its plug-ins. Plug-in authors
// find the same values in sdk/korvel_plugin.h.
#pragma once

constexpr int PLUGIN_CMD_CREATE = 0x01, PLUGIN_CMD_DESTROY = 0x02, PLUGIN_CMD_LOAD = 0x11,
              PLUGIN_CMD_SAVE = 0x12, PLUGIN_CMD_OPEN = 0x21, PLUGIN_CMD_KEYPRESS = 0x40,
              PLUGIN_CMD_SYSKEYPRESS = 0x50;
