#include "convert/plan.h"

#include "convert/font_set.h"

#include <algorithm>

namespace {

// The fonts and the page, as the options give them.
bool make_writer_settings(const ConvertOptions &options, WriterSettings *writer,
                          std::string *usage_error) {
    if (options.format && options.format->needs_fonts &&
        !page_fonts_load(options.fonts_dir, &writer->fonts, usage_error))
        return false;
    writer->page =
        options.letter ? page_setup_letter(options.margin_mm) : page_setup_a4(options.margin_mm);
    if (!page_setup_holds_lines(writer->page)) {
        *usage_error = "the margins leave no room for a line on the page";
        return false;
    }
    writer->text = TextExportOptions{options.crlf, options.expand_tabs};
    writer->scale = options.scale;
    writer->grey = options.grey;
    return true;
}

// What the command line asks for as a whole, checked; false with
// `usage_error` set when it makes no sense.
struct CommandShape {
    bool several;          // outputs go into a folder: several inputs, or a folder
    bool output_to_stdout; // -o -
    bool to_stdout;        // the one output is standard output
    bool output_is_folder; // -o names an existing folder
    FileFacts output_facts;
};

bool command_shape(const ConvertOptions &options, CommandShape *shape, std::string *usage_error) {
    const std::vector<std::string> &inputs = options.inputs;
    bool any_folder = false;
    std::string folder_input;
    for (const std::string &input : inputs) {
        FileFacts facts{};
        std::string reason;
        if (input.empty()) {
            *usage_error = "an input is an empty name";
            return false;
        }
        if (!is_standard_stream(input) && file_facts(input, &facts, &reason) && is_folder(facts)) {
            any_folder = true;
            folder_input = input;
        }
    }
    bool stdin_input =
        std::find_if(inputs.begin(), inputs.end(), is_standard_stream) != inputs.end();
    shape->several = inputs.size() > 1 || any_folder;
    if (stdin_input && shape->several) {
        *usage_error = "- (standard input) must be the only input";
        return false;
    }
    shape->output_to_stdout = is_standard_stream(options.output);
    if (shape->output_to_stdout && shape->several) {
        *usage_error = "-o - (standard output) takes one document, not several";
        return false;
    }
    shape->to_stdout = shape->output_to_stdout || (stdin_input && options.output.empty());
    if (shape->to_stdout && options.format->write_pages) {
        *usage_error = "PNG pages are separate files: give -o a file name for them";
        return false;
    }
    if (shape->to_stdout && options.format->binary && stdout_is_terminal()) {
        *usage_error = std::string(options.format->name) +
                       " is not written to a terminal: redirect standard output or give -o a file";
        return false;
    }
    std::string reason;
    bool output_exists = !options.output.empty() && !shape->output_to_stdout &&
                         file_facts(options.output, &shape->output_facts, &reason);
    shape->output_is_folder = output_exists && is_folder(shape->output_facts);
    const OutputFormat *named = output_format_of_path(options.output);
    if (shape->several && !options.output.empty() && !shape->output_is_folder &&
        (output_exists || named)) {
        *usage_error = "-o " + options.output + " is a file, but " +
                       (inputs.size() > 1 ? "there are several inputs"
                                          : "the input " + folder_input + " is a folder") +
                       ": give -o a folder";
        return false;
    }
    if (named && named != options.format && !shape->output_is_folder) {
        *usage_error = std::string("--to ") + options.format->name + " contradicts -o " +
                       options.output + ", which names " + named->name;
        return false;
    }
    return true;
}

} // namespace

PlanResult convert_plan_make(const ConvertOptions &options, ConvertPlan *plan, std::string *error) {
    if (!make_writer_settings(options, &plan->settings.writer, error))
        return PlanResult::cannot_start;
    const std::vector<std::string> &inputs = options.inputs;
    if (inputs.empty()) {
        *error = "no input given";
        return PlanResult::usage_error;
    }
    if (!options.format) {
        *error = "which format? Give --to pdf|txt|html|png or an -o file with one of "
                 "those extensions";
        return PlanResult::usage_error;
    }
    CommandShape shape{};
    if (!command_shape(options, &shape, error))
        return PlanResult::usage_error;
    plan->settings.format = options.format;
    // --update replaces the outputs it finds out of date.
    plan->settings.replace = options.force || options.update;
    if (options.format->needs_fonts)
        plan->settings.fonts_modified = page_fonts_modified(options.fonts_dir);
    plan->settings.stdin_digest = !options.report.empty();
    plan->update = options.update;
    plan->have_output_folder = shape.output_is_folder;
    if (shape.output_is_folder)
        plan->output_folder = shape.output_facts.id;
    plan->output_into_folder =
        shape.output_is_folder || shape.several ||
        (!options.output.empty() && path_name_start(options.output) == options.output.size());
    plan->output_to_stdout = shape.output_to_stdout;
    plan->stdin_to_stdout = shape.to_stdout;
    return PlanResult::ready;
}

bool is_folder(const FileFacts &facts) {
    return facts.kind == FileKind::folder || facts.kind == FileKind::folder_link;
}

std::string failure_message(const ConvertFailure &failure) {
    return (failure.input.empty() ? "standard input" : failure.input) + ": " + failure.reason;
}

std::string job_input_name(const ConvertJob &job) {
    return job.from_stdin ? "standard input" : job.input;
}
