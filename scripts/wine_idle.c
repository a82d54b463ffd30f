/* Sits idle under Wine for a whole test run, so that Wine's own service
   processes start once, detached from any test's output, and stay up. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    (void)instance; (void)previous; (void)command_line; (void)show;
    Sleep(INFINITE);
    return 0;
}
