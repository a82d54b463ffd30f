#include "convert/system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

const char PATH_SEPARATOR = '/';

size_t path_name_start(const std::string &path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string path_joined(const std::string &folder, const std::string &name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string path_utf8(const std::string &path) {
    return path;
}

bool file_facts(const std::string &path, FileFacts *facts, std::string *reason) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    bool link = S_ISLNK(status.st_mode);
    if (link && stat(path.c_str(), &status) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    FileKind kind = S_ISREG(status.st_mode)    ? FileKind::file
                    : !S_ISDIR(status.st_mode) ? FileKind::other
                    : link                     ? FileKind::folder_link
                                               : FileKind::folder;
    *facts = {kind,
              static_cast<unsigned long long>(status.st_size),
              status.st_mtime,
              {status.st_dev, status.st_ino}};
    return true;
}

bool folder_names(const std::string &folder, std::vector<std::string> *names, std::string *reason) {
    DIR *listing = opendir(folder.c_str());
    if (!listing) {
        *reason = std::strerror(errno);
        return false;
    }
    while (dirent *entry = readdir(listing))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names->emplace_back(entry->d_name);
    closedir(listing);
    return true;
}

std::string file_open_failure(const std::string &path) {
    int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return std::string("cannot open: ") + std::strerror(errno);
    struct stat status {};
    bool regular = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    close(descriptor);
    return regular ? "cannot open" : "not a file on a disk";
}

std::string program_folder() {
    std::vector<char> path(4096);
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size())
        return ".";
    std::string program(path.data(), static_cast<size_t>(length));
    return program.substr(0, program.find_last_of('/'));
}

int processor_count() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    unsigned count = std::thread::hardware_concurrency();
    return count ? static_cast<int>(count) : 1;
}

void convert_system_start() {}

bool stderr_is_terminal() {
    return isatty(STDERR_FILENO);
}

void stderr_write(const std::string &text) {
    std::fputs(text.c_str(), stderr);
}
