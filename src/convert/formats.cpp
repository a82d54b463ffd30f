#include "convert/formats.h"

#include "convert/system.h"
#include "convert/writers/html_writer.h"

#include <cstring>

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int write_text(const LineNode *first, const DocumentNames &, const WriterSettings &settings,
               FILE *out, ConvertProgress *progress, std::string *) {
    return text_export_write(first, settings.text, out, progress);
}

int write_html(const LineNode *first, const DocumentNames &names, const WriterSettings &, FILE *out,
               ConvertProgress *progress, std::string *) {
    return html_export_write(first, names.title_utf8, out, progress);
}

int write_pdf(const LineNode *first, const DocumentNames &names, const WriterSettings &settings,
              FILE *out, ConvertProgress *progress, std::string *failure) {
    return pdf_export_write(first, settings.fonts, settings.page,
                            PdfInfo{names.title_utf8, names.footer_utf8, names.modified}, out,
                            progress, failure);
}

int write_png(const LineNode *first, const DocumentNames &names, const WriterSettings &settings,
              const PngPageOutput &output, ConvertProgress *progress) {
    return png_export_write(first, settings.fonts, settings.page, names.footer_utf8, settings.scale,
                            settings.grey, output, progress);
}

constexpr OutputFormat FORMATS[] = {
    {"pdf", nullptr, "pdf", true, true, write_pdf, nullptr},
    {"txt", nullptr, "txt", false, false, write_text, nullptr},
    {"html", "htm", "html", false, false, write_html, nullptr},
    {"png", nullptr, "png", true, true, nullptr, write_png},
};

// Where the extension's dot is in `path`, or npos when its name has none.
size_t extension_dot(const std::string &path) {
    size_t dot = path.find_last_of('.');
    return dot != std::string::npos && dot > path_name_start(path) ? dot : std::string::npos;
}

bool has_extension(const std::string &path, const char *extension) {
    size_t dot = extension_dot(path);
    return dot != std::string::npos && same_ignoring_case(path.substr(dot + 1), extension);
}

} // namespace

bool same_ignoring_case(const std::string &text, const char *name) {
    size_t at = 0;
    for (; at < text.size() && name[at]; ++at)
        if (lower(text[at]) != lower(name[at]))
            return false;
    return at == text.size() && !name[at];
}

const OutputFormat *output_format_named(const std::string &name) {
    for (const OutputFormat &format : FORMATS)
        if (same_ignoring_case(name, format.name) ||
            (format.other_name && same_ignoring_case(name, format.other_name)))
            return &format;
    return nullptr;
}

const OutputFormat *output_format_of_path(const std::string &path) {
    // A name that is only an extension (".pdf") names its format too.
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < path_name_start(path))
        return nullptr;
    return output_format_named(path.substr(dot + 1));
}

bool is_document_name(const std::string &name) {
    return has_extension(name, "krv") || has_extension(name, "txt");
}

std::string with_extension(const std::string &path, const char *extension) {
    size_t dot = extension_dot(path);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + "." + extension;
}

std::string without_extension(const std::string &path, const char *extension) {
    size_t length = std::strlen(extension) + 1;
    bool ends_so = path.size() > length && path[path.size() - length] == '.' &&
                   same_ignoring_case(path.substr(path.size() - length + 1), extension);
    return ends_so ? path.substr(0, path.size() - length) : path;
}
