/* Asks the viewer's main window to close, as another program may (a task
 * manager, the session ending) while a dialog of the viewer is up and the
 * window itself takes no input. */
#include <windows.h>

int main(void) {
    HWND window = FindWindowA("KorvelViewerClass", NULL);
    return window && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
}
