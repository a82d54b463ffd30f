// The Find plug-in's Windows side: its state between the viewer's calls,
// and the pieces its commands are made of.
#pragma once

#include "find_plugin/document_scan.h"

#include <windows.h>

#include <cstdint>
#include <string>

// What the plug-in knows of the document file at its last Load.
struct FileStamp {
    bool known = false;
    uint64_t size = 0;
    FILETIME written{};
};

struct FindPlugin {
    HWND window = nullptr;         // the main window from Create to Destroy, then null
    WNDPROC viewer_proc = nullptr; // the window procedure before ours
    std::string path;              // the document of the last Load
    FileStamp stamp;
    DocumentIndex index;
    std::string text; // the last text searched, CP1251
    bool match_case = false;
    int32_t last_found = -1;
    int32_t mark_first; // the marked range as the view holds it
    int32_t mark_last;
};
extern FindPlugin find_plugin;
extern HINSTANCE find_instance;

// Commands (find_commands.cpp). Each returns at once when the window has
// gone while it waited for the user.
void find_command_find(bool ask, bool forward);
void find_command_goto();
void find_command_select_all();
void find_command_copy();

// Dialogs (find_dialogs.cpp): false when cancelled.
bool find_dialog_text(HWND owner, std::string *text, bool *match_case);
bool find_dialog_line(HWND owner, int32_t count, int32_t top, int32_t *line);

// The document file (document_file_win.cpp).
FileStamp document_file_stamp(const char *path);
bool document_file_same(const FileStamp &a, const FileStamp &b);
// Opens the file for a scan; null when it cannot be opened.
HANDLE document_file_open(const char *path);
// A source reading from an open file.
DocumentSource document_file_source(HANDLE *file);
