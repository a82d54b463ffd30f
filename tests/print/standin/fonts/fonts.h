// Test stand-in for the screen-font module, used only while that module is
// not on this branch: the same five operations and constants, drawing every
// byte as a glyph of font 0 (no in-line codes). The build drops it as soon as
// src/fonts/fonts.h exists.
#pragma once

#include <windows.h>

#include <cstddef>

constexpr int LINE_HEIGHT = 19;
constexpr int CHAR_WIDTH = 8;

void fonts_load();
void fonts_free();
void glyphs_create(HDC surface);
void glyphs_release();
void draw_text_line(HDC target, int x, int y, const char *bytes, size_t length);
