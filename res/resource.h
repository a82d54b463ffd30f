// Identifiers shared by the resource script and the window procedure. The
// high byte of a command is its menu's place on the bar (File 1, Edit 2, ? 3).
#pragma once

#define IDM_OPEN 257
#define IDM_PRINT 258
#define IDM_PAGESETUP 259
#define IDM_EXIT 260
#define IDM_COPY 514
#define IDM_HELP 769
