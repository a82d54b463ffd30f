// The viewer's own resources, read from the built korvel.exe: the menu with
// its CP1251 captions and command numbers, the two accelerators, the icon,
// the version information and the manifest.
#include "korvel_version.h"
#include "support/programs_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

struct Item {
    std::string caption; // CP1251; empty for a separator
    UINT id;             // 0 for a popup or separator
};

std::vector<Item> items_of(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char caption[128] = "";
        GetMenuStringA(menu, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
        UINT id = GetSubMenu(menu, i) ? 0 : GetMenuItemID(menu, i);
        items.push_back({caption, id == static_cast<UINT>(-1) ? 0 : id});
    }
    return items;
}

bool operator==(const Item &a, const Item &b) {
    return a.caption == b.caption && a.id == b.id;
}

void PrintTo(const Item &item, std::ostream *out) {
    *out << item.caption << " = " << item.id;
}

std::string viewer_exe() {
    return test_bin_directory() + "\\..\\..\\dist\\korvel.exe";
}

struct Viewer : testing::Test {
    HMODULE module = nullptr;
    void SetUp() override {
        std::string exe = viewer_exe();
        module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << exe;
    }
    void TearDown() override {
        if (module)
            FreeLibrary(module);
    }
};

// On 64-bit Windows (and Wine) the 32-bit viewer then has 4 GB of address
// space for large documents.
TEST_F(Viewer, IsLargeAddressAware) {
    auto base = reinterpret_cast<const BYTE *>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR{3});
    auto headers = reinterpret_cast<const IMAGE_NT_HEADERS *>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
    EXPECT_TRUE(headers->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
}

TEST_F(Viewer, MenuHasTheCaptionsAndCommands) {
    HMENU menu = LoadMenuA(module, "MAINMENU");
    ASSERT_NE(menu, nullptr);
    // "&Файл", "&Правка", "&?" and the items, in CP1251.
    EXPECT_EQ(items_of(menu),
              (std::vector<Item>{
                  {"&\xD4\xE0\xE9\xEB", 0}, {"&\xCF\xF0\xE0\xE2\xEA\xE0", 0}, {"&?", 769}}));
    EXPECT_EQ(items_of(GetSubMenu(menu, 0)),
              (std::vector<Item>{{"&\xCE\xF2\xEA\xF0\xFB\xF2\xFC...\tCtrl+O", 257},
                                 {"", 0},
                                 {"&\xCF\xE5\xF7\xE0\xF2\xFC...\tCtrl+P", 258},
                                 {"\xCF\xE0\xF0\xE0\xEC\xE5&\xF2\xF0\xFB \xF1\xF2\xF0\xE0\xED"
                                  "\xE8\xF6\xFB...",
                                  259},
                                 {"", 0},
                                 {"\xC2&\xFB\xF5\xEE\xE4", 260}}));
    EXPECT_EQ(items_of(GetSubMenu(menu, 1)),
              (std::vector<Item>{{"&\xCA\xEE\xEF\xE8\xF0\xEE\xE2\xE0\xF2\xFC", 514}}));
    DestroyMenu(menu);
}

TEST_F(Viewer, AcceleratorsAreCtrlOAndCtrlP) {
    HACCEL table = LoadAcceleratorsA(module, "MAINACCEL");
    ASSERT_NE(table, nullptr);
    ACCEL entries[4]{};
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 4), 2);
    for (const ACCEL &entry : entries) {
        if (entry.cmd) {
            EXPECT_EQ(entry.fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT), FVIRTKEY | FCONTROL);
        }
    }
    EXPECT_EQ(entries[0].key, 0x4F);
    EXPECT_EQ(entries[0].cmd, 257);
    EXPECT_EQ(entries[1].key, 0x50);
    EXPECT_EQ(entries[1].cmd, 258);
}

TEST_F(Viewer, IconIsOne32By32ImageWith16Colours) {
    HRSRC group = FindResourceA(module, "MAINICON", MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto *bytes = static_cast<const BYTE *>(LockResource(LoadResource(module, group)));
    ASSERT_NE(bytes, nullptr);
    // GRPICONDIR: reserved, type 1, count; then one 14-byte entry per image.
    EXPECT_EQ(bytes[2], 1);
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes[6], 32); // width
    EXPECT_EQ(bytes[7], 32); // height
    EXPECT_EQ(bytes[8], 16); // colours
    EXPECT_EQ(bytes[12], 4); // bits per pixel
}

TEST_F(Viewer, VersionInformationAndManifestAreWhatWindowsReads) {
    std::string exe = viewer_exe();
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));
    auto query = [&](const char *key) -> std::pair<void *, UINT> {
        void *value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(info.data(), key, &value, &length))
            return {nullptr, 0};
        return {value, length};
    };
    auto *fixed = static_cast<VS_FIXEDFILEINFO *>(query("\\").first);
    ASSERT_NE(fixed, nullptr);
    const DWORD high = MAKELONG(KORVEL_VERSION_MINOR, KORVEL_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, KORVEL_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    // Russian, CP1251: the block Explorer shows the strings of.
    auto translation = query("\\VarFileInfo\\Translation");
    ASSERT_EQ(translation.second, 4u);
    EXPECT_EQ(static_cast<WORD *>(translation.first)[0], 0x0419);
    EXPECT_EQ(static_cast<WORD *>(translation.first)[1], 1251);
    auto text = [&](const char *name) {
        auto value = query((std::string("\\StringFileInfo\\041904E3\\") + name).c_str());
        return value.first ? std::string(static_cast<char *>(value.first)) : std::string("(none)");
    };
    EXPECT_EQ(text("ProductName"), "Korvel Viewer");
    EXPECT_EQ(text("FileVersion"), KORVEL_VERSION_STRING ".0");
    EXPECT_EQ(text("ProductVersion"), KORVEL_VERSION_STRING ".0");
    EXPECT_EQ(text("OriginalFilename"), "korvel.exe");
    EXPECT_NE(text("FileDescription"), "(none)");
    EXPECT_NE(text("LegalCopyright").find("MIT"), std::string::npos);

    // The manifest as the loader reads it: with its activation context on,
    // Common Controls come in version 6.
    HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(manifest, nullptr);
    std::string xml(static_cast<const char *>(LockResource(LoadResource(module, manifest))),
                    SizeofResource(module, manifest));
    EXPECT_NE(xml.find("level=\"asInvoker\""), std::string::npos);
    for (const char *windows : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a",  // 7
                                "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",  // 8
                                "1f676c76-80e1-4239-95bb-83d0f6d0da78",  // 8.1
                                "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) // 10, 11
        EXPECT_NE(xml.find(std::string("<supportedOS Id=\"{") + windows + "}\"/>"),
                  std::string::npos)
            << windows;
    // DPI-unaware: no dpiAware or dpiAwareness setting at all.
    EXPECT_EQ(xml.find("dpiAware"), std::string::npos);

    ACTCTXA context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = exe.c_str();
    context.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE activation = CreateActCtxA(&context);
    ASSERT_NE(activation, INVALID_HANDLE_VALUE) << GetLastError();
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(activation, &cookie));
    HMODULE controls = LoadLibraryA("comctl32.dll");
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(activation);
    ASSERT_NE(controls, nullptr);
    // The side-by-side copy (WinSxS\\x86_microsoft.windows.common-controls_..._6.0.*),
    // not the version 5 one of the system folder.
    char loaded[MAX_PATH] = "";
    GetModuleFileNameA(controls, loaded, MAX_PATH);
    EXPECT_NE(std::string(CharLowerA(loaded))
                  .find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
              std::string::npos)
        << loaded;
}

} // namespace
