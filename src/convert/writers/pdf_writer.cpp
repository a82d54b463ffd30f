// PDF pages through cairo. Each font in use becomes a Type 3 font (a cairo
// user font) whose glyphs are the .sfn pixels as filled rectangles; every
// glyph is shown with its Unicode character, which gives the PDF its
// ToUnicode maps.
//
// Poppler draws a Type 3 glyph from a cache placed at the floor of the
// glyph's origin and fills rectangle edges inclusively, so geometry exactly
// on the pixel grid would come out a pixel too wide, and an origin a hair
// below a whole pixel a pixel to the left. The glyphs therefore start a hair
// into their cells and every rectangle is a hair smaller than its pixels: a
// 96-dpi rendering without anti-aliasing gives the page's pixels exactly,
// and the true geometry stays within 1/50 pixel. The hairs are as thin as
// cairo's paths allow (1/256), so that no gap shows between neighbours.
#include "convert/writers/page_writers.h"

#include "convert/writers/page_walk.h"
#include "text/cp866_unicode.h"
#include "fonts/line_codes.h"
#include "korvel_version.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <array>
#include <climits>
#include <string>
#include <vector>

namespace {

constexpr double POINTS_PER_PIXEL = 72.0 / PRINT_LOGICAL_DPI;
constexpr double POINTS_PER_MM = 72 / MM_PER_INCH;
constexpr double ORIGIN_INSET = 1.0 / 64; // glyph origins lie this far into their cells
constexpr double EDGE_INSET = 1.0 / 256;  // rectangles lie this far inside their pixels
static_assert(EDGE_INSET * 256 == 1, "cairo keeps path coordinates in 1/256 units");
// The glyph origin's row: the rows above it are the fonts' ascent (the
// baseline lies under row 13), the rest their descent.
constexpr int BASELINE_ROW = 14;
constexpr int FOOTER_FONT = 0;
constexpr char CREATOR[] = "korvel-convert " KORVEL_VERSION_STRING;

const cairo_user_data_key_t GLYPHS_KEY{};

cairo_status_t font_init(cairo_scaled_font_t *, cairo_t *, cairo_font_extents_t *extents) {
    extents->ascent = BASELINE_ROW;
    extents->descent = LINE_HEIGHT - BASELINE_ROW;
    extents->height = LINE_HEIGHT;
    extents->max_x_advance = CHAR_WIDTH;
    return CAIRO_STATUS_SUCCESS;
}

void add_pixels(cairo_t *cr, int x0, int x1, int row0, int row1) {
    cairo_rectangle(cr, x0 + EDGE_INSET, row0 - BASELINE_ROW + EDGE_INSET, x1 - x0 - 2 * EDGE_INSET,
                    row1 - row0 - 2 * EDGE_INSET);
}

// The glyph's ink as rectangles: the runs of ink in each row, a run that
// repeats in the rows below merged into one rectangle. They are filled as
// one path: a viewer that smooths edges then leaves no seam between them
// (filled one by one they would take about a sixth less room).
cairo_status_t render_glyph(cairo_scaled_font_t *scaled, unsigned long glyph, cairo_t *cr,
                            cairo_text_extents_t *extents) {
    extents->x_advance = CHAR_WIDTH;
    const auto *glyphs = static_cast<const unsigned char *>(
        cairo_font_face_get_user_data(cairo_scaled_font_get_font_face(scaled), &GLYPHS_KEY));
    if (!glyphs || glyph >= GLYPH_COUNT)
        return CAIRO_STATUS_SUCCESS;
    const unsigned char *rows = glyphs + LINE_HEIGHT * glyph;
    struct Run {
        int x0, x1, first_row;
    };
    std::array<Run, CHAR_WIDTH> open{}; // runs still growing downwards
    int open_count = 0;
    for (int row = 0; row <= LINE_HEIGHT; ++row) {
        std::array<Run, CHAR_WIDTH> runs{};
        int run_count = 0;
        unsigned bits = row < LINE_HEIGHT ? rows[row] : 0;
        for (int x = 0; x < CHAR_WIDTH;) {
            if (!(bits & (0x80u >> x))) {
                ++x;
                continue;
            }
            int end = x;
            while (end < CHAR_WIDTH && (bits & (0x80u >> end)))
                ++end;
            runs[run_count++] = {x, end, row};
            x = end;
        }
        for (int r = 0; r < run_count; ++r)
            for (int o = 0; o < open_count; ++o)
                if (open[o].x0 == runs[r].x0 && open[o].x1 == runs[r].x1)
                    runs[r].first_row = open[o].first_row;
        for (int o = 0; o < open_count; ++o) {
            bool continues = false;
            for (int r = 0; r < run_count; ++r)
                continues |= runs[r].first_row == open[o].first_row && runs[r].x0 == open[o].x0;
            if (!continues)
                add_pixels(cr, open[o].x0, open[o].x1, open[o].first_row, row);
        }
        open = runs;
        open_count = run_count;
    }
    cairo_fill(cr);
    return CAIRO_STATUS_SUCCESS;
}

// A run of glyphs of one font, shown in one call with their characters.
struct GlyphRun {
    int font = -1;
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_text_cluster_t> clusters;
    std::string utf8;
};

struct PdfPage {
    cairo_t *cr;
    std::array<cairo_font_face_t *, FONT_COUNT> faces;
    GlyphRun run;
    int area_left, area_right; // the printable area's columns of pixels
    // Glyphs whose cells the area's edge cuts: shown at the end under a
    // clip, which costs time and bytes when every glyph goes under it.
    struct EdgeGlyph {
        int font;
        unsigned char code;
        int x, y;
    };
    std::vector<EdgeGlyph> edge_glyphs;
};

void flush_run(PdfPage &page) {
    GlyphRun &run = page.run;
    if (run.glyphs.empty())
        return;
    cairo_set_font_face(page.cr, page.faces[run.font]);
    cairo_show_text_glyphs(page.cr, run.utf8.data(), static_cast<int>(run.utf8.size()),
                           run.glyphs.data(), static_cast<int>(run.glyphs.size()),
                           run.clusters.data(), static_cast<int>(run.clusters.size()),
                           cairo_text_cluster_flags_t{});
    run.glyphs.clear();
    run.clusters.clear();
    run.utf8.clear();
}

// A glyph whose cell's top-left pixel is (x, y).
void add_glyph(PdfPage &page, int font, unsigned char code, int x, int y) {
    if (x < page.area_left || x + CHAR_WIDTH > page.area_right) {
        page.edge_glyphs.push_back({font, code, x, y});
        return;
    }
    if (font != page.run.font) {
        flush_run(page);
        page.run.font = font;
    }
    const Utf8Char &character = cp866_glyph_utf8(code);
    page.run.glyphs.push_back({code, x + ORIGIN_INSET, y + BASELINE_ROW + ORIGIN_INSET});
    page.run.clusters.push_back({character.length, 1});
    page.run.utf8.append(character.bytes, character.length);
}

// Underlines of one line: each run of underlined neighbouring cells is one
// rectangle over the cells' bottom pixel row.
struct Underline {
    int first_column = 0, end_column = -1;
};

void fill_underline(const PdfPage &page, const Underline &underline, int y) {
    if (underline.end_column <= underline.first_column)
        return;
    int x0 = page.area_left + CHAR_WIDTH * underline.first_column;
    int x1 = std::min(page.area_left + CHAR_WIDTH * underline.end_column, page.area_right);
    cairo_rectangle(page.cr, x0 + EDGE_INSET, y + LINE_HEIGHT - 1 + EDGE_INSET,
                    x1 - x0 - 2 * EDGE_INSET, 1 - 2 * EDGE_INSET);
}

void show_line(PdfPage &page, const LineNode &line, int y, int columns) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(line.text);
    Underline underline;
    line_codes_decode(
        bytes, line_codes_visible_length(bytes, line.length, columns), [&](const LineGlyph &glyph) {
            add_glyph(page, glyph.font, glyph.code, page.area_left + CHAR_WIDTH * glyph.column, y);
            if (!glyph.underline)
                return;
            if (glyph.column != underline.end_column) {
                fill_underline(page, underline, y);
                underline.first_column = glyph.column;
            }
            underline.end_column = glyph.column + 1;
        });
    fill_underline(page, underline, y);
}

void show_plain(PdfPage &page, const unsigned char *bytes, size_t length, int x, int y,
                int columns) {
    for (size_t i = 0; i < length && static_cast<int>(i) < columns; ++i)
        add_glyph(page, FOOTER_FONT, bytes[i], x + CHAR_WIDTH * static_cast<int>(i), y);
}

void show_page(PdfPage &page, const PageWalk &walk) {
    const PagePixels &pixels = walk.pixels;
    const PageLayout &layout = pixels.layout;
    cairo_t *cr = page.cr;
    page.area_left = pixels.left;
    page.area_right = pixels.left + layout.width;
    const int columns = (layout.width + CHAR_WIDTH - 1) / CHAR_WIDTH;
    const LineNode *line = walk.next;
    for (int index = 0; index < layout.lines_per_page && line; ++index, line = line->next)
        show_line(page, *line, pixels.top + index * LINE_HEIGHT, columns);

    const int footer_y = pixels.top + layout.footer_y;
    show_plain(page, reinterpret_cast<const unsigned char *>(walk.footer_path.data()),
               walk.footer_path.size(), pixels.left, footer_y, columns);
    char page_text[PRINT_PAGE_TEXT_SIZE];
    size_t page_text_length = print_page_text(page_text, walk.page, walk.page_count);
    int page_text_x = print_right_aligned_x(layout.width, page_text_length);
    show_plain(page, reinterpret_cast<const unsigned char *>(page_text), page_text_length,
               pixels.left + page_text_x, footer_y, columns);
    flush_run(page);
    cairo_fill(cr); // the underlines

    if (!page.edge_glyphs.empty()) {
        // As on paper, nothing shows beyond the printable area.
        cairo_save(cr);
        cairo_rectangle(cr, pixels.left, pixels.top, layout.width, layout.height);
        cairo_clip(cr);
        std::vector<PdfPage::EdgeGlyph> edge_glyphs;
        edge_glyphs.swap(page.edge_glyphs);
        page.area_left = INT_MIN; // every glyph now goes into the runs
        page.area_right = INT_MAX;
        for (const PdfPage::EdgeGlyph &glyph : edge_glyphs)
            add_glyph(page, glyph.font, glyph.code, glyph.x, glyph.y);
        flush_run(page);
        cairo_restore(cr);
    }
    cairo_show_page(cr);
}

// "YYYY-MM-DDThh:mm:ssZ": the same instant gives the same bytes in any
// time zone.
std::string pdf_date(time_t time) {
    struct tm parts {};
    char text[32] = "";
    if (gmtime_r(&time, &parts))
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

} // namespace

int pdf_export_write(const LineNode *first, const PageFonts &fonts, const PageSetup &setup,
                     const PdfInfo &info, FILE *out, ConvertProgress *progress,
                     std::string *failure) {
    if (!page_setup_holds_lines(setup))
        return -1;
    PageWalk walk = page_walk_start(first, setup, info.footer_path);
    FileSink sink{out, false};
    // The paper's own size, so that printers and viewers know it; the
    // pixels of the page lie on its whole 96-dpi pixels from the corner.
    cairo_surface_t *surface = cairo_pdf_surface_create_for_stream(
        file_sink_write, &sink, setup.paper_width_mm * POINTS_PER_MM,
        setup.paper_height_mm * POINTS_PER_MM);
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE,
                                   info.title_utf8 ? info.title_utf8 : "");
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, CREATOR);
    std::string date = pdf_date(info.modified);
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, date.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_MOD_DATE, date.c_str());

    PdfPage page{cairo_create(surface), {}, {}, 0, 0, {}};
    for (int n = 0; n < FONT_COUNT; ++n) {
        page.faces[n] = cairo_user_font_face_create();
        cairo_user_font_face_set_init_func(page.faces[n], font_init);
        cairo_user_font_face_set_render_glyph_func(page.faces[n], render_glyph);
        cairo_font_face_set_user_data(page.faces[n], &GLYPHS_KEY,
                                      const_cast<unsigned char *>(fonts.glyphs[n]), nullptr);
    }
    cairo_scale(page.cr, POINTS_PER_PIXEL, POINTS_PER_PIXEL);
    cairo_set_source_rgb(page.cr, 0, 0, 0);
    cairo_set_font_size(page.cr, 1); // a glyph unit is a pixel
    do
        show_page(page, walk);
    while (page_walk_advance(walk, progress) && cairo_status(page.cr) == CAIRO_STATUS_SUCCESS);

    cairo_destroy(page.cr);
    cairo_surface_finish(surface);
    cairo_status_t status = cairo_surface_status(surface);
    bool ok = status == CAIRO_STATUS_SUCCESS && !sink.failed;
    if (status != CAIRO_STATUS_SUCCESS && !sink.failed && failure)
        *failure = std::string("cairo: ") + cairo_status_to_string(status);
    cairo_surface_destroy(surface);
    for (cairo_font_face_t *face : page.faces)
        cairo_font_face_destroy(face);
    if (ok && std::fflush(out) != 0)
        ok = false;
    return ok ? 0 : -1;
}
