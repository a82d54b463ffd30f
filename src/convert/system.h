// What the converter needs from the operating system beyond standard C++:
// path names, facts about files and folders, making folders and renaming,
// standard input, the program's folder, the number of processors and the
// console. One implementation per system: system_posix.cpp and
// system_win.cpp (paths there are in the ANSI code page, as the command line
// gives them); temporary files are temp_file's.
#pragma once

#include <cstdint>
#include <ctime>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Where the file name starts in `path`: after the last separator ('/', and
// on Windows also '\' or a drive's "C:"); 0 when there is none.
size_t path_name_start(const std::string &path);
// `folder` and `name` with a separator between them where one is needed.
std::string path_joined(const std::string &folder, const std::string &name);
// The path as UTF-8 with nothing lost: bytes that are not UTF-8 kept as
// they are, for a report to escape (on Windows: from the ANSI code page).
std::string path_utf8(const std::string &path);
// The path as UTF-8 for people to read, a document's title and footer: names
// from old archives in the Windows or DOS Cyrillic code page read as such.
std::string path_readable(const std::string &path);

// One file whatever name it is reached by (device or volume, and file number).
using FileId = std::pair<uint64_t, uint64_t>;
enum class FileKind { folder, folder_link, file, other };
struct FileFacts {
    FileKind kind;
    unsigned long long size;
    time_t modified;
    FileId id;
};
// Facts about `path`, following a link to a file; a folder reached through
// a link is `folder_link`. False with `reason` when there is no such file.
bool file_facts(const std::string &path, FileFacts *facts, std::string *reason);
// The names in `folder` but "." and ".."; false with `reason` when it cannot
// be read. `subfolders`, when given, gets those the listing itself says are
// folders (not links to one), for entries too deep to be asked about.
bool folder_names(const std::string &folder, std::vector<std::string> *names, std::string *reason,
                  std::set<std::string> *subfolders = nullptr);
// Why `path` cannot be used on this system at all, or empty: Windows'
// programs in its code page reach no path of MAX_PATH characters or more.
std::string path_unusable(const std::string &path);
// The system's message for an error code (errno, or GetLastError on Windows).
std::string system_error_text(unsigned long error);

// Creates the folders up to the file `path`; `folder` is their path, empty
// when `path` has none. False with `reason` set when one cannot be made.
bool folders_make_for(const std::string &path, std::string *folder, std::string *reason);
enum class RenameResult { renamed, exists, failed };
// Renames `from` to `to`, over an existing file only when `replace`; on
// failure `error` is the system's message.
RenameResult file_rename(const std::string &from, const std::string &to, bool replace,
                         std::string *error);

// When standard input was last changed if it is a file on a disk, else now.
time_t stdin_modified();

// The folder the running program is in.
std::string program_folder();
// The number of processors this process may run on.
int processor_count();
// This process's number, and whether the process with number `id` runs.
unsigned long process_id();
bool process_is_running(unsigned long id);

// Call first in main: standard input and output carry bytes unchanged, a
// closed one is noted (and kept closed to files the program opens), and
// what the libraries must set up before threads use them is set up.
void convert_system_start();
// Whether the program was started with standard input, or output, closed.
bool stdin_was_closed();
bool stdout_was_closed();
// Ends the program as a filter ends whose reader has closed the pipe:
// quietly (on POSIX systems by SIGPIPE).
[[noreturn]] void end_as_closed_pipe();
// True when standard error, or output, is a terminal (a console window),
// not a file or pipe.
bool stderr_is_terminal();
bool stdout_is_terminal();
// Writes `text` to standard error; on a console in its own characters.
void stderr_write(const std::string &text);
