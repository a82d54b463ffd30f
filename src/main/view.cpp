#include "view.h"

#include "app.h"
#include "fonts/fonts.h"
#include "fonts/line_codes.h"
#include "lines/line_seek.h"
#include "main/page_layout.h"
#include "plugins/plugins.h"
#include "view_rules.h"

namespace {

constexpr COLORREF MARK_COLOUR = 0x0017AFFD;
constexpr int RULE_X = 576;

LineSeek document_seek;

// Everything one repaint draws on and must give back.
struct OffscreenSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    ~OffscreenSurface() {
        if (dc)
            DeleteDC(dc);
        if (bitmap)
            DeleteObject(bitmap);
    }
};

void draw_lines(HDC target, const RECT &client, int32_t rows) {
    HBRUSH mark_brush = nullptr;
    const int columns = (client.right - client.left + CHAR_WIDTH - 1) / CHAR_WIDTH;
    const LineNode *node = line_seek_find(&document_seek, view_state.top_line);
    for (int32_t row = 0; node && row < rows; ++row, node = node->next) {
        int32_t index = view_state.top_line + row;
        int y = row * LINE_HEIGHT;
        if (view_state.mark_first <= index && index <= view_state.mark_last) {
            if (!mark_brush)
                mark_brush = CreateSolidBrush(MARK_COLOUR);
            RECT band{client.left, y, client.right, y + LINE_HEIGHT};
            FillRect(target, &band, mark_brush);
        }
        // Only the part that can reach the window: a line may be megabytes long.
        size_t shown = line_codes_visible_length(
            reinterpret_cast<const unsigned char *>(node->text), node->length, columns);
        draw_text_line(target, 0, y, node->text, shown);
    }
    if (mark_brush)
        DeleteObject(mark_brush);
}

} // namespace

void update_scrollbar(HWND window) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    info.nMin = 0;
    info.nMax = view_state.line_count;
    info.nPos = view_state.top_line;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

void view_document_changed() {
    line_seek_reset(&document_seek, &document);
}

void view_paint(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;

    PAINTSTRUCT paint;
    HDC window_dc = BeginPaint(window, &paint);
    {
        OffscreenSurface surface;
        surface.dc = CreateCompatibleDC(window_dc);
        surface.bitmap = CreateCompatibleBitmap(window_dc, width, height);
        HGDIOBJ previous_bitmap = SelectObject(surface.dc, surface.bitmap);

        FillRect(surface.dc, &client, GetSysColorBrush(COLOR_WINDOW));
        SetBkColor(surface.dc, GetSysColor(COLOR_WINDOW));

        glyphs_create(window_dc);
        draw_lines(surface.dc, client, view_page_rows(height));

        // The position indicator reads like a printed page's footer counter.
        char position[PRINT_PAGE_TEXT_SIZE];
        size_t length = print_page_text(position, view_state.top_line, view_state.line_count);
        draw_text_line(surface.dc, view_position_x(width, static_cast<int>(length)),
                       height - LINE_HEIGHT, position, length);

        MoveToEx(surface.dc, RULE_X, client.top, nullptr);
        LineTo(surface.dc, RULE_X, client.bottom);
        glyphs_release();

        BitBlt(window_dc, 0, 0, width, height, surface.dc, 0, 0, SRCCOPY);
        SelectObject(surface.dc, previous_bitmap);
    }
    EndPaint(window, &paint);
}

void view_vscroll(HWND window, int code) {
    RECT client;
    GetClientRect(window, &client);
    int32_t track = 0;
    if (code == SB_THUMBTRACK) {
        // The 32-bit track position: the message's 16-bit one wraps past 32,767.
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(window, SB_VERT, &info);
        track = info.nTrackPos;
    }
    int32_t new_top;
    if (!view_scroll_target(view_state.top_line, view_state.line_count,
                            view_page_rows(client.bottom - client.top), code, track, &new_top))
        return;
    view_state.top_line = new_top;
    SetScrollPos(window, SB_VERT, view_state.top_line, TRUE);
    InvalidateRect(window, nullptr, TRUE);
}

void view_keydown(HWND window, WPARAM key) {
    int code;
    switch (key) {
    case VK_PRIOR:
        code = SB_PAGEUP;
        break;
    case VK_NEXT:
        code = SB_PAGEDOWN;
        break;
    case VK_END:
        code = SB_BOTTOM;
        break;
    case VK_HOME:
        code = SB_TOP;
        break;
    case VK_UP:
        code = SB_LINEUP;
        break;
    case VK_DOWN:
        code = SB_LINEDOWN;
        break;
    default:
        plugins_send(window, doc_path, static_cast<int>(key), PLUGIN_CMD_KEYPRESS);
        return;
    }
    SendMessageA(window, WM_VSCROLL, static_cast<WPARAM>(code), 0);
}

void view_mark(HWND window, uint16_t y, bool first_end) {
    int32_t line = view_line_at(view_state.top_line, y);
    if (first_end)
        view_state.mark_first = line;
    else
        view_state.mark_last = line;
    InvalidateRect(window, nullptr, TRUE);
}

void view_wheel(HWND window, int16_t delta) {
    SendMessageA(window, WM_VSCROLL, delta > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
}
