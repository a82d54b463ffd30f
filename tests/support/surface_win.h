// A picture to draw into, or to copy a window's pixels into, and read back.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr COLORREF WHITE = RGB(255, 255, 255);

// A top-down 32-bit DIB section selected into a memory DC, filled white.
struct DibSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t *bits = nullptr;
    int width, height;

    DibSurface(int width, int height);
    ~DibSurface();
    DibSurface(const DibSurface &) = delete;
    DibSurface &operator=(const DibSurface &) = delete;

    void fill(int left, int top, int right, int bottom, COLORREF color);
    uint32_t rgb(int x, int y) const; // 0x00RRGGBB
    COLORREF pixel(int x, int y) const;
    // The 8 pixels at (x .. x+7, y) as a row byte: bit 7 = x, set = black.
    unsigned char ink_row(int x, int y) const;
    bool all(int left, int top, int right, int bottom, COLORREF color) const;
};
