// Identifiers of the plug-in's dialogs, their controls and its menu items.
#pragma once

#define IDD_FIND 100
#define IDD_GOTO 101

#define IDC_FIND_TEXT 1001
#define IDC_FIND_MATCH_CASE 1002
#define IDC_GOTO_RANGE 1003
#define IDC_GOTO_NUMBER 1004
#define IDC_GOTO_ERROR 1005

// On the viewer's Edit menu (its commands there are 0x2nn), clear of its own.
#define IDM_FIND_FIND 0x2F1
#define IDM_FIND_NEXT 0x2F2
#define IDM_FIND_GOTO 0x2F3
#define IDM_FIND_SELECT_ALL 0x2F4
