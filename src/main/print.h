// Printing the document as 96-dpi page pictures, and the page-setup dialog.
#pragma once

#include <windows.h>

// Fills the print and page-setup dialog records; called at window creation.
void print_init(HWND window, HINSTANCE instance);
// File > Page setup.
void print_page_setup();
// File > Print: the print dialog, then the whole document.
void print_document();
