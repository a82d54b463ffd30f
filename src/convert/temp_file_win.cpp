#include "convert/temp_file.h"

#include "convert/system.h"
#include "convert/temp_file_registry.h"

#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

void (*interrupted)() = nullptr;

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
bool create_registered(const std::string &path, TempFile *file, std::string *error_text) {
    static unsigned counter = GetCurrentProcessId() * 7919u + GetTickCount();
    std::lock_guard hold(temp_registry_lock);
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temp_name(path, counter++ * 2654435761u);
        HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            break;
        }
        int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
        file->stream = descriptor < 0 ? nullptr : _fdopen(descriptor, "w+b");
        if (!file->stream) {
            error = ERROR_NOT_ENOUGH_MEMORY;
            descriptor < 0 ? CloseHandle(handle) : _close(descriptor);
            DeleteFileA(name.c_str());
            break;
        }
        temp_registry.push_back(name);
        file->path = name;
        return true;
    }
    *error_text = system_error_text(error);
    return false;
}

} // namespace

void temp_files_guard_signals(void (*on_signal)()) {
    interrupted = on_signal;
    SetConsoleCtrlHandler(on_console_control, TRUE);
}

bool temp_file_create_beside(const std::string &path, TempFile *file, std::string *error) {
    return create_registered(path, file, error);
}

bool temp_folder(std::string *folder, std::string *reason) {
    char path[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof path, path);
    if (length == 0 || length > MAX_PATH) {
        *reason = "cannot create a temporary file: no temporary folder";
        return false;
    }
    *folder = std::string(path, length);
    return true;
}

bool temp_file_create_in(const std::string &folder, const std::string &name_start, TempFile *file,
                         std::string *error) {
    return create_registered(path_joined(folder, name_start), file, error);
}
