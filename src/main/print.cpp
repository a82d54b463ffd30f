// File > Print and File > Page setup. Each page is drawn like the screen, in
// 8 x 19 cells on a white 96-dpi bitmap, and stretched in one StretchBlt onto
// the printer's whole printable area.
#include "main/print.h"

#include "debuglog/debuglog.h"
#include "fonts/fonts.h"
#include "fonts/line_codes.h"
#include "main/app.h"
#include "main/page_layout.h"

#include <commdlg.h>

#include <cstring>

namespace {

// Record sizes of the 32-bit dialog and job structures.
constexpr DWORD PRINT_RECORD_SIZE = 66;
constexpr DWORD PAGE_SETUP_RECORD_SIZE = 84;
constexpr int DOC_INFO_SIZE = 20;
static_assert(sizeof(void *) != 4 || (sizeof(PRINTDLGA) == PRINT_RECORD_SIZE &&
                                      sizeof(PAGESETUPDLGA) == PAGE_SETUP_RECORD_SIZE &&
                                      sizeof(DOCINFOA) == DOC_INFO_SIZE));

constexpr DWORD PRINT_FLAGS = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
constexpr DWORD PAGE_SETUP_FLAGS = PSD_MINMARGINS | PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS;
constexpr LONG MIN_MARGIN = 500; // hundredths of a millimetre: 5 mm
constexpr LONG MARGIN = 1000;    // 10 mm
constexpr COLORREF PAGE_WHITE = 0x00FFFFFF;

PRINTDLGA print_record;
PAGESETUPDLGA page_setup_record;

// Both records share one device-mode/device-names pair. A dialog may free the
// pair it was given and return another, so after every dialog the other
// record takes the new pair and never keeps a handle that may be gone.
void print_record_takes_page_setup_devices() {
    if (page_setup_record.hDevMode && page_setup_record.hDevNames) {
        print_record.hDevMode = page_setup_record.hDevMode;
        print_record.hDevNames = page_setup_record.hDevNames;
    }
}

void page_setup_takes_print_devices() {
    page_setup_record.hDevMode = print_record.hDevMode;
    page_setup_record.hDevNames = print_record.hDevNames;
}

// Draws one page of `layout` from `*cursor` on, with its footer, and
// stretches it onto the printer. Advances `*cursor`.
void print_page(HDC printer, const PrintGeometry &geometry, const PageLayout &layout,
                const LineNode **cursor, int page, int total) {
    const int width = layout.width;
    const int height = layout.height;
    HDC surface = CreateCompatibleDC(printer);
    HBITMAP bitmap = CreateCompatibleBitmap(printer, width, height);
    SelectObject(surface, bitmap);

    LOGBRUSH white_brush{BS_SOLID, PAGE_WHITE, 0};
    HBRUSH brush = CreateBrushIndirect(&white_brush);
    RECT page_rect{0, 0, width, height};
    FillRect(surface, &page_rect, brush);
    DeleteObject(brush);

    glyphs_create(surface);
    const int columns = (width + CHAR_WIDTH - 1) / CHAR_WIDTH;
    int y = 0;
    for (int line = 0; line < layout.lines_per_page && *cursor; ++line) {
        // The byte length, not strlen: a line may hold NUL bytes. Only the
        // part that can reach the page is drawn: a line may be megabytes long.
        size_t shown = line_codes_visible_length(
            reinterpret_cast<const unsigned char *>((*cursor)->text), (*cursor)->length, columns);
        draw_text_line(surface, 0, y, (*cursor)->text, shown);
        y += LINE_HEIGHT;
        *cursor = (*cursor)->next;
    }
    draw_text_line(surface, 0, layout.footer_y, doc_path, strnlen(doc_path, DOC_PATH_SIZE));
    char page_text[PRINT_PAGE_TEXT_SIZE];
    size_t page_text_length = print_page_text(page_text, page, total);
    draw_text_line(surface, print_right_aligned_x(width, page_text_length), layout.footer_y,
                   page_text, page_text_length);
    glyphs_release();

    StretchBlt(printer, 0, 0, geometry.device_width, geometry.device_height, surface, 0, 0, width,
               height, SRCAND);
    DeleteDC(surface);
    DeleteObject(bitmap);
}

void print_job(HDC printer) {
    debug_print("begin printing");
    DOCINFOA info{};
    info.cbSize = DOC_INFO_SIZE;
    info.lpszDocName = doc_path;
    StartDocA(printer, &info);

    int dpi_x = GetDeviceCaps(printer, LOGPIXELSX);
    debug_print("printer x resolution %d dpi", dpi_x);
    int dpi_y = GetDeviceCaps(printer, LOGPIXELSY);
    debug_print("printer y resolution %d dpi", dpi_y);
    PrintGeometry geometry = print_geometry(dpi_x, dpi_y, GetDeviceCaps(printer, HORZRES),
                                            GetDeviceCaps(printer, VERTRES));

    // A page too small for one line gives no pages: the job ends empty.
    const int first_page = 1;
    PageLayout layout =
        page_layout_make(geometry.page_width, geometry.page_height, FooterRow::over_last_line);
    int page_count = page_layout_page_count(layout, lines_count(&document));
    int page_total = first_page + page_count - 1;
    debug_print("total page for printitn %d", page_count);

    const LineNode *cursor = document;
    for (int index = 0; index < page_count && cursor; ++index) {
        StartPage(printer);
        print_page(printer, geometry, layout, &cursor, first_page + index, page_total);
        debug_print("list %d - rendered", index);
        EndPage(printer);
    }

    EndDoc(printer);
    DeleteDC(printer);
    debug_print("end printing");
}

} // namespace

void print_init(HWND window, HINSTANCE instance) {
    print_record = PRINTDLGA{};
    print_record.lStructSize = PRINT_RECORD_SIZE;
    print_record.hwndOwner = window;
    print_record.Flags = PRINT_FLAGS;
    print_record.hInstance = instance;

    page_setup_record = PAGESETUPDLGA{};
    page_setup_record.lStructSize = PAGE_SETUP_RECORD_SIZE;
    page_setup_record.hwndOwner = window;
    page_setup_record.Flags = PAGE_SETUP_FLAGS;
    page_setup_record.rtMinMargin = RECT{MIN_MARGIN, MIN_MARGIN, MIN_MARGIN, MIN_MARGIN};
    page_setup_record.rtMargin = RECT{MARGIN, MARGIN, MARGIN, MARGIN};
    page_setup_record.hInstance = instance;
}

void print_page_setup() {
    PageSetupDlgA(&page_setup_record);
    print_record_takes_page_setup_devices();
}

void print_document() {
    print_record_takes_page_setup_devices();
    BOOL chosen = PrintDlgA(&print_record);
    page_setup_takes_print_devices();
    if (!chosen)
        return;
    HDC printer = print_record.hDC;
    // The job owns the DC and deletes it; the record must not keep it.
    print_record.hDC = nullptr;
    print_job(printer);
}
