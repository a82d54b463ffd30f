#include "convert/options.h"

#include "convert/system.h"
#include "convert/writers/page_writers.h"

#include <cstdlib>

const char CONVERT_USAGE[] =
    "Usage: korvel-convert [options] INPUT...\n"
    "Converts KORVEL documents and MS-DOS text files (CP866) into PDF, UTF-8 text,\n"
    "HTML or PNG pages. An INPUT is a file, a folder (every *.krv and *.txt in its\n"
    "tree) or - for standard input.\n"
    "\n"
    "  --to pdf|txt|html|png  output format (default: taken from -o's extension)\n"
    "  -o PATH               output file for one input; a folder for several inputs\n"
    "                        or a folder input (its tree is mirrored); - is standard\n"
    "                        output. Without -o each output goes beside its input.\n"
    "  --force               replace existing outputs\n"
    "  --update              skip inputs whose outputs exist and are not older than\n"
    "                        them (nor than the fonts); replace older outputs\n"
    "  --report FILE         append one JSON line per input to FILE (- is standard\n"
    "                        output): status, outputs, SHA-256 digests, counts\n"
    "  --jobs N, -j N        convert N files at once (default: one per processor)\n"
    "  --fonts DIR           the screen fonts vga0.sfn ... vga9.sfn (PDF and PNG)\n"
    "  --paper a4|letter     paper size of PDF and PNG pages (default a4)\n"
    "  --margin MM           margin on each side, 0 to 50 (default 10)\n"
    "  --scale N             PNG pixels per page pixel, 1 to 16 (default 1)\n"
    "  --grey                PNG pages in 8-bit grey (default 1-bit)\n"
    "  --crlf                text output with CR LF line ends\n"
    "  --expand-tabs         text output with spaces for tabs\n"
    "  -q, --quiet           no progress line\n"
    "  -h, --help            this text\n"
    "  --version             the program's version\n"
    "\n"
    "Exit status: 0 all converted, 1 some input failed (named on standard error),\n"
    "2 usage error or unreadable fonts.\n";

namespace {

// Plain decimal numbers only: strtol and strtod would also take signs,
// spaces, hexadecimal and exponents ("0x10", "1e1").
bool is_decimal(const std::string &text, bool fraction) {
    size_t digits = text.find_first_not_of("0123456789");
    if (digits == 0 || text.empty())
        return false;
    if (digits == std::string::npos)
        return true;
    return fraction && text[digits] == '.' && digits + 1 < text.size() &&
           text.find_first_not_of("0123456789", digits + 1) == std::string::npos;
}

bool parse_int(const std::string &text, int low, int high, int *value) {
    if (!is_decimal(text, false) || text.size() > 9)
        return false;
    long parsed = std::strtol(text.c_str(), nullptr, 10);
    if (parsed < low || parsed > high)
        return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool parse_margin(const std::string &text, double *value) {
    if (!is_decimal(text, true))
        return false;
    double parsed = std::strtod(text.c_str(), nullptr);
    if (parsed > CONVERT_MAX_MARGIN_MM)
        return false;
    *value = parsed;
    return true;
}

// One option that takes a value; false with `error` set when the value is bad.
bool take_value(const std::string &name, const std::string &value, ConvertOptions *options,
                std::string *error) {
    if (name == "--to") {
        options->format = output_format_named(value);
        if (options->format)
            return true;
        *error = "--to takes pdf, txt, html or png, not '" + value + "'";
        return false;
    }
    if (name == "-o" || name == "--output") {
        options->output = value;
        if (!value.empty())
            return true;
        *error = "-o needs a path";
        return false;
    }
    if (name == "--fonts") {
        options->fonts_dir = value;
        return true;
    }
    if (name == "--report") {
        options->report = value;
        if (!value.empty())
            return true;
        *error = "--report needs a file name";
        return false;
    }
    if (name == "--jobs" || name == "-j") {
        if (parse_int(value, 1, CONVERT_MAX_JOBS, &options->jobs))
            return true;
        *error = "--jobs takes a number from 1 to " + std::to_string(CONVERT_MAX_JOBS);
        return false;
    }
    if (name == "--paper") {
        bool a4 = same_ignoring_case(value, "a4");
        options->letter = same_ignoring_case(value, "letter");
        if (a4 || options->letter)
            return true;
        *error = "--paper takes a4 or letter, not '" + value + "'";
        return false;
    }
    if (name == "--margin") {
        if (parse_margin(value, &options->margin_mm))
            return true;
        *error = "--margin takes millimetres from 0 to 50, not '" + value + "'";
        return false;
    }
    // --scale
    if (parse_int(value, 1, PNG_SCALE_MAX, &options->scale))
        return true;
    *error = "--scale takes a whole number from 1 to " + std::to_string(PNG_SCALE_MAX);
    return false;
}

bool takes_value(const std::string &name) {
    for (const char *known : {"--to", "-o", "--output", "--fonts", "--report", "--jobs", "-j",
                              "--paper", "--margin", "--scale"})
        if (name == known)
            return true;
    return false;
}

bool take_flag(const std::string &name, ConvertOptions *options) {
    const struct {
        const char *name;
        bool ConvertOptions::*flag;
    } flags[] = {
        {"--force", &ConvertOptions::force},   {"-f", &ConvertOptions::force},
        {"--update", &ConvertOptions::update}, {"--quiet", &ConvertOptions::quiet},
        {"-q", &ConvertOptions::quiet},        {"--help", &ConvertOptions::help},
        {"-h", &ConvertOptions::help},         {"--version", &ConvertOptions::version},
        {"--grey", &ConvertOptions::grey},     {"--gray", &ConvertOptions::grey},
        {"--crlf", &ConvertOptions::crlf},     {"--expand-tabs", &ConvertOptions::expand_tabs},
    };
    for (const auto &entry : flags)
        if (name == entry.name) {
            options->*entry.flag = true;
            return true;
        }
    return false;
}

} // namespace

bool convert_options_parse(int argc, char **argv, ConvertOptions *options, std::string *error) {
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (options_ended || is_standard_stream(argument) || argument.empty() ||
            argument[0] != '-') {
            options->inputs.push_back(argument);
            continue;
        }
        if (argument == "--") {
            options_ended = true;
            continue;
        }
        std::string name = argument;
        std::string value;
        bool has_value = false;
        if (size_t equals = argument.find('=');
            argument.starts_with("--") && equals != argument.npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            has_value = true;
        } else if (!argument.starts_with("--") && argument.size() > 2 &&
                   takes_value(argument.substr(0, 2))) {
            name = argument.substr(0, 2); // -oPATH, -j2
            value = argument.substr(2);
            has_value = true;
        }
        if (takes_value(name)) {
            if (!has_value) {
                if (i + 1 >= argc) {
                    *error = name + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            if (!take_value(name, value, options, error))
                return false;
        } else if (has_value || !take_flag(name, options)) {
            *error = "unknown option '" + argument + "'";
            return false;
        }
    }
    if (!options->format && !options->output.empty())
        options->format = output_format_of_path(options->output);
    return true;
}
