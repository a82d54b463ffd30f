// The viewer's own resources, read from the built korvel.exe: the menu with
// its CP1251 captions and command numbers, the two accelerators, the icon.
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

struct Viewer : testing::Test {
    HMODULE module = nullptr;
    void SetUp() override {
        std::string exe = test_bin_directory() + "\\..\\..\\dist\\korvel.exe";
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
    for (const ACCEL &entry : entries)
        if (entry.cmd)
            EXPECT_EQ(entry.fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT), FVIRTKEY | FCONTROL);
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

} // namespace
