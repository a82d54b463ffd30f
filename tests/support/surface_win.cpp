#include "surface_win.h"

#include "fonts/font_format.h"

DibSurface::DibSurface(int width, int height) : width(width), height(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *memory = nullptr;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    bits = static_cast<uint32_t *>(memory);
    previous = SelectObject(dc, bitmap);
    fill(0, 0, width, height, WHITE);
}

DibSurface::~DibSurface() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void DibSurface::fill(int left, int top, int right, int bottom, COLORREF color) {
    RECT rect{left, top, right, bottom};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
    GdiFlush();
}

uint32_t DibSurface::rgb(int x, int y) const {
    GdiFlush();
    return bits[y * width + x] & 0x00FFFFFF;
}

COLORREF DibSurface::pixel(int x, int y) const {
    uint32_t value = rgb(x, y);
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

unsigned char DibSurface::ink_row(int x, int y) const {
    unsigned char row = 0;
    for (int c = 0; c < CHAR_WIDTH; ++c)
        if (pixel(x + c, y) == RGB(0, 0, 0))
            row |= static_cast<unsigned char>(0x80 >> c);
    return row;
}

bool DibSurface::all(int left, int top, int right, int bottom, COLORREF color) const {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (pixel(x, y) != color)
                return false;
    return true;
}
