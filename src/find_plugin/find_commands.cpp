// Find, F3, Go to, Select all and Copy. The view is moved and marked only
// by the messages it handles from the user (the scroll bar's thumb, clicks
// on a row), so the scroll bar, the indicator and other plug-ins see what
// they would see from a user. The texts are CP1251 (-fexec-charset).
#include "find_plugin/clip_text.h"
#include "find_plugin/find_match.h"
#include "find_plugin/find_plugin.h"
#include "find_plugin/find_view.h"
#include "main/view_rules.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <new>

namespace {

const char FIND_CAPTION[] = "Поиск";
const char COPY_CAPTION[] = "Копирование";

bool alive() {
    return find_plugin.window != nullptr;
}

// A box owned by the main window; the window may be gone when it returns.
void box(const char *caption, UINT icon, const char *format, ...) {
    char message[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    MessageBoxA(find_plugin.window, message, caption, MB_OK | icon);
}

// The view as its scroll bar shows it: range 0 ... line count, at the top line.
int32_t view_count() {
    int low = 0, high = 0;
    GetScrollRange(find_plugin.window, SB_VERT, &low, &high);
    return high;
}

int32_t view_top() {
    return GetScrollPos(find_plugin.window, SB_VERT);
}

int32_t view_rows() {
    RECT client;
    GetClientRect(find_plugin.window, &client);
    return view_page_rows(client.bottom - client.top);
}

// The thumb tracked to `line` in one step: with no drag under way the bar
// reports its own position as the track position.
void view_move(int32_t line) {
    HWND window = find_plugin.window;
    SetScrollPos(window, SB_VERT, line, FALSE);
    SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, line & 0xFFFF), 0);
}

void view_click(UINT message, int32_t line) {
    int32_t top = view_top();
    if (line < top || line - top >= std::max(view_rows(), 1)) {
        view_move(line);
        top = line;
    }
    SendMessageA(find_plugin.window, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                 MAKELPARAM(0, find_row_y(line - top)));
}

// Marks first ... last as a press on one row and a release on the other.
void view_mark(int32_t first, int32_t last) {
    view_click(WM_LBUTTONDOWN, first);
    view_click(WM_LBUTTONUP, last);
}

// Whether the file is still the one the viewer loaded; says so when not.
bool document_unchanged() {
    if (document_file_same(find_plugin.stamp, document_file_stamp(find_plugin.path.c_str())))
        return true;
    box(FIND_CAPTION, MB_ICONWARNING,
        "Файл \"%s\" изменился после того, как был открыт, и номера строк могли сместиться. "
        "Откройте его снова.",
        find_plugin.path.c_str());
    return false;
}

// A scan of the document's lines first ... end - 1; says what went wrong.
bool scan(int32_t first, int32_t end, DocumentVisit visit, void *context) {
    HANDLE file = document_file_open(find_plugin.path.c_str());
    if (!file) {
        box(FIND_CAPTION, MB_ICONERROR, "Не удалось открыть файл \"%s\".",
            find_plugin.path.c_str());
        return false;
    }
    DocumentScanResult result = DOCUMENT_SCAN_READ_ERROR;
    try {
        result = document_scan(&find_plugin.index, document_file_source(&file), first, end, visit,
                               context);
    } catch (const std::bad_alloc &) {
        CloseHandle(file);
        box(FIND_CAPTION, MB_ICONERROR, "Не хватило памяти.");
        return false;
    }
    CloseHandle(file);
    if (result == DOCUMENT_SCAN_READ_ERROR)
        box(FIND_CAPTION, MB_ICONERROR, "При чтении файла \"%s\" произошла ошибка.",
            find_plugin.path.c_str());
    else if (result == DOCUMENT_SCAN_LONG_LINE)
        box(FIND_CAPTION, MB_ICONERROR,
            "В файле \"%s\" есть строка длиннее %lu МБ: такие строки не читаются.",
            find_plugin.path.c_str(), static_cast<unsigned long>(DOCUMENT_SCAN_LINE_LIMIT >> 20));
    return result == DOCUMENT_SCAN_ENDED || result == DOCUMENT_SCAN_STOPPED;
}

struct Search {
    FindMatcher matcher;
    int32_t found = -1;
};

bool first_match(void *context, int32_t index, std::string_view line) {
    auto *search = static_cast<Search *>(context);
    if (!find_matcher_line(&search->matcher, line))
        return true;
    search->found = index;
    return false;
}

bool last_match(void *context, int32_t index, std::string_view line) {
    auto *search = static_cast<Search *>(context);
    if (find_matcher_line(&search->matcher, line))
        search->found = index;
    return true;
}

// The first match from `start` to the end, then from the top; false when a scan failed.
bool search_forward(Search *search, int32_t start, int32_t count) {
    if (start >= count)
        start = 0;
    return scan(start, count, first_match, search) &&
           (search->found >= 0 || scan(0, start, first_match, search));
}

// The last match from `start` up to the top, a stretch of the index at a
// time, then from the end up to `start`.
bool search_backward(Search *search, int32_t start, int32_t count) {
    if (start < 0 || start >= count)
        start = count - 1;
    for (int32_t from = start / DOCUMENT_INDEX_STRIDE * DOCUMENT_INDEX_STRIDE; from >= 0;
         from -= DOCUMENT_INDEX_STRIDE) {
        if (!scan(from, std::min(from + DOCUMENT_INDEX_STRIDE, start + 1), last_match, search))
            return false;
        if (search->found >= 0)
            return true;
    }
    return scan(start + 1, count, last_match, search);
}

void show_found(int32_t line) {
    int32_t top = view_top();
    int32_t new_top = find_top_for(top, view_rows(), line);
    if (new_top != top)
        view_move(new_top);
    view_mark(line, line);
    find_plugin.last_found = line;
}

} // namespace

void find_command_find(bool ask, bool forward) {
    if (ask || find_plugin.text.empty()) {
        if (!find_dialog_text(find_plugin.window, &find_plugin.text, &find_plugin.match_case) ||
            !alive())
            return;
    }
    int32_t count = view_count();
    if (count > 0 && !document_unchanged())
        return;
    int32_t start = find_start_line(find_plugin.last_found, view_top(), view_rows(), forward);
    Search search;
    find_matcher_init(&search.matcher, find_plugin.text, find_plugin.match_case);
    if (count > 0 && !search.matcher.pattern.empty() &&
        !(forward ? search_forward(&search, start, count) : search_backward(&search, start, count)))
        return;
    if (search.found < 0)
        box(FIND_CAPTION, MB_ICONINFORMATION, "Не удалось найти \"%s\".", find_plugin.text.c_str());
    else
        show_found(search.found);
}

void find_command_goto() {
    int32_t line = 0;
    if (!find_dialog_line(find_plugin.window, view_count(), view_top(), &line) || !alive())
        return;
    view_move(line);
    view_mark(line, line);
}

void find_command_select_all() {
    int32_t count = view_count();
    if (count <= 0)
        return;
    int32_t top = view_top();
    view_mark(0, count - 1);
    if (view_top() != top)
        view_move(top);
}

namespace {

struct Clip {
    uint64_t length = 0; // characters measured, or still free to write
    char16_t *unicode = nullptr;
    char *oem = nullptr;
};

bool measure_line(void *context, int32_t, std::string_view line) {
    auto *clip = static_cast<Clip *>(context);
    clip->length += clip_text_length(line);
    return clip->length < CLIP_TEXT_LIMIT; // enough to refuse: no need to read on
}

bool write_line(void *context, int32_t, std::string_view line) {
    auto *clip = static_cast<Clip *>(context);
    size_t length = clip_text_length(line);
    if (length > clip->length) // the file grew between the two readings
        return false;
    clip_text_write(line, clip->unicode, clip->oem);
    clip->unicode += length;
    clip->oem += length;
    clip->length -= length;
    return true;
}

// Both forms to the clipboard, which then owns them; false when it is not had.
bool put_on_clipboard(HGLOBAL unicode, HGLOBAL oem) {
    // Another program may hold the clipboard for a moment (under Wine also
    // its own bridge to the X clipboard, while it asks the X owner): up to 2 s.
    bool opened = false;
    for (int attempt = 0; attempt < 100 && !(opened = OpenClipboard(find_plugin.window)); ++attempt)
        Sleep(20);
    if (!opened)
        return false;
    EmptyClipboard();
    bool put = SetClipboardData(CF_UNICODETEXT, unicode) != nullptr;
    if (!put)
        GlobalFree(unicode);
    if (!SetClipboardData(CF_OEMTEXT, oem))
        GlobalFree(oem);
    CloseClipboard();
    return put;
}

} // namespace

void find_command_copy() {
    int32_t count = view_count();
    int32_t first = std::max(find_plugin.mark_first, 0);
    int32_t last = std::min(find_plugin.mark_last, count - 1);
    if (first > last || !document_unchanged()) // no band shows: nothing to copy
        return;
    Clip clip;
    if (!scan(first, last + 1, measure_line, &clip))
        return;
    uint64_t units = clip.length + 1;
    if (units * 2 > CLIP_TEXT_LIMIT) {
        box(COPY_CAPTION, MB_ICONWARNING,
            "Выделено слишком много текста: в буфер обмена помещается не больше %lu МБ. "
            "Ничего не скопировано.",
            static_cast<unsigned long>(CLIP_TEXT_LIMIT >> 20));
        return;
    }
    HGLOBAL unicode = GlobalAlloc(GMEM_MOVEABLE, units * 2);
    HGLOBAL oem = unicode ? GlobalAlloc(GMEM_MOVEABLE, units) : nullptr;
    if (!oem) {
        if (unicode)
            GlobalFree(unicode);
        box(COPY_CAPTION, MB_ICONERROR, "Не хватило памяти: ничего не скопировано.");
        return;
    }
    Clip writing{clip.length, static_cast<char16_t *>(GlobalLock(unicode)),
                 static_cast<char *>(GlobalLock(oem))};
    bool scanned = scan(first, last + 1, write_line, &writing);
    bool whole = scanned && writing.length == 0;
    *writing.unicode = u'\0';
    *writing.oem = '\0';
    GlobalUnlock(unicode);
    GlobalUnlock(oem);
    if (!whole) {
        GlobalFree(unicode);
        GlobalFree(oem);
        if (scanned) // the file changed while it was read
            document_unchanged();
        return;
    }
    if (!put_on_clipboard(unicode, oem))
        box(COPY_CAPTION, MB_ICONWARNING,
            "Буфер обмена занят другой программой. Ничего не скопировано.");
}
