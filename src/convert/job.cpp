#include "convert/job.h"

#include "convert/document.h"
#include "convert/output_file.h"
#include "convert/system.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

std::string error_text(int error) {
    return error ? std::strerror(error) : "write error";
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

bool write_pages(const JobSettings &settings, const ConvertJob &job, const LineNode *first,
                 const DocumentNames &names, ConvertProgress *progress, std::string *reason) {
    PageFiles pages{&job, {}, {}};
    PngPageOutput output{begin_page, end_page, &pages};
    bool ok = settings.format->write_pages(first, names, settings.writer, output, progress) == 0;
    size_t renamed = 0;
    while (ok && renamed < pages.files.size()) {
        ok = output_file_commit(&pages.files[renamed], settings.replace, &pages.reason);
        renamed += ok;
    }
    if (!ok) {
        for (size_t n = 0; n < pages.files.size(); ++n)
            if (n < renamed)
                std::remove(pages.files[n].path.c_str());
            else
                output_file_discard(&pages.files[n]);
        *reason = pages.reason.empty() ? "cannot write the pages" : pages.reason;
    }
    return ok;
}

bool write_to_stdout(const JobSettings &settings, const LineNode *first, const DocumentNames &names,
                     ConvertProgress *progress, std::string *reason) {
    errno = 0;
    int written = settings.format->write_file(first, names, settings.writer, stdout, progress);
    if (std::fflush(stdout) == 0 && written == 0 && !std::ferror(stdout))
        return true;
    *reason = "cannot write to standard output: " + error_text(errno);
    return false;
}

bool write_file(const JobSettings &settings, const ConvertJob &job, const LineNode *first,
                const DocumentNames &names, ConvertProgress *progress, std::string *reason) {
    OutputFile file;
    if (!output_file_open(&file, job.output, reason))
        return false;
    errno = 0;
    if (settings.format->write_file(first, names, settings.writer, file.temp.stream, progress) !=
        0) {
        *reason = "cannot write " + job.output + ": " + error_text(errno);
        output_file_discard(&file);
        return false;
    }
    return output_file_commit(&file, settings.replace, reason);
}

} // namespace

bool convert_job_run(const JobSettings &settings, const ConvertJob &job, ConvertProgress *progress,
                     std::string *reason) {
    LoadedDocument document;
    if (!document_load(job, &document, reason))
        return false;
    std::string footer = job.from_stdin ? STDIN_DOCUMENT_NAME : path_utf8(job.input);
    std::string title = footer.substr(path_name_start(footer));
    DocumentNames names{title.c_str(), footer.c_str(), document.modified};
    if (settings.format->write_pages)
        return write_pages(settings, job, document.lines, names, progress, reason);
    if (job.to_stdout)
        return write_to_stdout(settings, document.lines, names, progress, reason);
    return write_file(settings, job, document.lines, names, progress, reason);
}
