// PNG pages: the page model's 96-dpi picture of each page on its paper,
// enlarged by whole multiples, as a 1-bit or 8-bit grey PNG. libpng writes
// them: cairo widens its 1-bit images to 8 bits when it saves them.
#include "convert/writers/page_writers.h"

#include "convert/writers/page_walk.h"
#include "convert/writers/page_picture.h"

#include <png.h>

#include <csetjmp>
#include <vector>

namespace {

// One picture row enlarged `scale` times: 1 bit per pixel, the first pixel
// in the high bit, or a byte each; paper white, ink black.
void fill_row(std::vector<png_byte> &row, const unsigned char *pixels, int width, int scale,
              bool grey) {
    std::fill(row.begin(), row.end(), 0);
    for (int x = 0; x < width * scale; ++x) {
        if (pixels[x / scale] != PICTURE_PAPER)
            continue;
        if (grey)
            row[x] = 0xFF;
        else
            row[x / 8] |= static_cast<png_byte>(0x80u >> (x % 8));
    }
}

// Failures come back to write_png as a long jump, without a message: the
// caller names what failed.
[[noreturn]] void png_failed(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void png_warned(png_structp, png_const_charp) {}

bool write_png(FILE *out, const PagePicture &picture, int scale, bool grey) {
    const int width = picture.width * scale;
    std::vector<png_byte> row(grey ? width : (width + 7) / 8);
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_failed, png_warned);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    // libpng reports a failed write (or anything else) by jumping back here.
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, width, picture.height * scale, grey ? 8 : 1, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        fill_row(row, picture.pixels + static_cast<size_t>(y) * picture.width, picture.width, scale,
                 grey);
        for (int copy = 0; copy < scale; ++copy)
            png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fflush(out) == 0 && !std::ferror(out);
}

} // namespace

int png_export_write(const LineNode *first, const PageFonts &fonts, const PageSetup &setup,
                     const char *footer_path, int scale, bool grey, const PngPageOutput &output,
                     ConvertProgress *progress) {
    if (!page_setup_holds_lines(setup) || scale < 1 || scale > PNG_SCALE_MAX)
        return -1;
    PageWalk walk = page_walk_start(first, setup, footer_path);
    std::vector<unsigned char> pixels(static_cast<size_t>(walk.pixels.paper_width) *
                                      walk.pixels.paper_height);
    PagePicture picture{pixels.data(), walk.pixels.paper_width, walk.pixels.paper_height};
    do {
        page_picture_clear(picture);
        PageFooter footer{reinterpret_cast<const unsigned char *>(walk.footer_path.data()),
                          walk.footer_path.size(), walk.page, walk.page_count};
        page_picture_draw(picture, walk.pixels.left, walk.pixels.top, walk.pixels.layout, fonts,
                          walk.next, footer);
        FILE *stream = output.begin_page(output.context, walk.page, walk.page_count);
        if (!stream)
            return -1;
        bool ok = write_png(stream, picture, scale, grey);
        if (output.end_page(output.context, stream, ok) != 0 || !ok)
            return -1;
    } while (page_walk_advance(walk, progress));
    return 0;
}
