#include "line_file.h"

#include <new>
#include <windows.h>

struct LineFile {
    HANDLE handle;
    unsigned long long size;
};

LineFile *line_file_open(const char *path, LinesRefusal *refusal) {
    *refusal = {false, ERROR_FILE_NOT_FOUND};
    if (!path || !*path)
        return nullptr;
    HANDLE handle =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        refusal->system_error = GetLastError();
        return nullptr;
    }
    // Only files on a disk are documents: reading a pipe, a console or a
    // serial port could wait for input for ever.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        *refusal = {true, 0};
        CloseHandle(handle);
        return nullptr;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size))
        size.QuadPart = 0;
    auto *file =
        new (std::nothrow) LineFile{handle, static_cast<unsigned long long>(size.QuadPart)};
    if (!file) {
        refusal->system_error = ERROR_NOT_ENOUGH_MEMORY;
        CloseHandle(handle);
    }
    return file;
}

long line_file_read(LineFile *file, char *buffer, size_t capacity) {
    DWORD got = 0;
    if (!ReadFile(file->handle, buffer, static_cast<DWORD>(capacity), &got, nullptr))
        return -1;
    return static_cast<long>(got);
}

unsigned long long line_file_size(const LineFile *file) {
    return file->size;
}

void line_file_close(LineFile *file) {
    CloseHandle(file->handle);
    delete file;
}
