// Converted pages. PDF checked with Poppler: rendered at 96 dpi without
// anti-aliasing it equals the page model's pictures pixel for pixel; the
// fonts are Type 3 with Unicode maps; the text layer is the text export's;
// the same input gives the same bytes; paper and margins fall on whole
// pixels. PNG: the same pictures, enlarged, in 1 bit or grey.
#include "convert/writers/page_writers.h"
#include "convert/writers/text_writer.h"
#include "writer_test_support.h"
#include "text/cp866_from_utf8.h"
#include "support/temp_dir.h"
#include "korvel_version.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

using namespace std::string_literals;

struct ShippedFonts {
    std::string bytes[FONT_COUNT];
    PageFonts fonts{};
    ShippedFonts() {
        for (int n = 0; n < FONT_COUNT; ++n) {
            bytes[n] = read_file(KORVEL_SOURCE_DIR "/fonts/vga" + std::to_string(n) + ".sfn");
            bytes[n].resize(FONT_DATA_SIZE);
            fonts.glyphs[n] = reinterpret_cast<const unsigned char *>(bytes[n].data());
        }
    }
};

// A document loaded from `content` (CP866 lines ending in CR LF).
struct LoadedDocument {
    LineList lines = lines_new();
    LoadedDocument(const TempDir &dir, const std::string &content) {
        lines_load(&lines, dir.write("document.krv", content).c_str());
    }
    ~LoadedDocument() { lines_free(&lines); }
};

// One byte a pixel, PICTURE_PAPER or PICTURE_INK.
struct GreyPage {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
    bool operator==(const GreyPage &) const = default;
};

// The page model's 96-dpi pictures of every page, paper and all.
std::vector<GreyPage> expected_pages(const LineNode *first, const ShippedFonts &fonts,
                                     const PageSetup &setup, const std::string &footer_path) {
    PagePixels pixels = page_pixels(setup);
    int count = 0;
    for (const LineNode *line = first; line; line = line->next)
        ++count;
    int total = std::max(1, page_layout_page_count(pixels.layout, count));
    std::string path = cp866_from_utf8(footer_path);
    std::vector<GreyPage> pages;
    for (int page = 1; page <= total; ++page) {
        GreyPage grey{pixels.paper_width, pixels.paper_height, {}};
        grey.pixels.resize(static_cast<size_t>(grey.width) * grey.height);
        PagePicture picture{grey.pixels.data(), grey.width, grey.height};
        page_picture_clear(picture);
        PageFooter footer{reinterpret_cast<const unsigned char *>(path.data()), path.size(), page,
                          total};
        first = page_picture_draw(picture, pixels.left, pixels.top, pixels.layout, fonts.fonts,
                                  first, footer);
        pages.push_back(std::move(grey));
    }
    return pages;
}

// A shell command's standard output; empty when it fails.
std::string command_output(const std::string &command) {
    FILE *pipe = popen(command.c_str(), "r");
    std::string text;
    char buffer[4096];
    for (size_t got; pipe && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, got);
    return pipe && pclose(pipe) == 0 ? text : "";
}

// A PNG read back through cairo, one pixel of each scale x scale square.
GreyPage read_png(const std::string &path, int scale = 1) {
    cairo_surface_t *image = cairo_image_surface_create_from_png(path.c_str());
    EXPECT_EQ(cairo_image_surface_get_format(image), CAIRO_FORMAT_RGB24) << "opaque";
    GreyPage page{cairo_image_surface_get_width(image) / scale,
                  cairo_image_surface_get_height(image) / scale,
                  {}};
    auto pixel = [&](int x, int y) {
        const unsigned char *row = cairo_image_surface_get_data(image) +
                                   static_cast<size_t>(y) * cairo_image_surface_get_stride(image);
        return reinterpret_cast<const uint32_t *>(row)[x] & 0xFF;
    };
    for (int y = 0; y < page.height * scale; y += scale)
        for (int x = 0; x < page.width * scale; x += scale)
            page.pixels.push_back(pixel(x, y) >= 128 ? PICTURE_PAPER : PICTURE_INK);
    cairo_surface_destroy(image);
    return page;
}

// Every font, underline, tabs, box drawing and shades, a NUL byte, glyph 0xFF
// from a doubled escape, DOS symbols and Cyrillic.
const std::string EVERY_FEATURE =
    "Plain \3771bold\3770 \3772italic\3773both\3774sup\3775sub\3776light\3777outline\3778inverse"
    "\3779double\r\n\377_under\377. plain \377_a\tb\377.c\td\3772\tslanted\r\n"
    "\311\315\313\273 \332\304\302\277 \260\261\262\333\334\337\r\n"
    "\310\315\312\274 \300\304\301\331 NUL[\0] FF[\377\377]\r\n"
    "\1\2\16\177 \217\340\250\242\245\342, \254\250\340! \360\361\374\r\n"s;
// An underlined line past the right edge, whose last column shows in part.
const std::string PAST_THE_EDGE = "\377_" + std::string(100, 'W') + "\r\n";

std::string write_pdf(const TempDir &dir, const LineNode *first, const ShippedFonts &fonts,
                      const PageSetup &setup, const std::string &footer_path, time_t modified = 0) {
    std::string path = dir.file("out" + std::to_string(modified) + ".pdf");
    FILE *out = std::fopen(path.c_str(), "wb");
    PdfInfo info{"письмо 1.krv", footer_path.c_str(), modified};
    EXPECT_EQ(pdf_export_write(first, fonts.fonts, setup, info, out, nullptr), 0);
    std::fclose(out);
    return path;
}

void expect_rendered_pages(const std::string &pdf, const std::vector<GreyPage> &expected) {
    TempDir pages;
    command_output("pdftoppm -png -r 96 -aa no -aaVector no -gray '" + pdf + "' " +
                   pages.file("p"));
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(pages.path))
        names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), expected.size());
    for (size_t page = 0; page < expected.size(); ++page)
        EXPECT_TRUE(read_png(names[page]) == expected[page]) << "page " << page + 1;
}

// Runs of blanks as one space: text extraction keeps the words, their order
// and the lines, not the width of gaps (and Poppler gives U+00A0 as a space).
std::string words(std::string text) {
    for (size_t at; (at = text.find("\u00a0")) != std::string::npos;)
        text.replace(at, 2, " ");
    std::string result;
    for (char c : text) {
        bool blank = c == ' ' || c == '\t';
        if (blank && (result.empty() || result.back() == ' ' || result.back() == '\n'))
            continue;
        if ((c == '\n' || c == '\f') && !result.empty() && result.back() == ' ')
            result.pop_back();
        result += blank ? ' ' : c;
    }
    return result;
}

TEST(PdfExport, PagesRenderAsThePageModelDrawsThem) {
    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument sample(dir, read_file(KORVEL_SOURCE_DIR "/samples/sample.krv"));
    expect_rendered_pages(write_pdf(dir, sample.lines, fonts, page_setup_a4(10), "sample.krv"),
                          expected_pages(sample.lines, fonts, page_setup_a4(10), "sample.krv"));

    std::string content;
    for (int copy = 0; copy < 12; ++copy) // three pages
        content += EVERY_FEATURE + PAST_THE_EDGE;
    LoadedDocument document(dir, content);
    // A path with Cyrillic, a no-break space (no code in a footer) and a
    // character CP866 lacks; then one that runs under the page number.
    std::string path = "/архив/письмо\u00a0№1 \u00e9t\u00e9.krv";
    for (const PageSetup &setup : {page_setup_a4(10), page_setup_letter(25.4)}) {
        expect_rendered_pages(write_pdf(dir, document.lines, fonts, setup, path),
                              expected_pages(document.lines, fonts, setup, path));
        path = std::string(12, 'x') + "/длинный путь/к письму/" + std::string(80, 'y');
    }

    LoadedDocument empty(dir, ""); // still a page: its footer
    expect_rendered_pages(write_pdf(dir, empty.lines, fonts, page_setup_a4(10), "e"),
                          expected_pages(empty.lines, fonts, page_setup_a4(10), "e"));
}

// One file's fonts, text layer and document information; the same input
// gives the same bytes in any time zone.
TEST(PdfExport, Type3FontsWithUnicodeTheTextExportsTextAndTheInputsDate) {
    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument document(dir, EVERY_FEATURE + EVERY_FEATURE);
    const time_t modified = 1700000000; // 2023-11-14 22:13:20 UTC
    const std::string footer = "/архив/п 1.krv";
    std::string pdf = write_pdf(dir, document.lines, fonts, page_setup_a4(10), footer, modified);

    std::istringstream listing(command_output("pdffonts '" + pdf + "'"));
    std::string heading, row;
    std::getline(listing, heading);
    std::getline(listing, row); // the rule under the heading
    int fonts_listed = 0;
    while (std::getline(listing, row)) {
        ++fonts_listed;
        // [none] Type 3 Custom emb sub uni object generation
        EXPECT_NE(row.find(" Type 3 "), std::string::npos) << row;
        EXPECT_EQ(row.substr(heading.find(" uni") + 1, 3), "yes") << row;
    }
    EXPECT_EQ(fonts_listed, FONT_COUNT);

    std::string exported = capture([&](FILE *out) {
        EXPECT_EQ(text_export_write(document.lines, TextExportOptions{}, out, nullptr), 0);
    });
    EXPECT_EQ(words(command_output("pdftotext -raw -enc UTF-8 '" + pdf + "' -")),
              words(exported + footer + " 1 из 1\n\f"));

    std::string info = command_output("TZ=UTC pdfinfo -isodates '" + pdf + "'");
    for (const char *field :
         {"Title:           письмо 1.krv\n",
          "Creator:         korvel-convert " KORVEL_VERSION_STRING "\n",
          "CreationDate:    2023-11-14T22:13:20Z\n", "ModDate:         2023-11-14T22:13:20Z\n",
          "Page size:       595.276 x 841.89 pts (A4)"})
        EXPECT_NE(info.find(field), std::string::npos) << field << info;
    std::string first = read_file(pdf);
    setenv("TZ", "Asia/Vladivostok", 1);
    pdf = write_pdf(dir, document.lines, fonts, page_setup_a4(10), footer, modified);
    unsetenv("TZ");
    EXPECT_EQ(first, read_file(pdf));
}

TEST(PdfExport, PaperAndMarginsOnWholePixelsAndFailuresReported) {
    // A4, 793.7 x 1122.5 px, and 10 mm, 37.8 px: 794 x 1123 less 38 a side.
    PagePixels a4 = page_pixels(page_setup_a4(10));
    EXPECT_EQ(std::vector({a4.paper_width, a4.paper_height, a4.left, a4.top, a4.layout.width,
                           a4.layout.height, a4.layout.lines_per_page}),
              std::vector({794, 1123, 38, 38, 718, 1047, 54}));
    // 114 px of paper less 38 a side: one line and the footer; 113: none.
    EXPECT_TRUE(page_setup_holds_lines({100, 30.2, 10}));
    // No height or width left, no number, a negative margin, larger than a
    // PDF page may be.
    for (PageSetup refused :
         {PageSetup{100, 29.9, 10}, page_setup_a4(106), page_setup_a4(std::strtod("nan", nullptr)),
          page_setup_a4(-1), PageSetup{5081, 5081, 10}})
        EXPECT_FALSE(page_setup_holds_lines(refused))
            << refused.paper_height_mm << " " << refused.margin_mm;

    TempDir dir;
    ShippedFonts fonts;
    LoadedDocument document(dir, "text\r\n");
    PdfInfo info{"t", "t", 0};
    FILE *full = std::fopen("/dev/full", "wb");
    EXPECT_EQ(pdf_export_write(document.lines, fonts.fonts, page_setup_a4(10), info, full, nullptr),
              -1);
    std::fclose(full);
    FILE *out = std::fopen(dir.file("none.pdf").c_str(), "wb");
    EXPECT_EQ(pdf_export_write(document.lines, fonts.fonts, page_setup_a4(145), info, out, nullptr),
              -1);
    std::fclose(out);
    EXPECT_EQ(read_file(dir.file("none.pdf")), "") << "nothing written for a page too small";
}

struct PageFiles {
    const TempDir &dir;
    std::vector<std::string> names;
    int no_stream_for = 0; // a page whose stream is not given
    size_t bytes_done = 0; // reported progress
};

FILE *begin_page(void *context, int page, int page_count) {
    auto *files = static_cast<PageFiles *>(context);
    if (page == files->no_stream_for)
        return nullptr;
    files->names.push_back(
        files->dir.file(std::to_string(page) + "-" + std::to_string(page_count) + ".png"));
    return std::fopen(files->names.back().c_str(), "wb");
}

int end_page(void *, FILE *stream, bool ok) {
    std::fclose(stream);
    return ok ? 0 : -1;
}

TEST(PngExport, PagesAreThePageModelsPicturesEnlarged) {
    TempDir dir;
    ShippedFonts fonts;
    std::string sample = read_file(KORVEL_SOURCE_DIR "/samples/sample.krv");
    LoadedDocument document(dir, sample + sample); // two pages
    auto expected = expected_pages(document.lines, fonts, page_setup_a4(10), "s.krv");
    size_t line_bytes = 0;
    for (const LineNode *line = document.lines; line; line = line->next)
        line_bytes += line->length;
    for (auto [scale, grey] : {std::pair{1, false}, std::pair{3, true}}) {
        PageFiles files{dir, {}};
        PngPageOutput output{begin_page, end_page, &files};
        ConvertProgress progress{
            [](void *files, size_t bytes) { static_cast<PageFiles *>(files)->bytes_done += bytes; },
            &files};
        ASSERT_EQ(png_export_write(document.lines, fonts.fonts, page_setup_a4(10), "s.krv", scale,
                                   grey, output, &progress),
                  0);
        ASSERT_EQ(files.names, std::vector({dir.file("1-2.png"), dir.file("2-2.png")}));
        EXPECT_EQ(files.bytes_done, line_bytes) << "each line's bytes, once";
        for (size_t page = 0; page < 2; ++page) {
            EXPECT_EQ(read_file(files.names[page])[24], grey ? 8 : 1) << "bits a pixel";
            EXPECT_TRUE(read_png(files.names[page], scale) == expected[page]) << page;
        }
    }

    PageFiles stops{dir, {}, 2};
    PngPageOutput output{begin_page, end_page, &stops};
    EXPECT_EQ(png_export_write(document.lines, fonts.fonts, page_setup_a4(10), "s", 1, false,
                               output, nullptr),
              -1);
    EXPECT_EQ(stops.names.size(), 1u);
    output.begin_page = [](void *, int, int) { return std::fopen("/dev/full", "wb"); };
    EXPECT_EQ(png_export_write(document.lines, fonts.fonts, page_setup_a4(10), "s", 1, true, output,
                               nullptr),
              -1);
}

} // namespace
