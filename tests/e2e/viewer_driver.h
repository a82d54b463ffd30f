// Drives the real viewer from outside, as a user would: starts korvel.exe in
// a prepared folder, posts keys and mouse messages to its queue, works its
// dialogs and message boxes, and reads what it painted, logged and told the
// recording plug-ins.
#pragma once

#include "fonts/font_format.h"
#include "res/resource.h"
#include "support/temp_dir.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// The key that the driver posts to learn that everything posted before it
// has been handled: it reaches the plug-ins' KeyPress as value 120.
constexpr UINT MARKER_KEY = VK_F9;
constexpr COLORREF E2E_MARK_COLOUR = RGB(253, 175, 23);
constexpr int E2E_RULE_X = 576;

// ---- The viewer's folder and process ----

// korvel.exe and fonts\vga0.sfn ... vga9.sfn as dist/ ships them, and
// Plugins\ with copies of the named test plug-ins (e.g. "rec_all.dll").
// The pixels are checked against the fonts of the source tree.
void folder_prepare(const TempDir &folder, std::initializer_list<const char *> plugins);
std::string folder_exe(const TempDir &folder);

struct ViewerRun {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    std::string folder;      // the viewer's directory
    std::string sync_plugin; // plug-in whose KeyPress records the marker
};

// Starts the viewer with `arguments` as its whole argument text (nothing is
// added: an empty text starts it without arguments).
bool viewer_start(ViewerRun &run, const TempDir &folder, const std::string &arguments);
// Waits for the main window; sets run.window. False on timeout or exit.
bool viewer_wait_window(ViewerRun &run, DWORD timeout_ms = 15000);
// Puts the window at the known place and size that every test reads.
void viewer_place(const ViewerRun &run);
// Starts, waits for the window and puts it at a known place and size.
bool viewer_open(ViewerRun &run, const TempDir &folder, const std::string &arguments);
// Waits for the process to end; its exit code, or -1 on timeout.
long viewer_wait_exit(ViewerRun &run, DWORD timeout_ms = 15000);
// Ends a viewer still running (test clean-up) and closes the handles.
void viewer_close_handles(ViewerRun &run);
bool viewer_running(const ViewerRun &run);

// ---- Input ----

void post_key(HWND window, UINT virtual_key);
void post_syskey(HWND window, UINT virtual_key);
// Posts the key with Ctrl held in the viewer's input state; the state is
// given back at the next viewer_sync or release_ctrl.
void post_ctrl_key(ViewerRun &run, UINT virtual_key);
void release_ctrl(ViewerRun &run);
void post_mouse(HWND window, UINT message, int x, int y);
void post_wheel(HWND window, int delta);
// Posts the marker key and waits until the plug-in recorded it and the
// window has no pending repaint. False on timeout.
bool viewer_sync(ViewerRun &run, DWORD timeout_ms = 10000);
// Drags with real (injected) mouse input from one client point to another;
// the points may lie outside the client area (e.g. on the scroll bar).
void mouse_drag(HWND window, POINT from_client, POINT to_client);

// ---- Top-level windows of the viewer's process ----

// A visible top-level window of the process with that class, or null.
HWND find_process_window(DWORD pid, const char *class_name, HWND after = nullptr);
// Waits for a dialog window (#32770) of the process; with `with_control`
// not 0, only one that has a child with that id.
HWND wait_dialog(DWORD pid, int with_control = 0, DWORD timeout_ms = 10000);
bool wait_gone(HWND window, DWORD timeout_ms = 10000);

// The platform's Open dialog: its file-type list (cmb1) and file-name box
// (cmb13, a ComboBoxEx32 holding a ComboBox holding the Edit).
constexpr int OPEN_FILE_TYPE_COMBO = 0x470;
constexpr int OPEN_FILE_NAME_BOX = 0x47C;
HWND open_dialog_name_edit(HWND dialog);
// Types `path` into the file-name box and presses OK.
void open_dialog_confirm(HWND dialog, const std::string &path);

enum class BoxIcon { none, error, warning, information, question };
struct MessageBoxContent {
    std::string caption;
    std::string text;
    BoxIcon icon = BoxIcon::none;
    int buttons = 0;
};
MessageBoxContent read_message_box(HWND box);
std::string window_text(HWND window);

// ---- What the viewer wrote ----

// The lines that a recording plug-in wrote, the marker's KeyPress left out.
std::vector<std::string> plugin_calls(const ViewerRun &run, const char *plugin = "rec_all");
// rec_all's recorded calls of one export, e.g. "Load".
std::vector<std::string> plugin_calls_of(const ViewerRun &run, const std::string &export_name);
// debug.log's messages with the date, time and process-id prefix removed.
std::vector<std::string> log_messages(const std::string &folder);
int count_of(const std::vector<std::string> &lines, const std::string &line);

// ---- What the viewer painted ----

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, top row first
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture capture_client(HWND window);
uint32_t colour_of(COLORREF colour);

using FontBytes = std::vector<unsigned char>; // FONT_DATA_SIZE bytes
const FontBytes &shipped_font(int number);
bool glyph_has_ink(const FontBytes &font, unsigned char glyph, int column, int row);

// Whether the cell with its top-left corner at (x, y) holds exactly the
// glyph's ink (black) and nothing else black; `underlined` adds row 18.
bool cell_shows(const Picture &picture, int x, int y, int font, unsigned char glyph,
                bool underlined = false);
// The CP866 text of `count` cells of row `row` read with font 0 ('?' for a
// cell that matches no glyph), trailing blanks removed.
std::string row_text(const Picture &picture, int row, int first_column, int count);
// The position indicator of the bottom row, e.g. "0 \xA8\xA7 57" ("0 из 57").
std::string indicator_text(const Picture &picture);
std::string indicator(int top_line, int line_count);
// Whether document row `row` lies on the mark band (right of the rule).
bool row_banded(const Picture &picture, int row);
bool rule_drawn(const Picture &picture);
