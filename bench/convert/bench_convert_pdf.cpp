// PDF pages of typical text: pages per processor second, bytes per page,
// and the memory the conversion takes beyond the document's lines. Also
// cairo alone drawing the same glyphs (no text layer, no layout of ours),
// which bounds what the writer can reach.
//   bench_convert_pdf [pages] [fonts folder]
#include "convert/writers/page_writers.h"
#include "lines/lines.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <sys/resource.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double peak_memory_mb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Processor time of this process: the writer runs on one thread, and the
// machine may be busy with other work.
double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// Lines of 50-75 bytes of Cyrillic words (CP866), now and then a word in
// bold or underlined and an indented paragraph start: a letter or a report.
std::string typical_text(int lines) {
    static const char *const WORDS[] = {"\xa4\xae\xaa\xe3\xac\xa5\xad\xe2",
                                        "\xaf\xe0\xae\xa5\xaa\xe2",
                                        "\xa8",
                                        "\xa2",
                                        "\xaf\xae",
                                        "\xe1\xe2\xe0\xae\xaa\xa0",
                                        "\x8c\xae\xe1\xaa\xa2\xa0",
                                        "1991",
                                        "\xae\xe2\xe7\xf1\xe2",
                                        "\xe2\xa0\xa1\xab\xa8\xe6\xa0",
                                        "\xad\xa0",
                                        "\xa7\xa0\xaf\xa8\xe1\xec,",
                                        "\xaf\xe0\xa8\xaa\xa0\xa7",
                                        "\xe1\xae\xe2\xe0\xe3\xa4\xad\xa8\xaa\xa8.",
                                        "\xe7\xa8\xe1\xab\xae",
                                        "12,50"};
    unsigned seed = 2024;
    std::string text;
    for (int line = 0; line < lines; ++line) {
        std::string row = line % 9 == 0 ? "    " : "";
        size_t target = 50 + (seed >> 8) % 26;
        while (row.size() < target) {
            seed = seed * 1103515245 + 12345;
            const char *word = WORDS[(seed >> 16) % 16];
            if ((seed >> 8) % 41 == 0)
                row += std::string("\xff"
                                   "1") +
                       word +
                       "\xff"
                       "0 ";
            else if ((seed >> 8) % 43 == 0)
                row += std::string("\xff_") + word + "\xff. ";
            else
                row += std::string(word) + " ";
        }
        text += row + "\r\n";
    }
    return text;
}

struct Fonts {
    std::string bytes[FONT_COUNT];
    PageFonts fonts{};
};

void load_fonts(Fonts &fonts, const std::string &folder) {
    for (int n = 0; n < FONT_COUNT; ++n) {
        std::string path = folder + "/vga" + std::to_string(n) + ".sfn";
        FILE *file = std::fopen(path.c_str(), "rb");
        if (!file) {
            std::perror(path.c_str());
            std::exit(1);
        }
        fonts.bytes[n].resize(FONT_DATA_SIZE);
        if (std::fread(fonts.bytes[n].data(), 1, FONT_DATA_SIZE, file) != FONT_DATA_SIZE)
            std::exit(1);
        std::fclose(file);
        fonts.fonts.glyphs[n] = reinterpret_cast<const unsigned char *>(fonts.bytes[n].data());
    }
}

struct Counted {
    size_t bytes = 0;
};

cairo_status_t count_bytes(void *closure, const unsigned char *, unsigned int length) {
    static_cast<Counted *>(closure)->bytes += length;
    return CAIRO_STATUS_SUCCESS;
}

// Cairo alone: the same lines' bytes as glyphs of one 8 x 19 user font of
// filled squares, without clusters, text layer, codes or footer.
double cairo_alone(const LineNode *first, int lines_per_page, int pages) {
    Counted sink;
    double start = cpu_seconds();
    cairo_surface_t *surface =
        cairo_pdf_surface_create_for_stream(count_bytes, &sink, 595.28, 841.89);
    cairo_t *cr = cairo_create(surface);
    cairo_font_face_t *face = cairo_user_font_face_create();
    cairo_user_font_face_set_render_glyph_func(
        face,
        [](cairo_scaled_font_t *, unsigned long glyph, cairo_t *cr, cairo_text_extents_t *extents) {
            extents->x_advance = CHAR_WIDTH;
            cairo_rectangle(cr, 1, -10, 1 + glyph % 6, 9);
            cairo_fill(cr);
            return CAIRO_STATUS_SUCCESS;
        });
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, 1);
    cairo_scale(cr, 0.75, 0.75);
    std::vector<cairo_glyph_t> glyphs;
    const LineNode *line = first;
    for (int page = 0; page < pages; ++page) {
        for (int row = 0; row < lines_per_page && line; ++row, line = line->next) {
            glyphs.clear();
            for (size_t i = 0; i < line->length; ++i)
                glyphs.push_back({static_cast<unsigned char>(line->text[i]), 38.0 + 8 * i,
                                  38.0 + 19 * row + 14});
            cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        }
        cairo_show_page(cr);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    cairo_font_face_destroy(face);
    return cpu_seconds() - start;
}

} // namespace

int main(int argc, char **argv) {
    const int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
    Fonts fonts;
    load_fonts(fonts, argc > 2 ? argv[2] : KORVEL_SOURCE_DIR "/fonts");
    const PageSetup setup = page_setup_a4(10);
    const int lines_per_page = page_pixels(setup).layout.lines_per_page;

    std::string path = "/tmp/bench_convert_pdf.krv";
    FILE *document_file = std::fopen(path.c_str(), "wb");
    std::string text = typical_text(pages * lines_per_page);
    std::fwrite(text.data(), 1, text.size(), document_file);
    std::fclose(document_file);
    double before_load = peak_memory_mb();
    LineList document = lines_new();
    lines_load(&document, path.c_str());
    std::remove(path.c_str());
    double after_load = peak_memory_mb();

    PdfInfo info{"bench.krv", "/archive/letters/bench.krv", 0};
    double best = 1e30;
    size_t bytes = 0;
    for (int run = 0; run < 3; ++run) {
        FILE *out = std::fopen("/dev/null", "wb");
        double start = cpu_seconds();
        if (pdf_export_write(document, fonts.fonts, setup, info, out, nullptr) != 0)
            return 1;
        bytes = static_cast<size_t>(std::ftell(out));
        double seconds = cpu_seconds() - start;
        std::fclose(out);
        best = std::min(best, seconds);
        std::printf("run %d: %d pages in %.3f s of processor time, %.0f pages/s\n", run + 1, pages,
                    seconds, pages / seconds);
    }
    double after_convert = peak_memory_mb();

    // The size of a file: fonts once, then every page's text.
    FILE *sized = std::tmpfile();
    pdf_export_write(document, fonts.fonts, setup, info, sized, nullptr);
    bytes = static_cast<size_t>(std::ftell(sized));
    std::fclose(sized);
    LineNode *second_page = document;
    for (int line = 1; line < lines_per_page && second_page; ++line)
        second_page = second_page->next;
    LineNode *rest = second_page ? second_page->next : nullptr;
    if (second_page)
        second_page->next = nullptr; // a one-page document, briefly
    FILE *one = std::tmpfile();
    pdf_export_write(document, fonts.fonts, setup, info, one, nullptr);
    size_t one_page_bytes = static_cast<size_t>(std::ftell(one));
    std::fclose(one);
    if (second_page)
        second_page->next = rest;

    double alone = cairo_alone(document, lines_per_page, pages);
    std::printf("best: %.0f pages per processor second (%.2f ms a page)\n", pages / best,
                best * 1000 / pages);
    std::printf("cairo alone, same glyphs: %.0f pages/s\n", pages / alone);
    std::printf("size: %.0f bytes a page over %d pages; a one-page document %zu bytes\n",
                double(bytes) / pages, pages, one_page_bytes);
    std::printf("memory: document %.1f MB of text, lines loaded +%.1f MB, converting +%.1f MB "
                "peak\n",
                text.size() / 1048576.0, after_load - before_load, after_convert - after_load);
    lines_free(&document);
    return 0;
}
