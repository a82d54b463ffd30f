#include "convert/system.h"
#include "debuglog/module_file_name.h"

#include <cairo.h>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

// Seconds between 1601-01-01 (FILETIME's start) and 1970-01-01.
constexpr unsigned long long FILETIME_UNIX_START = 11644473600ull;

std::string last_error_text() {
    return system_error_text(GetLastError());
}

time_t unix_time(const FILETIME &time) {
    unsigned long long ticks =
        (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<time_t>(ticks / 10000000ull - FILETIME_UNIX_START);
}

std::wstring wide_from(UINT code_page, const std::string &text) {
    if (text.empty())
        return {};
    int length =
        MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

// Opens a file or folder only to ask about it (no access to its data needed).
HANDLE open_to_query(const std::string &path) {
    return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

size_t path_name_start(const std::string &path) {
    size_t separator = path.find_last_of("/\\:");
    return separator == std::string::npos ? 0 : separator + 1;
}

std::string path_joined(const std::string &folder, const std::string &name) {
    return path_name_start(folder) == folder.size() ? folder + name : folder + "\\" + name;
}

std::string path_utf8(const std::string &path) {
    std::wstring wide = wide_from(CP_ACP, path);
    if (wide.empty())
        return {};
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                        nullptr, nullptr);
    return utf8;
}

std::string path_readable(const std::string &path) {
    return path_utf8(path);
}

std::string system_error_text(unsigned long error) {
    char *text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<char *>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

bool file_facts(const std::string &path, FileFacts *facts, std::string *reason) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *reason = last_error_text();
        return false;
    }
    HANDLE handle = open_to_query(path);
    if (handle == INVALID_HANDLE_VALUE) {
        *reason = last_error_text();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    bool on_disk =
        GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    *facts = {FileKind::other, 0, 0, {}};
    if (!on_disk)
        return true;
    bool folder = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    facts->kind = !folder                                     ? FileKind::file
                  : attributes & FILE_ATTRIBUTE_REPARSE_POINT ? FileKind::folder_link
                                                              : FileKind::folder;
    facts->size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    facts->modified = unix_time(info.ftLastWriteTime);
    facts->id = {info.dwVolumeSerialNumber,
                 (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return true;
}

bool folder_names(const std::string &folder, std::vector<std::string> *names, std::string *reason,
                  std::set<std::string> *subfolders) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path_joined(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return true; // an empty drive
        *reason = last_error_text();
        return false;
    }
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        names->push_back(name);
        if (subfolders && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            subfolders->insert(name);
    } while (FindNextFileA(search, &found));
    bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    if (!complete)
        *reason = last_error_text();
    FindClose(search);
    return complete;
}

std::string path_unusable(const std::string &path) {
    if (path.size() >= MAX_PATH)
        return "the path is too long for Windows (" + std::to_string(path.size()) +
               " characters, at most " + std::to_string(MAX_PATH - 1) + ")";
    // No Windows name holds a '?': the listing put it for a character the
    // ANSI code page has none for, and no file of that name can be opened.
    if (path.find('?') != std::string::npos)
        return "its name has characters that code page " + std::to_string(GetACP()) +
               " cannot write (shown as ?): it cannot be opened by this name";
    return {};
}

namespace {

bool is_folder(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

bool folders_make_for(const std::string &path, std::string *folder, std::string *reason) {
    *folder = path.substr(0, path_name_start(path));
    while (folder->size() > 1 && (folder->back() == '\\' || folder->back() == '/') &&
           (*folder)[folder->size() - 2] != ':')
        folder->pop_back();
    if (folder->empty() || is_folder(*folder))
        return true;
    DWORD error = 0;
    for (size_t at = folder->find_first_of("/\\", 1);; at = folder->find_first_of("/\\", at + 1)) {
        std::string part = folder->substr(0, at);
        if (!part.empty() && part.back() != ':' && !CreateDirectoryA(part.c_str(), nullptr))
            error = GetLastError();
        if (at == std::string::npos)
            break;
    }
    if (is_folder(*folder))
        return true;
    *reason = "cannot create folder " + *folder + ": " + system_error_text(error);
    return false;
}

RenameResult file_rename(const std::string &from, const std::string &to, bool replace,
                         std::string *error) {
    if (MoveFileExA(from.c_str(), to.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0))
        return RenameResult::renamed;
    DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
        return RenameResult::exists;
    *error = system_error_text(code);
    return RenameResult::failed;
}

time_t stdin_modified() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    FILETIME written{};
    if (GetFileType(input) == FILE_TYPE_DISK && GetFileTime(input, nullptr, nullptr, &written))
        return unix_time(written);
    return time(nullptr);
}

std::string program_folder() {
    char program[MODULE_PATH_SIZE];
    if (!module_file_name(nullptr, program))
        return ".";
    return std::string(program, module_folder_length(program, NoBackslash::NAME_IS_FOLDER));
}

int processor_count() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    int count = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system))
        for (; process; process &= process - 1)
            ++count;
    if (count > 0)
        return count;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

namespace {

bool is_closed(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

} // namespace

bool stdin_was_closed() {
    return is_closed(STD_INPUT_HANDLE);
}

bool stdout_was_closed() {
    return is_closed(STD_OUTPUT_HANDLE);
}

void convert_system_start() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    // cairo's locks on Windows are made on its first use, unguarded: make
    // that use here, before the workers start.
    cairo_surface_destroy(cairo_image_surface_create(CAIRO_FORMAT_A1, 1, 1));
}

unsigned long process_id() {
    return GetCurrentProcessId();
}

bool process_is_running(unsigned long id) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

void end_as_closed_pipe() {
    ExitProcess(1);
}

bool stderr_is_terminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode);
}

bool stdout_is_terminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode);
}

void stderr_write(const std::string &text) {
    DWORD mode = 0;
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    if (!GetConsoleMode(console, &mode)) {
        std::fputs(text.c_str(), stderr);
        return;
    }
    // The console's own code page is the OEM one; paths are ANSI.
    std::wstring wide = wide_from(CP_ACP, text);
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}
