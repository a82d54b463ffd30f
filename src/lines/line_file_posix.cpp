#include "line_file.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

struct LineFile {
    int descriptor;
    unsigned long long size;
};

LineFile *line_file_open(const char *path, LinesRefusal *refusal) {
    *refusal = {false, ENOENT};
    if (!path || !*path)
        return nullptr;
    // O_NONBLOCK: opening a FIFO must not wait for a writer; only regular
    // files are documents, as on Windows (a FIFO or a terminal could wait for
    // input for ever). Reads of a regular file ignore the flag.
    int descriptor = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        refusal->system_error = static_cast<unsigned long>(errno);
        return nullptr;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        *refusal = {true, 0};
        close(descriptor);
        return nullptr;
    }
    auto *file =
        new (std::nothrow) LineFile{descriptor, static_cast<unsigned long long>(status.st_size)};
    if (!file) {
        refusal->system_error = ENOMEM;
        close(descriptor);
    }
    return file;
}

long line_file_read(LineFile *file, char *buffer, size_t capacity) {
    for (;;) {
        ssize_t got = read(file->descriptor, buffer, capacity);
        if (got >= 0)
            return static_cast<long>(got);
        if (errno != EINTR)
            return -1;
    }
}

unsigned long long line_file_size(const LineFile *file) {
    return file->size;
}

void line_file_close(LineFile *file) {
    close(file->descriptor);
    delete file;
}
