#include "convert/output_file.h"

#include "convert/output_file_registry.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

mode_t file_mode = 0644; // 0666 less the umask, taken at start

constexpr size_t STREAM_BUFFER_SIZE = 256 * 1024;

sigset_t guarded_signals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

// mkstemp's template beside `path`: ".<name>.XXXXXX", hidden and without
// an input's extension, so a later folder scan never takes it. A name near
// the system's limit of 255 bytes gets a short one.
std::string temp_template(const std::string &path) {
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + (name.size() > 200 ? "korvel-convert" : name) + ".XXXXXX";
}

// mkstemp under the registry lock: a signal handled meanwhile cannot miss the file.
int create_registered(std::string *path) {
    std::vector<char> name(path->begin(), path->end());
    name.push_back('\0');
    std::lock_guard hold(temp_registry_lock);
    int descriptor = mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    fchmod(descriptor, file_mode);
    *path = name.data();
    temp_registry.push_back(*path);
    return descriptor;
}

std::string error_text(int error) {
    return std::strerror(error);
}

// Renames without replacing: renameat2 where the file system has it, else a
// hard link, which fails the same way when the name is taken.
int rename_no_replace(const char *from, const char *to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    if (link(from, to) != 0)
        return -1;
    unlink(from);
    return 0;
}

} // namespace

void output_files_guard_signals(void (*on_signal)()) {
    mode_t mask = umask(0);
    umask(mask);
    file_mode = 0666 & ~mask;
    // A closed pipe on standard output is a write error to report, not death.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t set = guarded_signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([on_signal, set] {
        int signal_number = 0;
        while (sigwait(&set, &signal_number) != 0) {
        }
        if (on_signal)
            on_signal();
        // Hold the lock to the end: no worker can register another file.
        temp_registry_lock.lock();
        for (const std::string &path : temp_registry)
            unlink(path.c_str());
        std::signal(signal_number, SIG_DFL);
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        raise(signal_number);
        _exit(128 + signal_number);
    }).detach();
}

bool output_file_open(OutputFile *file, const std::string &path, std::string *reason) {
    file->path = path;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            *reason = "cannot create folder " + folder.string() + ": " + error.message();
            return false;
        }
    }
    std::string temp = temp_template(path);
    int descriptor = create_registered(&temp);
    if (descriptor < 0) {
        *reason = "cannot write in " + (folder.empty() ? std::string(".") : folder.string()) +
                  ": " + error_text(errno);
        return false;
    }
    file->temp_path = temp;
    file->stream = fdopen(descriptor, "wb");
    if (!file->stream) {
        *reason = error_text(errno);
        close(descriptor);
        output_file_discard(file);
        return false;
    }
    setvbuf(file->stream, nullptr, _IOFBF, STREAM_BUFFER_SIZE);
    return true;
}

bool output_file_rename(const OutputFile &file, bool replace, std::string *reason) {
    const char *temp = file.temp_path.c_str();
    if ((replace ? std::rename(temp, file.path.c_str())
                 : rename_no_replace(temp, file.path.c_str())) == 0)
        return true;
    *reason = errno == EEXIST ? file.path + " exists (--force replaces it)"
                              : "cannot write " + file.path + ": " + error_text(errno);
    return false;
}

bool temp_file_create(std::string *path, int *descriptor, std::string *reason) {
    const char *folder = std::getenv("TMPDIR");
    *path = std::string(folder && *folder ? folder : "/tmp") + "/korvel-convert.XXXXXX";
    *descriptor = create_registered(path);
    if (*descriptor >= 0)
        return true;
    *reason = "cannot create a temporary file: " + error_text(errno);
    return false;
}
