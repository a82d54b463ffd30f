/* A test plug-in that takes the viewer's window class away as soon as it is
   loaded (plug-ins load after the class is registered and before the window
   is made), so the viewer cannot make its window. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        UnregisterClassA("KorvelViewerClass", GetModuleHandleA(NULL));
    return TRUE;
}
