// Hook for tests: the log's file writes, so that a full disk can be had.
#pragma once

#include <windows.h>

using LogWriteFile = BOOL(WINAPI *)(HANDLE file, LPCVOID bytes, DWORD length, LPDWORD written,
                                    LPOVERLAPPED overlapped);

// Replaces the WriteFile that appends records; null restores it.
void debuglog_set_write(LogWriteFile write);
