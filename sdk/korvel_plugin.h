/*
 * Plug-in interface of the Korvel Viewer.
 *
 * A plug-in is a 32-bit Windows DLL whose file name ends in ".dll", placed in
 * the "Plugins" folder beside korvel.exe. The viewer loads every such file
 * once at start-up, in the order the folder listing yields them, and keeps it
 * loaded until it exits. It calls nothing in a plug-in but the exports
 * below, found by their plain, undecorated names, letter case included:
 *
 *   Create       the main window has been created (window = its handle;
 *                path = the document named on the command line, or "").
 *   Destroy      the main window is being destroyed; the viewer ends next.
 *                It is the last call: no export of any plug-in is called
 *                after it, not even to finish a command that was under way
 *                when the window closed, so a plug-in may free its state.
 *   Load         a document load was just attempted, successful or not;
 *                path names the file. A document named on the command line
 *                gives a Load with a NULL window before Create.
 *   Save         reserved: the viewer never writes a document.
 *   KeyPress     a key went down in the main window (every auto-repeat
 *                again); value = virtual-key code. Not sent for the keys the
 *                view scrolls with (Page Up/Down, Home, End, Up, Down) nor
 *                for Ctrl+O and Ctrl+P.
 *   SysKeyPress  a system key went down (a key with Alt held, or F10);
 *                value = virtual-key code. An answer above 0 claims the key:
 *                the viewer skips its default handling (Alt+F4 then does not
 *                close the window). 0 or below leaves it to the default.
 *
 * Every export is optional. Answers other than SysKeyPress's are written to
 * the viewer's debug.log (KeyPress) or ignored. When several plug-ins have
 * the same export, each is called in load order and only the last answer
 * counts.
 *
 * Every export has the KorvelPluginEntry form below and the caller-cleans
 * calling convention (__cdecl): the caller removes the three arguments from
 * the stack. Do not build exports as __stdcall/WINAPI.
 *
 * The path points into the viewer's own 260-byte document path buffer
 * (ANSI code page, NUL-terminated, "" until a document is named): read it
 * during the call, copy it if you need it later, never write to it.
 *
 * All calls come on the viewer's one GUI thread. An export may send the
 * window messages (the viewer then calls plug-ins again before the first
 * call returns); it must not keep the thread for long.
 *
 * Declare an export with KORVEL_PLUGIN_EXPORT, for instance:
 *
 *   KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL
 *   SysKeyPress(HWND window, const char *path, int value);
 */
#ifndef KORVEL_PLUGIN_H
#define KORVEL_PLUGIN_H

#include <windows.h>

/* Command codes, as debug.log shows them ("sending to all plugins command
 * 40." is a KeyPress). 0x21 goes before a file chosen in File > Open is
 * loaded; it calls no export. */
#define KORVEL_PLUGIN_CMD_CREATE 0x01
#define KORVEL_PLUGIN_CMD_DESTROY 0x02
#define KORVEL_PLUGIN_CMD_LOAD 0x11
#define KORVEL_PLUGIN_CMD_SAVE 0x12
#define KORVEL_PLUGIN_CMD_OPEN 0x21
#define KORVEL_PLUGIN_CMD_KEYPRESS 0x40
#define KORVEL_PLUGIN_CMD_SYSKEYPRESS 0x50

/* Export names, exactly as the viewer looks them up. */
#define KORVEL_PLUGIN_CREATE "Create"
#define KORVEL_PLUGIN_DESTROY "Destroy"
#define KORVEL_PLUGIN_LOAD "Load"
#define KORVEL_PLUGIN_SAVE "Save"
#define KORVEL_PLUGIN_KEYPRESS "KeyPress"
#define KORVEL_PLUGIN_SYSKEYPRESS "SysKeyPress"

#define KORVEL_PLUGIN_CALL __cdecl

#ifdef __cplusplus
#define KORVEL_PLUGIN_EXTERN_C extern "C"
#else
#define KORVEL_PLUGIN_EXTERN_C
#endif

/* Undecorated C name, exported from the DLL, with MSVC and MinGW alike. */
#define KORVEL_PLUGIN_EXPORT KORVEL_PLUGIN_EXTERN_C __declspec(dllexport)

/* The form of every export: window may be NULL; path is never NULL. */
typedef int(KORVEL_PLUGIN_CALL *KorvelPluginEntry)(HWND window, const char *path, int value);

#endif /* KORVEL_PLUGIN_H */
