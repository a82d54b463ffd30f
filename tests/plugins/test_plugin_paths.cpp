// The host's platform-free helpers: which export each command reaches, and
// path composition that refuses instead of cutting.
#include "plugins/plugin_commands.h"
#include "plugins/plugin_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(PluginPaths, EachCommandReachesItsExportAndOthersNone) {
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_CREATE), "Create");
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_DESTROY), "Destroy");
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_LOAD), "Load");
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_SAVE), "Save");
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_KEYPRESS), "KeyPress");
    EXPECT_STREQ(plugins_export_name(PLUGIN_CMD_SYSKEYPRESS), "SysKeyPress");
    for (int code : {PLUGIN_CMD_OPEN, 0, 3, 0x10, 0x13, 0x41, 0x51, 0x140, -1, -0x40})
        EXPECT_EQ(plugins_export_name(code), nullptr) << code;
}

TEST(PluginPaths, CutAtLastBackslash) {
    char exe[] = "C:\\Program Files\\Korvel\\korvel.exe";
    plugins_cut_at_last_backslash(exe);
    EXPECT_STREQ(exe, "C:\\Program Files\\Korvel");
    char bare[] = "korvel.exe";
    plugins_cut_at_last_backslash(bare);
    EXPECT_STREQ(bare, "korvel.exe");
    char root[] = "C:\\";
    plugins_cut_at_last_backslash(root);
    EXPECT_STREQ(root, "C:");
}

TEST(PluginPaths, JoinFillsExactlyOrRefusesWithoutWritingPast) {
    constexpr size_t SIZE = 16;
    std::vector<char> buffer(SIZE + 4, '#');
    // 15 characters and the NUL fill 16 bytes exactly.
    ASSERT_TRUE(plugins_join(buffer.data(), SIZE, {"C:\\dir", "\\Plugins", "\\"}));
    EXPECT_STREQ(buffer.data(), "C:\\dir\\Plugins\\");
    EXPECT_EQ(std::string(buffer.begin() + SIZE, buffer.end()), "####");

    std::fill(buffer.begin(), buffer.end(), '#');
    // One character more is refused, and nothing of a cut path is left.
    EXPECT_FALSE(plugins_join(buffer.data(), SIZE, {"C:\\dir", "\\Plugins", "\\x"}));
    EXPECT_STREQ(buffer.data(), "");
    EXPECT_EQ(std::string(buffer.begin() + SIZE, buffer.end()), "####");

    EXPECT_FALSE(plugins_join(buffer.data(), SIZE, {std::string(SIZE, 'a')}));
    EXPECT_STREQ(buffer.data(), "");
    EXPECT_TRUE(plugins_join(buffer.data(), SIZE, {}));
    EXPECT_STREQ(buffer.data(), "");
    EXPECT_FALSE(plugins_join(buffer.data(), 0, {""}));
    EXPECT_EQ(buffer[0], '\0') << "a zero-sized buffer must not be touched";
}

} // namespace
