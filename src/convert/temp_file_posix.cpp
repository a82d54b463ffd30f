#include "convert/temp_file.h"

#include "convert/system.h"
#include "convert/temp_file_registry.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

mode_t file_mode = 0644; // 0666 less the umask, taken at start

sigset_t guarded_signals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGQUIT);
    return set;
}

// mkstemp under the registry lock: a signal handled meanwhile cannot miss
// the file. `path` is the template; it becomes the file's name.
bool create_registered(std::string *path, TempFile *file, std::string *error) {
    std::vector<char> name(path->begin(), path->end());
    name.push_back('\0');
    std::lock_guard hold(temp_registry_lock);
    int descriptor = mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) {
        *error = std::strerror(errno);
        return false;
    }
    fchmod(descriptor, file_mode);
    file->stream = fdopen(descriptor, "w+b");
    if (!file->stream) {
        *error = std::strerror(errno);
        close(descriptor);
        unlink(name.data());
        return false;
    }
    file->path = name.data();
    temp_registry.push_back(file->path);
    return true;
}

} // namespace

void temp_files_guard_signals(void (*on_signal)()) {
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

// ".<name>.XXXXXX" beside `path`: hidden and without an input's extension,
// so a later folder scan never takes it. A name near the system's limit of
// 255 bytes gets a short one.
bool temp_file_create_beside(const std::string &path, TempFile *file, std::string *error) {
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "." + (name.size() > 200 ? "korvel-convert" : name) + ".XXXXXX";
    return create_registered(&temp, file, error);
}

bool temp_folder(std::string *folder, std::string *) {
    const char *named = std::getenv("TMPDIR");
    *folder = named && *named ? named : "/tmp";
    return true;
}

bool temp_file_create_in(const std::string &folder, const std::string &name_start, TempFile *file,
                         std::string *error) {
    std::string temp = path_joined(folder, name_start + ".XXXXXX");
    return create_registered(&temp, file, error);
}
