// PNG pages: the page model's pictures, enlarged by whole multiples, in 1
// bit or 8 bits of grey; one stream per page from the caller, and a failed
// page stops the rest.
#include "page_export_support.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

struct PageFiles {
    const TempDir *dir;
    std::vector<std::string> names;
    int fail_at = 0;      // the page whose stream is not given
    int end_fails_at = 0; // the page whose end reports failure
};

FILE *begin_page(void *context, int page, int page_count) {
    auto *files = static_cast<PageFiles *>(context);
    if (page == files->fail_at)
        return nullptr;
    files->names.push_back(files->dir->file("page-" + std::to_string(page) + "-of-" +
                                            std::to_string(page_count) + ".png"));
    return std::fopen(files->names.back().c_str(), "wb");
}

int end_page(void *context, FILE *stream, bool ok) {
    auto *files = static_cast<PageFiles *>(context);
    std::fclose(stream);
    return ok && static_cast<int>(files->names.size()) != files->end_fails_at ? 0 : -1;
}

// A PNG read back through cairo, as ink and paper.
GreyPage read_png(const std::string &path) {
    cairo_surface_t *image = cairo_image_surface_create_from_png(path.c_str());
    GreyPage page;
    EXPECT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS) << path;
    page.width = cairo_image_surface_get_width(image);
    page.height = cairo_image_surface_get_height(image);
    const unsigned char *data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    EXPECT_EQ(cairo_image_surface_get_format(image), CAIRO_FORMAT_RGB24) << "opaque";
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x) {
            uint32_t pixel = *reinterpret_cast<const uint32_t *>(data + y * stride + 4 * x);
            page.pixels.push_back((pixel & 0xFF) >= 128 ? PICTURE_PAPER : PICTURE_INK);
        }
    cairo_surface_destroy(image);
    return page;
}

GreyPage enlarged(const GreyPage &page, int scale) {
    GreyPage large{page.width * scale, page.height * scale, {}};
    for (int y = 0; y < large.height; ++y)
        for (int x = 0; x < large.width; ++x)
            large.pixels.push_back(page.pixels[(y / scale) * page.width + x / scale]);
    return large;
}

TEST(PngExport, PagesAreThePageModelsPicturesEnlarged) {
    TempDir dir;
    ShippedFonts fonts;
    std::string sample = read_file(KORVEL_SOURCE_DIR "/samples/sample.krv");
    LoadedDocument document(dir, sample + sample); // two pages
    std::vector<GreyPage> expected =
        expected_pages(document.lines, fonts, page_setup_a4(10), "sample.krv");
    ASSERT_EQ(expected.size(), 2u);
    for (auto [scale, grey] : {std::pair{1, false}, std::pair{3, true}}) {
        PageFiles files{&dir, {}};
        PngPageOutput output{begin_page, end_page, &files};
        ASSERT_EQ(png_export_write(document.lines, fonts.fonts, page_setup_a4(10), "sample.krv",
                                   scale, grey, output, nullptr),
                  0);
        ASSERT_EQ(files.names.size(), 2u);
        EXPECT_EQ(files.names[1], dir.file("page-2-of-2.png"));
        for (size_t page = 0; page < 2; ++page) {
            std::string png = read_file(files.names[page]);
            ASSERT_GT(png.size(), 26u);
            EXPECT_EQ(png[24], grey ? 8 : 1) << "bits per pixel";
            EXPECT_EQ(png[25], 0) << "grey without alpha";
            EXPECT_EQ(page_difference(enlarged(expected[page], scale), read_png(files.names[page])),
                      "")
                << "page " << page + 1 << " at scale " << scale;
        }
    }
}

TEST(PngExport, AFailedPageStopsTheRest) {
    TempDir dir;
    ShippedFonts fonts;
    std::string sample = read_file(KORVEL_SOURCE_DIR "/samples/sample.krv");
    LoadedDocument document(dir, sample + sample + sample);
    PageFiles no_stream{&dir, {}, 2};
    PngPageOutput output{begin_page, end_page, &no_stream};
    EXPECT_EQ(png_export_write(document.lines, fonts.fonts, page_setup_a4(10), "s", 1, false,
                               output, nullptr),
              -1);
    EXPECT_EQ(no_stream.names.size(), 1u);

    PageFiles end_fails{&dir, {}, 0, 1};
    output.context = &end_fails;
    EXPECT_EQ(png_export_write(document.lines, fonts.fonts, page_setup_a4(10), "s", 1, false,
                               output, nullptr),
              -1);
    EXPECT_EQ(end_fails.names.size(), 1u);

    // A full disk: the page's end hears of it.
    PageFiles full{&dir, {}};
    output = {[](void *, int, int) { return std::fopen("/dev/full", "wb"); },
              [](void *context, FILE *stream, bool ok) {
                  std::fclose(stream);
                  static_cast<PageFiles *>(context)->names.push_back(ok ? "ok" : "failed");
                  return 0;
              },
              &full};
    EXPECT_EQ(png_export_write(document.lines, fonts.fonts, page_setup_a4(10), "s", 1, true, output,
                               nullptr),
              -1);
    EXPECT_EQ(full.names, std::vector<std::string>{"failed"});

    // No page is begun for a scale or paper that cannot be drawn.
    PageFiles none{&dir, {}};
    output = {begin_page, end_page, &none};
    for (int scale : {0, PNG_SCALE_MAX + 1})
        EXPECT_EQ(png_export_write(document.lines, fonts.fonts, page_setup_a4(10), "s", scale,
                                   false, output, nullptr),
                  -1);
    EXPECT_EQ(png_export_write(document.lines, fonts.fonts, page_setup_letter(200), "s", 1, false,
                               output, nullptr),
              -1);
    EXPECT_TRUE(none.names.empty());
}

} // namespace
