#include "convert/document.h"

#include "convert/sha256.h"
#include "convert/system.h"
#include "convert/temp_file.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr size_t COPY_BLOCK_SIZE = 256 * 1024;

std::string document_limit() {
    return std::to_string(LINES_MEMORY_LIMIT >> 20) + " MB";
}

// Copies standard input up to the most a document's lines may take: past
// that it could not be loaded whole, and an endless input would fill the disk.
bool copy_stdin(std::FILE *to, std::string *reason) {
    std::vector<char> buffer(COPY_BLOCK_SIZE);
    for (size_t copied = 0;;) {
        errno = 0;
        size_t got = std::fread(buffer.data(), 1, buffer.size(), stdin);
        if (got > 0 && std::fwrite(buffer.data(), 1, got, to) != got) {
            *reason = std::string("cannot hold standard input: ") + std::strerror(errno);
            return false;
        }
        copied += got;
        if (copied > LINES_MEMORY_LIMIT) {
            *reason = "longer than a document may be (" + document_limit() + ")";
            return false;
        }
        if (got == buffer.size())
            continue;
        if (!std::ferror(stdin))
            break;
        *reason = std::string("cannot read: ") + std::strerror(errno);
        return false;
    }
    if (std::fflush(to) == 0 && !std::ferror(to))
        return true;
    *reason = std::string("cannot hold standard input: ") + std::strerror(errno);
    return false;
}

// Standard input is copied to a temporary file first; it is removed as
// soon as the lines are in memory.
int load_stdin(LoadedDocument *document, std::string *reason) {
    if (stdin_was_closed()) {
        *reason = "cannot read: it is closed";
        return LINES_LOAD_FAILED;
    }
    document->modified = stdin_modified();
    TempFile copy;
    if (!temp_file_create_for_stdin(&copy, reason))
        return LINES_LOAD_FAILED;
    bool copied = copy_stdin(copy.stream, reason);
    std::fclose(copy.stream);
    int result = copied ? lines_load(&document->lines, copy.path.c_str()) : LINES_LOAD_FAILED;
    FileFacts facts{};
    if (result == LINES_LOAD_OK && file_facts(copy.path, &facts, reason))
        document->stdin_size = static_cast<long long>(facts.size);
    if (result == LINES_LOAD_OK && document->take_stdin_digest &&
        !file_sha256(copy.path, &document->stdin_sha256, reason))
        result = LINES_LOAD_READ_ERROR;
    temp_file_remove(copy.path);
    if (copied && result == LINES_LOAD_FAILED)
        *reason = "cannot read the copy of standard input";
    return result;
}

int load_file(const ConvertJob &job, LoadedDocument *document, std::string *reason) {
    document->modified = job.modified;
    LinesRefusal refusal;
    int result = lines_load_explained(&document->lines, job.input.c_str(), &refusal);
    if (result == LINES_LOAD_FAILED)
        *reason = refusal.not_a_file ? "not a file on a disk"
                                     : "cannot open: " + system_error_text(refusal.system_error);
    return result;
}

} // namespace

bool document_load(const ConvertJob &job, LoadedDocument *document, std::string *reason) {
    int result = job.from_stdin ? load_stdin(document, reason) : load_file(job, document, reason);
    if (result == LINES_LOAD_READ_ERROR)
        *reason = "could not be read completely: a read error";
    if (result == LINES_LOAD_NO_MEMORY)
        *reason = "could not be read completely: out of memory (its lines may take up to " +
                  document_limit() + ")";
    return result == LINES_LOAD_OK;
}
