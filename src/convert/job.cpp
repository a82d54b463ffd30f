#include "convert/job.h"

#include "convert/document.h"
#include "convert/output_file.h"
#include "convert/system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

std::string error_text(int error) {
    return error ? std::strerror(error) : "write error";
}

// Why a writer failed: what it said, or else the system's error.
std::string write_failure(const std::string &failure) {
    return failure.empty() ? error_text(errno) : failure;
}

// Pages go to temporary files and are renamed into place only when every
// page is written, so a failure leaves none of the document's pages behind.
struct PageFiles {
    const ConvertJob *job;
    std::vector<OutputFile> files;
    std::string reason;
};

FILE *begin_page(void *context, int page, int) {
    auto *pages = static_cast<PageFiles *>(context);
    OutputFile file;
    if (!output_file_open(&file, output_page_path(pages->job->output, page), &pages->reason))
        return nullptr;
    pages->files.push_back(file);
    return file.temp.stream;
}

int end_page(void *context, FILE *, bool ok) {
    auto *pages = static_cast<PageFiles *>(context);
    OutputFile &file = pages->files.back();
    if (!ok) {
        pages->reason = "cannot write " + file.path + ": " + error_text(errno);
        return -1;
    }
    return output_file_close(&file, &pages->reason) ? 0 : -1;
}

// Removes the pages of the job's page set that were there before and are
// not among `files`; false with `reason` set when one cannot be removed.
bool remove_earlier_pages(const ConvertJob &job, const std::vector<OutputFile> &files,
                          std::string *reason) {
    for (const std::string &earlier : job.earlier_pages) {
        bool rewritten = std::any_of(files.begin(), files.end(),
                                     [&](const OutputFile &file) { return file.path == earlier; });
        if (!rewritten && std::remove(earlier.c_str()) != 0 && errno != ENOENT) {
            *reason = "cannot remove the earlier page " + earlier + ": " + error_text(errno);
            return false;
        }
    }
    return true;
}

bool write_pages(const JobSettings &settings, const ConvertJob &job, const LineNode *first,
                 const DocumentNames &names, ConvertProgress *progress,
                 std::vector<std::string> *written, std::string *reason) {
    PageFiles pages{&job, {}, {}};
    PngPageOutput output{begin_page, end_page, &pages};
    bool ok = settings.format->write_pages(first, names, settings.writer, output, progress) == 0;
    // The first page goes into place last: --update takes a page set whose
    // first page is there as complete. Before it, an earlier and longer
    // conversion's last pages go, so the set is replaced whole.
    size_t pending = pages.files.size();
    while (ok && pending > 0) {
        if (pending == 1)
            ok = remove_earlier_pages(job, pages.files, &pages.reason);
        ok = ok && output_file_commit(&pages.files[pending - 1], settings.replace, &pages.reason);
        pending -= ok;
    }
    if (!ok) {
        for (size_t n = 0; n < pages.files.size(); ++n)
            if (n >= pending)
                std::remove(pages.files[n].path.c_str());
            else
                output_file_discard(&pages.files[n]);
        *reason = pages.reason.empty() ? "cannot write the pages" : pages.reason;
        return false;
    }
    for (const OutputFile &file : pages.files)
        written->push_back(file.path);
    return true;
}

bool write_to_stdout(const JobSettings &settings, const LineNode *first, const DocumentNames &names,
                     ConvertProgress *progress, std::string *reason) {
    if (stdout_was_closed()) {
        *reason = "cannot write to standard output: it is closed";
        return false;
    }
    errno = 0;
    std::string failure;
    int written =
        settings.format->write_file(first, names, settings.writer, stdout, progress, &failure);
    if (std::fflush(stdout) == 0 && written == 0 && !std::ferror(stdout))
        return true;
    // The reader has gone (`| head`): the rest is not wanted.
    if (errno == EPIPE)
        end_as_closed_pipe();
    *reason = "cannot write to standard output: " + write_failure(failure);
    return false;
}

bool write_file(const JobSettings &settings, const ConvertJob &job, const LineNode *first,
                const DocumentNames &names, ConvertProgress *progress, std::string *reason) {
    OutputFile file;
    if (!output_file_open(&file, job.output, reason))
        return false;
    errno = 0;
    std::string failure;
    if (settings.format->write_file(first, names, settings.writer, file.temp.stream, progress,
                                    &failure) != 0) {
        *reason = "cannot write " + job.output + ": " + write_failure(failure);
        output_file_discard(&file);
        return false;
    }
    return output_file_commit(&file, settings.replace, reason);
}

} // namespace

bool convert_job_run(const JobSettings &settings, const ConvertJob &job, ConvertProgress *progress,
                     ConvertJobResult *result, std::string *reason) {
    LoadedDocument document;
    document.take_stdin_digest = settings.stdin_digest;
    if (!document_load(job, &document, reason))
        return false;
    result->stdin_size = document.stdin_size;
    result->stdin_sha256 = document.stdin_sha256;
    result->lines = lines_count(&document.lines);
    if (settings.format->needs_fonts)
        result->pages = document_page_count(settings.writer.page, result->lines);
    std::string footer = job.from_stdin ? STDIN_DOCUMENT_NAME : path_readable(job.input);
    std::string title = footer.substr(path_name_start(footer));
    DocumentNames names{title.c_str(), footer.c_str(), document.modified};
    if (settings.format->write_pages)
        return write_pages(settings, job, document.lines, names, progress, &result->outputs,
                           reason);
    bool written = job.to_stdout
                       ? write_to_stdout(settings, document.lines, names, progress, reason)
                       : write_file(settings, job, document.lines, names, progress, reason);
    if (written)
        result->outputs.push_back(job.to_stdout ? STANDARD_STREAM_NAME : job.output);
    return written;
}
