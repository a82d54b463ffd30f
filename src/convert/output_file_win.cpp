#include "convert/output_file.h"

#include "convert/system.h"
#include "convert/output_file_registry.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <mutex>
#include <vector>
#include <windows.h>

namespace {

void (*interrupted)() = nullptr;

constexpr size_t STREAM_BUFFER_SIZE = 256 * 1024;
// What Windows reports for a program ended by Ctrl+C.
constexpr UINT EXIT_INTERRUPTED = 0xC000013A;

BOOL WINAPI on_console_control(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    if (interrupted)
        interrupted();
    // Hold the lock to the end: no worker can register another file.
    temp_registry_lock.lock();
    for (const std::string &path : temp_registry)
        DeleteFileA(path.c_str());
    ExitProcess(EXIT_INTERRUPTED);
}

// A fresh name for each try: "<name>.<number>.tmp" beside `path`, whose
// extension a later folder scan never takes; a short one where a long name
// would pass the system's path limit.
std::string temp_name(const std::string &path, unsigned number) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%06x.tmp", number & 0xFFFFFF);
    if (path.size() + std::strlen(suffix) < MAX_PATH)
        return path + suffix;
    return path.substr(0, path_name_start(path)) + "korvel-convert" + suffix;
}

// Creates a new file under the registry lock (an interrupt meanwhile
// cannot miss it); the stream owns the handle.
std::FILE *create_registered(const std::string &path, std::string *created, DWORD *error) {
    static unsigned counter = GetCurrentProcessId() * 7919u + GetTickCount();
    std::lock_guard hold(temp_registry_lock);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temp_name(path, counter++ * 2654435761u);
        HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            *error = GetLastError();
            if (*error == ERROR_FILE_EXISTS || *error == ERROR_ALREADY_EXISTS)
                continue;
            return nullptr;
        }
        int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
        std::FILE *stream = descriptor < 0 ? nullptr : _fdopen(descriptor, "w+b");
        if (!stream) {
            *error = ERROR_NOT_ENOUGH_MEMORY;
            descriptor < 0 ? CloseHandle(handle) : _close(descriptor);
            DeleteFileA(name.c_str());
            return nullptr;
        }
        temp_registry.push_back(name);
        *created = name;
        return stream;
    }
    return nullptr;
}

// Creates every missing folder of `folder`; false with `reason` when it is
// not a folder afterwards.
bool make_folders(const std::string &folder, std::string *reason) {
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    DWORD error = 0;
    for (size_t at = folder.find_first_of("/\\", 1);; at = folder.find_first_of("/\\", at + 1)) {
        std::string part = folder.substr(0, at);
        if (!part.empty() && part.back() != ':' && !CreateDirectoryA(part.c_str(), nullptr))
            error = GetLastError();
        if (at == std::string::npos)
            break;
    }
    attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    *reason = "cannot create folder " + folder + ": " + windows_error_text(error);
    return false;
}

} // namespace

void output_files_guard_signals(void (*on_signal)()) {
    interrupted = on_signal;
    SetConsoleCtrlHandler(on_console_control, TRUE);
}

bool output_file_open(OutputFile *file, const std::string &path, std::string *reason) {
    file->path = path;
    std::string folder = path.substr(0, path_name_start(path));
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
           folder[folder.size() - 2] != ':')
        folder.pop_back();
    if (!folder.empty() && !make_folders(folder, reason))
        return false;
    DWORD error = 0;
    file->stream = create_registered(path, &file->temp_path, &error);
    if (!file->stream) {
        *reason = "cannot write in " + (folder.empty() ? std::string(".") : folder) + ": " +
                  windows_error_text(error);
        return false;
    }
    setvbuf(file->stream, nullptr, _IOFBF, STREAM_BUFFER_SIZE);
    return true;
}

bool output_file_rename(const OutputFile &file, bool replace, std::string *reason) {
    if (MoveFileExA(file.temp_path.c_str(), file.path.c_str(),
                    replace ? MOVEFILE_REPLACE_EXISTING : 0))
        return true;
    DWORD error = GetLastError();
    *reason = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS
                  ? file.path + " exists (--force replaces it)"
                  : "cannot write " + file.path + ": " + windows_error_text(error);
    return false;
}

bool temp_file_create(std::string *path, int *descriptor, std::string *reason) {
    char folder[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH) {
        *reason = "cannot create a temporary file: no temporary folder";
        return false;
    }
    std::FILE *stream = nullptr;
    DWORD error = 0;
    std::string stem = std::string(folder) + "korvel-convert";
    stream = create_registered(stem, path, &error);
    if (!stream) {
        *reason = "cannot create a temporary file: " + windows_error_text(error);
        return false;
    }
    *descriptor = _dup(_fileno(stream));
    std::fclose(stream);
    if (*descriptor >= 0)
        return true;
    *reason = std::string("cannot create a temporary file: ") + std::strerror(errno);
    temp_file_remove(*path);
    return false;
}
