/*
 * Recording test plug-in. Built into several DLLs, each with its own set of
 * exports chosen by compile definitions (REC_CREATE, REC_DESTROY, REC_LOAD,
 * REC_SAVE, REC_KEYPRESS, REC_SYSKEYPRESS; REC_STDCALL builds the exports
 * with the wrong, callee-cleans convention; REC_NESTED makes KeyPress with
 * value 'N' send the window a WM_KEYDOWN 'M' before it records; REC_CLOSER
 * makes KeyPress with value 'Q' record, then send the window WM_CLOSE).
 *
 * Every call appends one line to "<this DLL's path without .dll>.calls":
 *   <Export> window=<0|1> path=<path bytes> value=<signed decimal>\n
 * and answers what "<same>.answers" says in a line "<Export>=<int>", or 0.
 */
#include "korvel_plugin.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef REC_STDCALL
#define REC_CALL __stdcall
#else
#define REC_CALL KORVEL_PLUGIN_CALL
#endif

#define REC_PATH_SIZE 1024

static HINSTANCE rec_instance;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        rec_instance = instance;
    return TRUE;
}

/* "<DLL path without .dll><suffix>", or "" when it does not fit. */
static void rec_sibling(char *out, const char *suffix) {
    char module[REC_PATH_SIZE];
    DWORD length = GetModuleFileNameA(rec_instance, module, REC_PATH_SIZE);
    out[0] = '\0';
    if (length == 0 || length >= REC_PATH_SIZE)
        return;
    module[length] = '\0';
    if (length >= 4 && _stricmp(module + length - 4, ".dll") == 0)
        module[length - 4] = '\0';
    if (strlen(module) + strlen(suffix) < REC_PATH_SIZE) {
        strcpy(out, module);
        strcat(out, suffix);
    }
}

static int rec_answer(const char *export_name) {
    char path[REC_PATH_SIZE];
    char line[256];
    size_t name_length = strlen(export_name);
    int answer = 0;
    FILE *answers;
    rec_sibling(path, ".answers");
    answers = path[0] ? fopen(path, "rb") : NULL;
    if (!answers)
        return 0;
    while (fgets(line, sizeof line, answers)) {
        if (strncmp(line, export_name, name_length) == 0 && line[name_length] == '=') {
            answer = atoi(line + name_length + 1);
            break;
        }
    }
    fclose(answers);
    return answer;
}

static int rec_call(const char *export_name, HWND window, const char *path, int value) {
    char calls_path[REC_PATH_SIZE];
    FILE *calls;
    rec_sibling(calls_path, ".calls");
    calls = calls_path[0] ? fopen(calls_path, "ab") : NULL;
    if (calls) {
        fprintf(calls, "%s window=%d path=%s value=%d\n", export_name, window != NULL ? 1 : 0,
                path ? path : "(null)", value);
        fclose(calls);
    }
    return rec_answer(export_name);
}

#define REC_EXPORT(name)                                                                           \
    KORVEL_PLUGIN_EXPORT int REC_CALL name(HWND window, const char *path, int value) {             \
        return rec_call(#name, window, path, value);                                               \
    }

#ifdef REC_CREATE
REC_EXPORT(Create)
#endif
#ifdef REC_DESTROY
REC_EXPORT(Destroy)
#endif
#ifdef REC_LOAD
REC_EXPORT(Load)
#endif
#ifdef REC_SAVE
REC_EXPORT(Save)
#endif
#ifdef REC_SYSKEYPRESS
REC_EXPORT(SysKeyPress)
#endif

#ifdef REC_KEYPRESS
#if defined(REC_CLOSER)
KORVEL_PLUGIN_EXPORT int REC_CALL KeyPress(HWND window, const char *path, int value) {
    /* The window is destroyed, and Destroy dispatched, before this returns. */
    int answer = rec_call("KeyPress", window, path, value);
    if (value == 'Q' && window)
        SendMessageA(window, WM_CLOSE, 0, 0);
    return answer;
}
#elif defined(REC_NESTED)
KORVEL_PLUGIN_EXPORT int REC_CALL KeyPress(HWND window, const char *path, int value) {
    /* The window's key handler dispatches KeyPress again before this returns. */
    if (value == 'N' && window)
        SendMessageA(window, WM_KEYDOWN, 'M', 0);
    return rec_call("KeyPress", window, path, value);
}
#else
REC_EXPORT(KeyPress)
#endif
#endif
