#include "convert/job.h"

#include "convert/sha256.h"
#include "convert/system.h"
#include "convert/up_to_date.h"
#include "convert/writers/html_writer.h"
#include "lines/lines.h"
#include "convert/output_file.h"
#include "convert/writers/text_writer.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Standard input has no name; its outputs and pages show this one.
constexpr char STDIN_NAME[] = "stdin";

struct LoadedDocument {
    LineList lines = lines_new();
    time_t modified = 0;
    ~LoadedDocument() { lines_free(&lines); }
};

std::string error_text(int error) {
    return error ? std::strerror(error) : "write error";
}

bool copy_all(int from, int to, std::string *reason) {
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        ssize_t got = read(from, buffer.data(), buffer.size());
        if (got == 0)
            return true;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            *reason = std::string("cannot read standard input: ") + std::strerror(errno);
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(to, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0) {
                *reason = std::string("cannot hold standard input: ") + std::strerror(errno);
                return false;
            }
            done += put;
        }
    }
}

// The loader reads files on a disk only, so standard input goes through a
// temporary file first; it is removed as soon as the lines are in memory.
int load_stdin(const ConvertSettings &settings, LoadedDocument *document, ConvertJobResult *result,
               std::string *reason) {
    struct stat status {};
    bool regular = fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode);
    document->modified = regular ? status.st_mtime : time(nullptr);
    std::string path;
    int descriptor = -1;
    if (!temp_file_create(&path, &descriptor, reason))
        return LINES_LOAD_FAILED;
    bool copied = copy_all(STDIN_FILENO, descriptor, reason);
    close(descriptor);
    int loaded = copied ? lines_load(&document->lines, path.c_str()) : LINES_LOAD_FAILED;
    FileFacts copy{};
    if (loaded == LINES_LOAD_OK && file_facts(path, &copy, reason))
        result->stdin_size = static_cast<long long>(copy.size);
    if (loaded == LINES_LOAD_OK && !settings.options->report.empty() &&
        !file_sha256(path, &result->stdin_sha256, reason))
        loaded = LINES_LOAD_READ_ERROR;
    temp_file_remove(path);
    if (copied && loaded == LINES_LOAD_FAILED)
        *reason = "cannot read the copy of standard input";
    return loaded;
}

bool load(const ConvertSettings &settings, const ConvertJob &job, LoadedDocument *document,
          ConvertJobResult *job_result, std::string *reason) {
    int result = LINES_LOAD_FAILED;
    if (job.input == "-") {
        result = load_stdin(settings, document, job_result, reason);
    } else {
        document->modified = job.modified;
        result = lines_load(&document->lines, job.input.c_str());
        if (result == LINES_LOAD_FAILED)
            *reason = file_open_failure(job.input);
    }
    if (result == LINES_LOAD_READ_ERROR)
        *reason = "could not be read completely: a read error";
    if (result == LINES_LOAD_NO_MEMORY)
        *reason = "could not be read completely: out of memory (its lines may take up to " +
                  std::to_string(LINES_MEMORY_LIMIT >> 20) + " MB)";
    return result == LINES_LOAD_OK;
}

// An output that exists is replaced with --force, and with --update, which
// plans a conversion only where the output is missing or older.
bool replace_outputs(const ConvertSettings &settings) {
    return settings.options->force || settings.options->update;
}

// Refuses an output over an input, and over an existing file without --force.
bool output_allowed(const ConvertSettings &settings, const std::string &path, std::string *reason) {
    if (convert_plan_is_input(*settings.plan, path)) {
        *reason = "its output " + path + " would replace an input";
        return false;
    }
    if (!replace_outputs(settings) && access(path.c_str(), F_OK) == 0) {
        *reason = path + " exists (--force replaces it)";
        return false;
    }
    return true;
}

// Pages go to temporary files and are renamed into place only when every
// page is written, so a failure leaves none of the document's pages behind.
struct PngPages {
    const ConvertSettings *settings;
    std::string output; // the pages are named after it
    std::vector<OutputFile> files;
    std::string reason;
};

FILE *begin_png_page(void *context, int page, int) {
    auto *pages = static_cast<PngPages *>(context);
    std::string path = png_page_path(pages->output, page);
    if (!output_allowed(*pages->settings, path, &pages->reason))
        return nullptr;
    OutputFile file;
    if (!output_file_open(&file, path, &pages->reason))
        return nullptr;
    pages->files.push_back(file);
    return file.stream;
}

int end_png_page(void *context, FILE *, bool ok) {
    auto *pages = static_cast<PngPages *>(context);
    OutputFile &file = pages->files.back();
    if (!ok) {
        pages->reason = "cannot write " + file.path + ": " + error_text(errno);
        return -1;
    }
    return output_file_close(&file, &pages->reason) ? 0 : -1;
}

bool write_png_pages(const ConvertSettings &settings, const ConvertJob &job, const LineNode *first,
                     const char *footer, ConvertProgress *progress, ConvertJobResult *result,
                     std::string *reason) {
    PngPages pages{&settings, job.output, {}, {}};
    const ConvertOptions &options = *settings.options;
    PngPageOutput output{begin_png_page, end_png_page, &pages};
    bool ok = png_export_write(first, settings.fonts, settings.page, footer, options.scale,
                               options.grey, output, progress) == 0;
    // The first page goes into place last: --update takes a set whose first
    // page is there as complete.
    size_t pending = pages.files.size();
    while (ok && pending > 0) {
        ok =
            output_file_commit(&pages.files[pending - 1], replace_outputs(settings), &pages.reason);
        pending -= ok;
    }
    if (!ok) {
        for (size_t n = 0; n < pages.files.size(); ++n)
            if (n >= pending)
                unlink(pages.files[n].path.c_str());
            else
                output_file_discard(&pages.files[n]);
        *reason = pages.reason.empty() ? "cannot write the pages" : pages.reason;
        return false;
    }
    for (const OutputFile &file : pages.files)
        result->outputs.push_back(file.path);
    return true;
}

int write_document(const ConvertSettings &settings, const LineNode *first, const char *title,
                   const char *footer, time_t modified, FILE *out, ConvertProgress *progress) {
    const ConvertOptions &options = *settings.options;
    switch (options.format) {
    case ConvertFormat::txt:
        return text_export_write(first, TextExportOptions{options.crlf, options.expand_tabs}, out,
                                 progress);
    case ConvertFormat::html:
        return html_export_write(first, title, out, progress);
    case ConvertFormat::pdf:
        return pdf_export_write(first, settings.fonts, settings.page,
                                PdfInfo{title, footer, modified}, out, progress);
    case ConvertFormat::png:
    case ConvertFormat::none:
        break;
    }
    return -1;
}

} // namespace

bool convert_job_run(const ConvertSettings &settings, const ConvertJob &job,
                     ConvertProgress *progress, ConvertJobResult *result, std::string *reason) {
    bool to_stdout = job.output == "-";
    ConvertFormat format = settings.options->format;
    bool png = format == ConvertFormat::png;
    if (!to_stdout &&
        !output_allowed(settings, png ? png_page_path(job.output, 1) : job.output, reason))
        return false;
    LoadedDocument document;
    if (!load(settings, job, &document, result, reason))
        return false;
    result->lines = lines_count(&document.lines);
    if (png || format == ConvertFormat::pdf)
        result->pages = document_page_count(settings.page, result->lines);
    std::string footer_text = job.input == "-" ? STDIN_NAME : path_utf8(job.input);
    std::string title = footer_text.substr(path_name_start(footer_text));
    const char *footer = footer_text.c_str();
    if (png)
        return write_png_pages(settings, job, document.lines, footer, progress, result, reason);
    if (to_stdout) {
        errno = 0;
        int written = write_document(settings, document.lines, title.c_str(), footer,
                                     document.modified, stdout, progress);
        if (std::fflush(stdout) == 0 && written == 0 && !std::ferror(stdout)) {
            result->outputs.push_back(job.output);
            return true;
        }
        *reason = "cannot write to standard output: " + error_text(errno);
        return false;
    }
    OutputFile file;
    if (!output_file_open(&file, job.output, reason))
        return false;
    errno = 0;
    if (write_document(settings, document.lines, title.c_str(), footer, document.modified,
                       file.stream, progress) != 0) {
        *reason = "cannot write " + job.output + ": " + error_text(errno);
        output_file_discard(&file);
        return false;
    }
    if (!output_file_commit(&file, replace_outputs(settings), reason))
        return false;
    result->outputs.push_back(job.output);
    return true;
}
