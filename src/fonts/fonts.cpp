#include "fonts.h"

#include "debuglog/module_file_name.h"

ScreenFont screen_fonts[FONT_COUNT] = {
    {FONT_FILE_NAMES[0], nullptr, false}, {FONT_FILE_NAMES[1], nullptr, false},
    {FONT_FILE_NAMES[2], nullptr, false}, {FONT_FILE_NAMES[3], nullptr, false},
    {FONT_FILE_NAMES[4], nullptr, false}, {FONT_FILE_NAMES[5], nullptr, false},
    {FONT_FILE_NAMES[6], nullptr, false}, {FONT_FILE_NAMES[7], nullptr, false},
    {FONT_FILE_NAMES[8], nullptr, false}, {FONT_FILE_NAMES[9], nullptr, false},
};

GlyphMaskSet glyph_masks{};

namespace {

// "Не удалось загрузить шрифт!" in CP1251.
constexpr char FONT_ERROR_TEXT[] = "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xE7\xE0\xE3\xF0\xF3\xE7"
                                   "\xE8\xF2\xFC \xF8\xF0\xE8\xF4\xF2!";
constexpr char FONT_ERROR_CAPTION[] = "Error";

// Font error boxes currently open on this thread.
int font_boxes_open = 0;

void release_entry(GlyphMaskSet &set, int n) {
    // Deleting the DC sets its bitmap free, so the bitmap goes second.
    if (set.dc[n])
        DeleteDC(set.dc[n]);
    if (set.bitmap[n])
        DeleteObject(set.bitmap[n]);
    font_release(set.rows[n]);
    set.dc[n] = nullptr;
    set.bitmap[n] = nullptr;
    set.rows[n] = nullptr;
}

void release_set(GlyphMaskSet &set) {
    for (int n = 0; n < FONT_COUNT; ++n)
        release_entry(set, n);
}

// Entry n for `surface`, whole or not at all: a failed allocation or GDI call
// leaves the font without masks.
void build_entry(GlyphMaskSet &set, int n, HDC surface, const unsigned char *glyphs) {
    auto *rows = static_cast<uint16_t *>(font_allocate(FONT_DATA_SIZE * sizeof(uint16_t)));
    if (!rows)
        return;
    font_masks_convert(glyphs, rows);
    set.rows[n] = rows;
    set.dc[n] = CreateCompatibleDC(surface);
    set.bitmap[n] = CreateBitmap(CHAR_WIDTH, FONT_DATA_SIZE, 1, 1, rows);
    if (!set.dc[n] || !set.bitmap[n] || !SelectObject(set.dc[n], set.bitmap[n]))
        release_entry(set, n);
}

// Tells the user once per run: every repaint and every scroll step builds
// masks, and a box each time would leave the viewer unusable.
// The box is modal and dispatches messages, so a repaint may run a whole
// glyphs_create .. glyphs_release cycle inside it. That cycle works on an
// empty glyph_masks while the set built so far waits here, and it shows no
// boxes of its own: this one already tells the user, and boxes opened from
// inside boxes could pile up without end.
void show_font_error(ScreenFont &font) {
    if (font.problem_told || font_boxes_open > 0)
        return;
    font.problem_told = true;
    GlyphMaskSet waiting = glyph_masks;
    glyph_masks = GlyphMaskSet{};
    ++font_boxes_open;
    MessageBoxA(nullptr, FONT_ERROR_TEXT, FONT_ERROR_CAPTION, MB_ICONERROR);
    --font_boxes_open;
    release_set(glyph_masks); // whatever an inner cycle failed to release
    glyph_masks = waiting;
}

} // namespace

void fonts_load() {
    fonts_free(); // a second load replaces the first
    char exe_path[MODULE_PATH_SIZE];
    if (!module_file_name(GetModuleHandleA(nullptr), exe_path))
        return;
    for (ScreenFont &font : screen_fonts) {
        font.problem_told = false;
        char path[MAX_PATH];
        if (font_path_make(path, sizeof path, exe_path, font.file_name))
            font.glyphs = font_file_read(path);
    }
}

void fonts_free() {
    for (ScreenFont &font : screen_fonts) {
        font_release(font.glyphs);
        font.glyphs = nullptr;
    }
}

void glyphs_create(HDC surface) {
    release_set(glyph_masks); // a set left unreleased is not leaked
    for (int n = 0; n < FONT_COUNT; ++n) {
        // Read anew each time: a box in between may have let fonts_free run.
        const unsigned char *glyphs = screen_fonts[n].glyphs;
        if (!glyphs)
            show_font_error(screen_fonts[n]);
        else
            build_entry(glyph_masks, n, surface, glyphs);
    }
}

void glyphs_release() {
    release_set(glyph_masks);
}
