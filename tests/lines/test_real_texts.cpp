// Real MS-DOS texts: every line arrives, counted the way a reader counts them
// (CR LF line ends, up to the first Ctrl+Z, an unterminated last line too).
// The larger collection beside the repository is used when it is there.
#include "lines/lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

struct RealText {
    const char *name;
    int lines;
    size_t longest;
};

// Line counts and longest lines as listed with the collection.
constexpr RealText REAL_TEXTS[] = {
    {"zrdx_rus.txt", 133, 79},  {"vga3x.rus", 15, 73},    {"mntrack.txt", 217, 83},
    {"sysfuncr.txt", 4684, 81}, {"e-mail.a46", 8145, 80}, {"xbase.46d", 22, 804},
    {"facts.027", 206, 77},     {"krupnik.c44", 637, 79}, {"ufo.man", 286, 73},
    {"ca-soft.b4a", 76, 66},    {"file_id.diz", 23, 75},  {"review.d48", 500, 78},
};

void expect_loaded(const fs::path &path, const RealText &text) {
    LineList list = lines_new();
    ASSERT_EQ(lines_load(&list, path.string().c_str()), LINES_LOAD_OK) << path;
    size_t longest = 0;
    for (const LineNode *node = list; node; node = node->next)
        longest = std::max(longest, node->length);
    EXPECT_EQ(lines_count(&list), text.lines) << path;
    EXPECT_EQ(longest, text.longest) << path;
    lines_free(&list);
}

TEST(RealTexts, BundledCopiesLoadWhole) {
    fs::path bundled = fs::path(KORVEL_SOURCE_DIR) / "samples" / "corpus";
    expect_loaded(bundled / "zrdx_rus.txt", REAL_TEXTS[0]);
    expect_loaded(bundled / "vga3x.rus", REAL_TEXTS[1]);
}

TEST(RealTexts, CollectionLoadsWhole) {
    fs::path collection = fs::path(KORVEL_SOURCE_DIR) / ".." / "shared" / "corpus" / "real-cp866";
    if (!fs::exists(collection))
        GTEST_SKIP() << "no text collection beside the repository";
    for (const RealText &text : REAL_TEXTS)
        expect_loaded(collection / text.name, text);
}

} // namespace
