// fonts_load with real font folders beside the program: each case copies
// font_child.exe into a fresh directory, fills its fonts folder and runs one
// of the child's tests there.
#include "font_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/programs_win.h"

#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string marked_file(int n) {
    FontData data = marked_font(n);
    return std::string(reinterpret_cast<const char *>(data.data()), data.size());
}

// Runs the child test `name` from `directory` under the name `exe_name`;
// returns its exit code and output.
DWORD run_child(const TempDir &dir, const std::string &name, std::string *output,
                const std::string &directory = "", const char *exe_name = "font_child.exe") {
    std::string home = directory.empty() ? dir.path.string() : directory;
    std::string exe = home + "\\" + exe_name;
    fs::copy_file(test_bin_directory() + "\\font_child.exe", exe);
    std::string log = dir.file("child.log");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             0, nullptr);
    DWORD code = run_program(exe, "--gtest_filter=FromFiles." + name, nullptr, home.c_str(), out);
    CloseHandle(out);
    *output = read_file(log);
    return code;
}

void expect_child_passes(const TempDir &dir, const std::string &name,
                         const std::string &directory = "",
                         const char *exe_name = "font_child.exe") {
    std::string output;
    EXPECT_EQ(run_child(dir, name, &output, directory, exe_name), 0u) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

TEST(FontFiles, LongAndShortFilesAndGlyphFF) {
    TempDir dir;
    fs::create_directory(dir.path / "fonts");
    dir.write("fonts\\vga0.sfn", font_file_pattern(5000));
    dir.write("fonts\\vga1.sfn", font_file_pattern(1000));
    for (int n = 2; n < FONT_COUNT; ++n)
        dir.write("fonts\\vga" + std::to_string(n) + ".sfn", marked_file(n));
    dir.write("fonts\\vga10.sfn", marked_file(9)); // other files are not read
    expect_child_passes(dir, "LongAndShortFilesAndGlyphFF");
}

TEST(FontFiles, NoFontsFolder) {
    TempDir dir;
    dir.write("vga0.sfn", marked_file(0)); // beside the program is not the fonts folder
    expect_child_passes(dir, "NoFontsFolderGivesTenBoxesOnce");
}

TEST(FontFiles, Vga3MissingAndVga5Empty) {
    TempDir dir;
    fs::create_directory(dir.path / "fonts");
    for (int n = 0; n < FONT_COUNT; ++n)
        if (n != 3)
            dir.write("fonts\\vga" + std::to_string(n) + ".sfn", n == 5 ? "" : marked_file(n));
    fs::create_directory(dir.path / "fonts" / "vga3.sfn"); // a folder does not open as a font
    expect_child_passes(dir, "Vga3MissingAndVga5EmptyGiveOneBoxEach");
}

TEST(FontFiles, DirectoryTooLongForTheFontPathReadsNothing) {
    // The program's own path fits in MAX_PATH, "\\fonts\\vgaN.sfn" after its
    // directory does not: no font is read, not even a cut name.
    TempDir dir;
    std::string directory = dir.path.string() + "\\";
    directory += std::string(MAX_PATH - 12 - directory.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
    ASSERT_LT(directory.size() + 6, size_t(MAX_PATH));  // "\\f.exe" fits
    ASSERT_GE(directory.size() + 15, size_t(MAX_PATH)); // "\\fonts\\vga0.sfn" does not
    std::string fonts = directory + "\\fonts";
    if (CreateDirectoryA(fonts.c_str(), nullptr)) {
        // Cut names that a careless path builder could reach.
        for (std::string name :
             {"\\vga0.sfn", "\\vga0.sf", "\\vga0.s", "\\vga0.", "\\vga0", "\\vga", "\\vg", "\\v"}) {
            HANDLE file = CreateFileA((fonts + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                std::string bytes = marked_file(0);
                DWORD written = 0;
                WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
                CloseHandle(file);
            }
        }
    }
    expect_child_passes(dir, "NoFontsFolderGivesTenBoxesOnce", directory, "f.exe");
}

} // namespace
