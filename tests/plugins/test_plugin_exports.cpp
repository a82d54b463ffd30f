// Which codes reach an export at all; which export each of them calls is
// checked where the host calls real plug-ins (test_plugins_win.cpp).
#include "plugins/plugin_commands.h"
#include "plugins/plugin_exports.h"

#include <gtest/gtest.h>

namespace {

TEST(PluginExports, OnlyTheSixCommandsReachAnExport) {
    for (int code : {PLUGIN_CMD_CREATE, PLUGIN_CMD_DESTROY, PLUGIN_CMD_LOAD, PLUGIN_CMD_SAVE,
                     PLUGIN_CMD_KEYPRESS, PLUGIN_CMD_SYSKEYPRESS})
        EXPECT_NE(plugins_export_name(code), nullptr) << code;
    for (int code : {PLUGIN_CMD_OPEN, 0, 3, 0x10, 0x13, 0x41, 0x51, 0x140, -1, -0x40})
        EXPECT_EQ(plugins_export_name(code), nullptr) << code;
}

} // namespace
