/*
 * Sample plug-in "keep_open": keeps Alt+F4 from closing the viewer and keeps
 * a journal of what the viewer tells it, in "keep_open.log" beside the DLL.
 *
 * Build (MinGW):  i686-w64-mingw32-gcc -shared -I.. -o keep_open.dll keep_open.c
 * Build (MSVC, x86 prompt):  cl /LD /I.. keep_open.c
 * Install: copy keep_open.dll into the "Plugins" folder beside korvel.exe.
 */
#include "korvel_plugin.h"

#include <stdio.h>
#include <string.h>

static HINSTANCE keep_open_instance;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        keep_open_instance = instance;
    return TRUE;
}

/* Appends one line to keep_open.log beside this DLL; opened and closed per
 * line so that nothing is lost when the viewer ends. */
static void journal(const char *what, const char *path, int value) {
    char log_path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(keep_open_instance, log_path, MAX_PATH);
    char *dot;
    FILE *log;
    if (length == 0 || length >= MAX_PATH)
        return;
    log_path[length] = '\0';
    dot = strrchr(log_path, '.');
    if (dot)
        *dot = '\0';
    strcat(log_path, ".log");
    log = fopen(log_path, "ab");
    if (!log)
        return;
    fprintf(log, "%s path=%s value=%d\n", what, path, value);
    fclose(log);
}

KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL Create(HWND window, const char *path, int value) {
    (void)window;
    journal("Create", path, value);
    return 0;
}

KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL Load(HWND window, const char *path, int value) {
    /* With a document on the command line this comes before Create, with no window. */
    journal(window ? "Load" : "Load at start-up", path, value);
    return 0;
}

KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL KeyPress(HWND window, const char *path, int value) {
    (void)window;
    journal("KeyPress", path, value);
    return 0;
}

/* Alt+F4 arrives as a system key with the virtual-key code VK_F4; answering
 * 1 claims it, so the viewer skips the default handling that would close
 * the window. Every other system key is left to the viewer (answer 0). */
KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL SysKeyPress(HWND window, const char *path, int value) {
    (void)window;
    journal(value == VK_F4 ? "SysKeyPress claimed" : "SysKeyPress", path, value);
    return value == VK_F4 ? 1 : 0;
}

KORVEL_PLUGIN_EXPORT int KORVEL_PLUGIN_CALL Destroy(HWND window, const char *path, int value) {
    (void)window;
    journal("Destroy", path, value);
    return 0;
}
