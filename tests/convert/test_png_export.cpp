// PNG pages: the page model's pictures, enlarged by whole multiples, in 1
// bit or 8 bits of grey, one stream per page from the caller; a failed page
// stops the rest.
#include "page_export_support.h"

#include <cairo.h>
#include <gtest/gtest.h>

namespace {

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

// A PNG read back through cairo, each picture pixel taken from the middle
// of its scale x scale square, which must be of one colour.
GreyPage read_png(const std::string &path, int scale) {
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
        for (int x = 0; x < page.width * scale; x += scale) {
            EXPECT_EQ(pixel(x, y), pixel(x + scale - 1, y + scale - 1));
            page.pixels.push_back(pixel(x, y) >= 128 ? PICTURE_PAPER : PICTURE_INK);
        }
    cairo_surface_destroy(image);
    return page;
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
            EXPECT_EQ(differing_pixels(expected[page], read_png(files.names[page], scale)), 0);
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
    EXPECT_EQ(png_export_write(document.lines, fonts.fonts, page_setup_a4(10), "s",
                               PNG_SCALE_MAX + 1, false, output, nullptr),
              -1);
}

} // namespace
