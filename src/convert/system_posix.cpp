#include "convert/system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

std::string system_error_text(unsigned long error) {
    return std::strerror(static_cast<int>(error));
}

bool folders_make_for(const std::string &path, std::string *folder, std::string *reason) {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    *folder = parent.string();
    std::error_code error;
    if (parent.empty() || std::filesystem::is_directory(parent, error))
        return true;
    std::filesystem::create_directories(parent, error);
    if (!error)
        return true;
    *reason = "cannot create folder " + *folder + ": " + error.message();
    return false;
}

namespace {

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

RenameResult file_rename(const std::string &from, const std::string &to, bool replace,
                         std::string *error) {
    if ((replace ? std::rename(from.c_str(), to.c_str())
                 : rename_no_replace(from.c_str(), to.c_str())) == 0)
        return RenameResult::renamed;
    if (errno == EEXIST)
        return RenameResult::exists;
    *error = std::strerror(errno);
    return RenameResult::failed;
}

time_t stdin_modified() {
    struct stat status {};
    bool regular = fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode);
    return regular ? status.st_mtime : time(nullptr);
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
