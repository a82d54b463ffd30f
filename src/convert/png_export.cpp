// PNG pages: the page model's 96-dpi picture of each page on its paper,
// enlarged by whole multiples, written by cairo as 1-bit or grey PNG (cairo
// writes its alpha-only images as grey, which makes them opaque).
#include "convert/page_export.h"

#include "convert/page_walk.h"
#include "main/page_picture.h"

#include <cairo.h>

#include <cstring>
#include <vector>

namespace {

constexpr bool FIRST_PIXEL_LOW = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

// Copies the picture into the image, each pixel scale x scale: paper is
// full alpha (white in the PNG), ink none (black).
void fill_image(cairo_surface_t *image, const PagePicture &picture, int scale) {
    cairo_surface_flush(image);
    unsigned char *data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const bool one_bit = cairo_image_surface_get_format(image) == CAIRO_FORMAT_A1;
    const int width = picture.width * scale;
    std::vector<unsigned char> row(static_cast<size_t>(stride));
    for (int y = 0; y < picture.height; ++y) {
        const unsigned char *source = picture.pixels + static_cast<size_t>(y) * picture.width;
        std::memset(row.data(), 0, row.size());
        for (int x = 0; x < width; ++x) {
            if (source[x / scale] != PICTURE_PAPER)
                continue;
            if (one_bit) // in 32-bit words, the first pixel in the low bit on little-endian
                row[x / 8] |=
                    static_cast<unsigned char>(FIRST_PIXEL_LOW ? 1u << (x % 8) : 0x80u >> (x % 8));
            else
                row[x] = 0xFF;
        }
        for (int copy = 0; copy < scale; ++copy)
            std::memcpy(data + static_cast<size_t>(y * scale + copy) * stride, row.data(),
                        row.size());
    }
    cairo_surface_mark_dirty(image);
}

} // namespace

int png_export_write(const LineNode *first, const ConvertFonts &fonts, const PageSetup &setup,
                     const char *footer_path, int scale, bool grey, const PngPageOutput &output,
                     ConvertProgress *progress) {
    if (!page_setup_holds_lines(setup) || scale < 1 || scale > PNG_SCALE_MAX)
        return -1;
    PageWalk walk = page_walk_start(first, setup, footer_path);
    std::vector<unsigned char> pixels(static_cast<size_t>(walk.pixels.paper_width) *
                                      walk.pixels.paper_height);
    PagePicture picture{pixels.data(), walk.pixels.paper_width, walk.pixels.paper_height};
    cairo_surface_t *image = cairo_image_surface_create(
        grey ? CAIRO_FORMAT_A8 : CAIRO_FORMAT_A1, picture.width * scale, picture.height * scale);
    int result = cairo_surface_status(image) == CAIRO_STATUS_SUCCESS ? 0 : -1;
    while (result == 0) {
        page_picture_clear(picture);
        PageFooter footer{reinterpret_cast<const unsigned char *>(walk.footer_path.data()),
                          walk.footer_path.size(), walk.page, walk.page_count};
        page_picture_draw(picture, walk.pixels.left, walk.pixels.top, walk.pixels.layout, fonts,
                          walk.next, footer);
        fill_image(image, picture, scale);
        FILE *stream = output.begin_page(output.context, walk.page, walk.page_count);
        if (!stream) {
            result = -1;
            break;
        }
        FileSink sink{stream, false};
        bool ok = cairo_surface_write_to_png_stream(image, file_sink_write, &sink) ==
                      CAIRO_STATUS_SUCCESS &&
                  !sink.failed && std::fflush(stream) == 0;
        if (output.end_page(output.context, stream, ok) != 0 || !ok)
            result = -1;
        else if (!page_walk_advance(walk, progress))
            break;
    }
    cairo_surface_destroy(image);
    return result;
}
