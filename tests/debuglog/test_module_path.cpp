// Files beside the executable: the directory ends at the last backslash only,
// and a path that does not fit is refused whole, never cut or overrun.
#include "debuglog/module_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string beside(const std::string &module, size_t size = 256) {
    std::vector<char> out(size + 1, 'X');
    bool fits = path_beside_module(module.c_str(), "debug.log", out.data(), size);
    EXPECT_EQ(out[size], 'X') << "wrote past the buffer";
    if (!fits)
        return size == 0 || out[0] == '\0' ? "refused" : "refused, but wrote";
    return out.data();
}

TEST(ModulePath, DirectoryEndsAtTheLastBackslash) {
    EXPECT_EQ(beside("C:\\Program Files\\Korvel\\korvel.exe"),
              "C:\\Program Files\\Korvel\\debug.log");
    EXPECT_EQ(beside("C:\\a/b\\c/d.exe"), "C:\\a/b\\debug.log");
    EXPECT_EQ(beside("korvel.exe"), "korvel.exe\\debug.log");
}

TEST(ModulePath, TooLongIsRefusedNotCut) {
    std::string directory(245, 'd');
    EXPECT_EQ(beside(directory + "\\k.exe"), directory + "\\debug.log");
    EXPECT_EQ(beside(directory + "d\\k.exe"), "refused");
    EXPECT_EQ(beside(std::string(5000, 'e') + "\\k.exe"), "refused");
    EXPECT_EQ(beside("C:\\x\\k.exe", 0), "refused");
}

} // namespace
