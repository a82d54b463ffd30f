#include "convert/output_file.h"

#include "convert/system.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr size_t STREAM_BUFFER_SIZE = 256 * 1024;

} // namespace

std::string output_exists_reason(const std::string &path) {
    return path + " exists (--force replaces it)";
}

bool output_file_open(OutputFile *file, const std::string &path, std::string *reason) {
    file->path = path;
    std::string folder;
    if (!folders_make_for(path, &folder, reason))
        return false;
    std::string error;
    if (!temp_file_create_beside(path, &file->temp, &error)) {
        *reason = "cannot write in " + (folder.empty() ? std::string(".") : folder) + ": " + error;
        return false;
    }
    setvbuf(file->temp.stream, nullptr, _IOFBF, STREAM_BUFFER_SIZE);
    return true;
}

bool output_file_close(OutputFile *file, std::string *reason) {
    std::FILE *stream = file->temp.stream;
    errno = 0;
    bool written = std::fflush(stream) == 0 && !std::ferror(stream);
    int error = written ? 0 : errno;
    if (std::fclose(stream) != 0 && written) {
        written = false;
        error = errno;
    }
    file->temp.stream = nullptr;
    if (!written)
        *reason = "cannot write " + file->path + ": " + std::strerror(error ? error : EIO);
    return written;
}

void output_file_discard(OutputFile *file) {
    if (file->temp.stream)
        std::fclose(file->temp.stream);
    file->temp.stream = nullptr;
    if (file->temp.path.empty())
        return;
    temp_file_remove(file->temp.path);
    file->temp.path.clear();
}

bool output_file_commit(OutputFile *file, bool replace, std::string *reason) {
    if (file->temp.stream && !output_file_close(file, reason)) {
        output_file_discard(file);
        return false;
    }
    std::string error;
    switch (file_rename(file->temp.path, file->path, replace, &error)) {
    case RenameResult::renamed:
        temp_file_forget(file->temp.path);
        file->temp.path.clear();
        return true;
    case RenameResult::exists:
        *reason = output_exists_reason(file->path);
        break;
    case RenameResult::failed:
        *reason = "cannot write " + file->path + ": " + error;
        break;
    }
    output_file_discard(file);
    return false;
}
