#include "convert/system.h"

#include "text/cp866_unicode.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <iconv.h>
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

namespace {

bool is_utf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        size_t start = at;
        if (utf8_decode(text, at) == 0xFFFD && text.compare(start, 3, "\xEF\xBF\xBD") != 0)
            return false;
    }
    return true;
}

std::string from_cp866(std::string_view bytes) {
    std::string utf8;
    for (unsigned char byte : bytes) {
        const Utf8Char &character = cp866_glyph_utf8(byte);
        if (byte < 0x80)
            utf8 += static_cast<char>(byte);
        else
            utf8.append(character.bytes, character.length);
    }
    return utf8;
}

// iconv's CP1251, byte by byte; a byte it has no character for becomes U+FFFD.
std::string from_cp1251(std::string_view bytes) {
    iconv_t convert = iconv_open("UTF-8", "CP1251");
    bool usable = convert != reinterpret_cast<iconv_t>(-1);
    std::string utf8;
    for (char byte : bytes) {
        char out[4];
        char *in = &byte;
        char *put = out;
        size_t in_left = 1;
        size_t out_left = sizeof out;
        if (usable && iconv(convert, &in, &in_left, &put, &out_left) != static_cast<size_t>(-1))
            utf8.append(out, static_cast<size_t>(put - out));
        else
            utf8 += "\xEF\xBF\xBD";
    }
    if (usable)
        iconv_close(convert);
    return utf8;
}

int russian_letters(std::string_view utf8) {
    int count = 0;
    for (size_t at = 0; at < utf8.size();) {
        char32_t character = utf8_decode(utf8, at);
        count +=
            (character >= 0x410 && character <= 0x44F) || character == 0x401 || character == 0x451;
    }
    return count;
}

} // namespace

std::string path_utf8(const std::string &path) {
    return path;
}

// Names that are not UTF-8 come from old archives, in the Windows or the DOS
// Cyrillic code page: they are read in the one that gives more Russian
// letters, the Windows one when both give as many.
std::string path_readable(const std::string &path) {
    if (is_utf8(path))
        return path;
    std::string windows = from_cp1251(path);
    std::string dos = from_cp866(path);
    return russian_letters(dos) > russian_letters(windows) ? dos : windows;
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

bool folder_names(const std::string &folder, std::vector<std::string> *names, std::string *reason,
                  std::set<std::string> *subfolders) {
    DIR *listing = opendir(folder.c_str());
    if (!listing) {
        *reason = std::strerror(errno);
        return false;
    }
    while (dirent *entry = readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        names->emplace_back(entry->d_name);
        if (subfolders && entry->d_type == DT_DIR)
            subfolders->insert(entry->d_name);
    }
    closedir(listing);
    return true;
}

std::string path_unusable(const std::string &) {
    return {}; // the system says so itself (ENAMETOOLONG)
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

namespace {

bool closed_at_start[3];

} // namespace

void convert_system_start() {
    // A closed standard stream's number would go to the next file opened,
    // and reading standard input would read that file: /dev/null holds it.
    for (int stream = 0; stream < 3; ++stream)
        if (fcntl(stream, F_GETFD) == -1 && errno == EBADF) {
            closed_at_start[stream] = true;
            open("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY);
        }
}

bool stdin_was_closed() {
    return closed_at_start[STDIN_FILENO];
}

bool stdout_was_closed() {
    return closed_at_start[STDOUT_FILENO];
}

unsigned long process_id() {
    return static_cast<unsigned long>(getpid());
}

bool process_is_running(unsigned long id) {
    // EPERM: it runs, as another user.
    return id > 0 && id <= static_cast<unsigned long>(INT32_MAX) &&
           (kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM);
}

void end_as_closed_pipe() {
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(SIGPIPE);
    _exit(128 + SIGPIPE);
}

bool stderr_is_terminal() {
    return isatty(STDERR_FILENO);
}

bool stdout_is_terminal() {
    return isatty(STDOUT_FILENO);
}

void stderr_write(const std::string &text) {
    std::fputs(text.c_str(), stderr);
}
