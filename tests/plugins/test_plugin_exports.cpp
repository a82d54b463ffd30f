// Which export each command reaches.
#include "plugins/plugin_commands.h"
#include "plugins/plugin_exports.h"

#include <gtest/gtest.h>

namespace {

TEST(PluginExports, EachCommandReachesItsExportAndOthersNone) {
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_CREATE), "Create");
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_DESTROY), "Destroy");
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_LOAD), "Load");
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_SAVE), "Save");
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_KEYPRESS), "KeyPress");
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_SYSKEYPRESS), "SysKeyPress");
    for (int code : {PLUGIN_CMD_OPEN, 0, 3, 0x10, 0x13, 0x41, 0x51, 0x140, -1, -0x40})
        EXPECT_EQ(plugins_export_name(code), nullptr) << code;
}

} // namespace
