#include "convert/job.h"

#include "convert/system.h"
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
int load_stdin(LoadedDocument *document, std::string *reason) {
    struct stat status {};
    bool regular = fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode);
    document->modified = regular ? status.st_mtime : time(nullptr);
    std::string path;
    int descriptor = -1;
    if (!temp_file_create(&path, &descriptor, reason))
        return LINES_LOAD_FAILED;
    bool copied = copy_all(STDIN_FILENO, descriptor, reason);
    close(descriptor);
    int result = copied ? lines_load(&document->lines, path.c_str()) : LINES_LOAD_FAILED;
    temp_file_remove(path);
    if (copied && result == LINES_LOAD_FAILED)
        *reason = "cannot read the copy of standard input";
    return result;
}

bool load(const ConvertJob &job, LoadedDocument *document, std::string *reason) {
    int result = LINES_LOAD_FAILED;
    if (job.input == "-") {
        result = load_stdin(document, reason);
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

// Refuses an output over an input, and over an existing file without --force.
bool output_allowed(const ConvertSettings &settings, const std::string &path, std::string *reason) {
    if (convert_plan_is_input(*settings.plan, path)) {
        *reason = "its output " + path + " would replace an input";
        return false;
    }
    if (!settings.options->force && access(path.c_str(), F_OK) == 0) {
        *reason = path + " exists (--force replaces it)";
        return false;
    }
    return true;
}

// Pages go to temporary files and are renamed into place only when every
// page is written, so a failure leaves none of the document's pages behind.
struct PngPages {
    const ConvertSettings *settings;
    std::string stem; // the output less ".png"
    std::vector<OutputFile> files;
    std::string reason;
};

std::string png_stem(const std::string &output) {
    size_t length = output.size();
    bool png_name = length > 4 && strcasecmp(output.c_str() + length - 4, ".png") == 0;
    return png_name ? output.substr(0, length - 4) : output;
}

std::string page_path(const std::string &stem, int page) {
    char number[16];
    std::snprintf(number, sizeof number, "-%03d.png", page);
    return stem + number;
}

FILE *begin_png_page(void *context, int page, int) {
    auto *pages = static_cast<PngPages *>(context);
    std::string path = page_path(pages->stem, page);
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
                     const char *footer, ConvertProgress *progress, std::string *reason) {
    PngPages pages{&settings, png_stem(job.output), {}, {}};
    const ConvertOptions &options = *settings.options;
    PngPageOutput output{begin_png_page, end_png_page, &pages};
    bool ok = png_export_write(first, settings.fonts, settings.page, footer, options.scale,
                               options.grey, output, progress) == 0;
    size_t renamed = 0;
    while (ok && renamed < pages.files.size()) {
        ok = output_file_commit(&pages.files[renamed], options.force, &pages.reason);
        renamed += ok;
    }
    if (!ok) {
        for (size_t n = 0; n < pages.files.size(); ++n)
            if (n < renamed)
                unlink(pages.files[n].path.c_str());
            else
                output_file_discard(&pages.files[n]);
        *reason = pages.reason.empty() ? "cannot write the pages" : pages.reason;
    }
    return ok;
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
                     ConvertProgress *progress, std::string *reason) {
    bool to_stdout = job.output == "-";
    bool png = settings.options->format == ConvertFormat::png;
    if (!to_stdout &&
        !output_allowed(settings, png ? page_path(png_stem(job.output), 1) : job.output, reason))
        return false;
    LoadedDocument document;
    if (!load(job, &document, reason))
        return false;
    std::string footer_text = job.input == "-" ? STDIN_NAME : path_utf8(job.input);
    std::string title = footer_text.substr(path_name_start(footer_text));
    const char *footer = footer_text.c_str();
    if (png)
        return write_png_pages(settings, job, document.lines, footer, progress, reason);
    if (to_stdout) {
        errno = 0;
        int written = write_document(settings, document.lines, title.c_str(), footer,
                                     document.modified, stdout, progress);
        if (std::fflush(stdout) == 0 && written == 0 && !std::ferror(stdout))
            return true;
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
    return output_file_commit(&file, settings.options->force, reason);
}
