// Files beside the executable: the directory ends at the last backslash only,
// and a path that does not fit is refused whole, never cut or overrun.
#include "debuglog/module_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string beside(const std::string &module, size_t size = 256) {
    std::vector<char> out(size + 1, 'X');
    bool fits =
        path_beside_module(out.data(), size, module, NoBackslash::NAME_IS_FOLDER, {"debug.log"});
    EXPECT_EQ(out[size], 'X') << "wrote past the buffer";
    if (!fits)
        return size == 0 || out[0] == '\0' ? "refused" : "refused, but wrote";
    return out.data();
}

std::string folder(const std::string &module, NoBackslash no_backslash) {
    return module.substr(0, module_folder_length(module, no_backslash));
}

TEST(ModulePath, DirectoryEndsAtTheLastBackslash) {
    EXPECT_EQ(beside("C:\\Program Files\\Korvel\\korvel.exe"),
              "C:\\Program Files\\Korvel\\debug.log");
    EXPECT_EQ(beside("C:\\a/b\\c/d.exe"), "C:\\a/b\\debug.log");
    EXPECT_EQ(beside("korvel.exe"), "korvel.exe\\debug.log");
}

TEST(ModulePath, ANameWithoutBackslashIsTheFolderOrNone) {
    for (NoBackslash no_backslash : {NoBackslash::NAME_IS_FOLDER, NoBackslash::DRIVE_ROOT}) {
        EXPECT_EQ(folder("C:\\Program Files\\Korvel\\korvel.exe", no_backslash),
                  "C:\\Program Files\\Korvel");
        EXPECT_EQ(folder("C:\\", no_backslash), "C:");
    }
    EXPECT_EQ(folder("korvel.exe", NoBackslash::NAME_IS_FOLDER), "korvel.exe");
    EXPECT_EQ(folder("korvel.exe", NoBackslash::DRIVE_ROOT), "");
}

TEST(ModulePath, TooLongIsRefusedNotCut) {
    std::string directory(245, 'd');
    EXPECT_EQ(beside(directory + "\\k.exe"), directory + "\\debug.log");
    EXPECT_EQ(beside(directory + "d\\k.exe"), "refused");
    EXPECT_EQ(beside(std::string(5000, 'e') + "\\k.exe"), "refused");
    EXPECT_EQ(beside("C:\\x\\k.exe", 0), "refused");
}

TEST(ModulePath, JoinFillsExactlyOrRefusesWithoutWritingPast) {
    constexpr size_t SIZE = 16;
    std::vector<char> buffer(SIZE + 4, '#');
    // 15 characters and the NUL fill 16 bytes exactly.
    ASSERT_TRUE(path_join(buffer.data(), SIZE, {"C:\\dir", "\\Plugins", "\\"}));
    EXPECT_STREQ(buffer.data(), "C:\\dir\\Plugins\\");
    EXPECT_EQ(std::string(buffer.begin() + SIZE, buffer.end()), "####");

    std::fill(buffer.begin(), buffer.end(), '#');
    // One character more is refused, and nothing of a cut path is left.
    EXPECT_FALSE(path_join(buffer.data(), SIZE, {"C:\\dir", "\\Plugins", "\\x"}));
    EXPECT_STREQ(buffer.data(), "");
    EXPECT_EQ(std::string(buffer.begin() + SIZE, buffer.end()), "####");

    EXPECT_FALSE(path_join(buffer.data(), SIZE, {std::string(SIZE, 'a')}));
    EXPECT_STREQ(buffer.data(), "");
    EXPECT_TRUE(path_join(buffer.data(), SIZE, {}));
    EXPECT_STREQ(buffer.data(), "");
    EXPECT_FALSE(path_join(buffer.data(), 0, {""}));
    EXPECT_EQ(buffer[0], '\0') << "a zero-sized buffer must not be touched";
}

} // namespace
