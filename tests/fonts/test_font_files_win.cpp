// fonts_load with real font folders beside the program: each case copies
// font_child.exe into a fresh directory, fills its fonts folder and runs one
// of the child's tests there.
#include "font_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string own_directory() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    *std::strrchr(path, '\\') = '\0';
    return path;
}

std::string marked_file(int n) {
    FontData data = marked_font(n);
    return std::string(reinterpret_cast<const char *>(data.data()), data.size());
}

// Runs the child test `name` from `dir`; returns its exit code and output.
DWORD run_child(const TempDir &dir, const std::string &name, std::string *output) {
    std::string exe = dir.file("font_child.exe");
    fs::copy_file(own_directory() + "\\font_child.exe", exe);
    std::string log = dir.file("child.log");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             0, nullptr);
    std::string command = "\"" + exe + "\" --gtest_filter=FromFiles." + name;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process{};
    DWORD code = 99;
    if (CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       dir.path.string().c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    *output = read_file(log);
    return code;
}

void expect_child_passes(const TempDir &dir, const std::string &name) {
    std::string output;
    EXPECT_EQ(run_child(dir, name, &output), 0u) << output;
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
    expect_child_passes(dir, "NoFontsFolderGivesTenBoxesPerCall");
}

TEST(FontFiles, OnlyVga3Missing) {
    TempDir dir;
    fs::create_directory(dir.path / "fonts");
    for (int n = 0; n < FONT_COUNT; ++n)
        if (n != 3)
            dir.write("fonts\\vga" + std::to_string(n) + ".sfn", marked_file(n));
    fs::create_directory(dir.path / "fonts" / "vga3.sfn"); // a folder does not open as a font
    expect_child_passes(dir, "OnlyVga3MissingGivesOneBoxPerCall");
}

} // namespace
