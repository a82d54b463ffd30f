#include "find_plugin/find_plugin.h"

FileStamp document_file_stamp(const char *path) {
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!*path || !GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return stamp;
    stamp.known = true;
    stamp.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    stamp.written = data.ftLastWriteTime;
    return stamp;
}

bool document_file_same(const FileStamp &a, const FileStamp &b) {
    return a.known && b.known && a.size == b.size && CompareFileTime(&a.written, &b.written) == 0;
}

HANDLE document_file_open(const char *path) {
    // Shared like the viewer's own reading: another program may keep writing.
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

namespace {

long read_at(void *context, uint64_t offset, char *buffer, size_t capacity) {
    HANDLE file = *static_cast<HANDLE *>(context);
    LARGE_INTEGER place;
    place.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    if (!SetFilePointerEx(file, place, nullptr, FILE_BEGIN) ||
        !ReadFile(file, buffer, static_cast<DWORD>(capacity), &got, nullptr))
        return -1;
    return static_cast<long>(got);
}

} // namespace

DocumentSource document_file_source(HANDLE *file) {
    return DocumentSource{file, read_at};
}
