#include "convert/plan.h"

#include "convert/font_set.h"
#include "convert/plan_outputs.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

struct Planner {
    const ConvertOptions &options;
    ConvertPlan *plan;
    std::set<FileId> input_ids;                      // every input file, whatever its name
    std::map<std::string, std::string> output_owner; // output -> the input it comes from
    bool have_output_folder = false;
    FileId output_folder{}; // never scanned as input
};

std::string file_name_of(const std::string &path) {
    return path.substr(path_name_start(path));
}

const char *extension_of(const Planner &planner) {
    return planner.plan->settings.format->extension;
}

void fail(Planner &planner, const std::string &input, const std::string &reason) {
    planner.plan->failures.push_back({input, reason});
}

// A job for a file that is not a folder; whether it is a document the loader
// decides when it opens it. `facts` is null when the path could not be asked
// about: the loader then says why.
void add_job(Planner &planner, const std::string &input, const FileFacts *facts,
             const std::string &output, bool to_stdout = false) {
    if (facts && !planner.input_ids.insert(facts->id).second)
        return; // the same file named twice is converted once
    auto [owner, fresh] = planner.output_owner.emplace(output, input);
    if (!fresh) {
        if (owner->second == input)
            return; // named twice, and not there to ask about
        fail(planner, input,
             "not converted: its output " + output + " is also the output of " + owner->second);
        return;
    }
    ConvertJob job{input, output, false, to_stdout, 0, 0, {}, {}};
    if (facts) {
        job.size = facts->size;
        job.modified = facts->modified;
        job.input_id = facts->id;
    }
    planner.plan->jobs.push_back(std::move(job));
}

bool is_folder(const FileFacts &facts) {
    return facts.kind == FileKind::folder || facts.kind == FileKind::folder_link;
}

// Every document in the tree under `folder`, sorted by name at each level;
// the outputs go to the same place under `output_folder`.
void add_folder(Planner &planner, const std::string &folder, const std::string &output_folder) {
    std::vector<std::string> names;
    std::set<std::string> subfolders;
    std::string reason;
    if (!folder_names(folder, &names, &reason, &subfolders)) {
        fail(planner, folder, "cannot read the folder: " + reason);
        return;
    }
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        std::string path = path_joined(folder, name);
        bool listed_folder = subfolders.count(name) > 0;
        // Nothing found is passed over in silence, however deep it lies.
        std::string unusable = path_unusable(path);
        if (!unusable.empty()) {
            if (listed_folder || is_document_name(name))
                fail(planner, path, unusable);
            continue;
        }
        FileFacts facts{};
        bool exists = file_facts(path, &facts, &reason);
        if (!exists && listed_folder) {
            fail(planner, path, "cannot read the folder: " + reason);
            continue;
        }
        // Linked folders are not followed: they could lead round in a circle.
        if (exists && facts.kind == FileKind::folder) {
            if (!(planner.have_output_folder && facts.id == planner.output_folder))
                add_folder(planner, path, path_joined(output_folder, name));
            continue;
        }
        if (is_document_name(name))
            add_job(planner, path, exists ? &facts : nullptr,
                    with_extension(path_joined(output_folder, name), extension_of(planner)));
    }
}

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
    Planner planner{options, plan, {}, {}};
    if (shape.output_is_folder) {
        planner.have_output_folder = true;
        planner.output_folder = shape.output_facts.id;
    }
    bool output_into_folder =
        shape.output_is_folder || shape.several ||
        (!options.output.empty() && path_name_start(options.output) == options.output.size());
    for (const std::string &input : inputs) {
        if (is_standard_stream(input)) {
            std::string output = options.output;
            if (output_into_folder)
                output =
                    with_extension(path_joined(output, STDIN_DOCUMENT_NAME), extension_of(planner));
            plan->jobs.push_back({"", output, true, shape.to_stdout, 0, 0, {}, {}});
            continue;
        }
        if (std::string unusable = path_unusable(input); !unusable.empty()) {
            fail(planner, input, unusable);
            continue;
        }
        FileFacts facts{};
        std::string reason;
        bool exists = file_facts(input, &facts, &reason);
        if (exists && is_folder(facts)) {
            size_t before = plan->jobs.size() + plan->failures.size();
            add_folder(planner, input, options.output.empty() ? input : options.output);
            if (plan->jobs.size() + plan->failures.size() == before)
                plan->notices.push_back(input + ": no documents (*.krv, *.txt) in this folder");
            continue;
        }
        std::string output = options.output;
        if (output.empty())
            output = with_extension(input, extension_of(planner));
        else if (output_into_folder)
            output =
                with_extension(path_joined(output, file_name_of(input)), extension_of(planner));
        add_job(planner, input, exists ? &facts : nullptr, output, shape.output_to_stdout);
    }
    plan_outputs_check(planner.input_ids, options.update, plan);
    return PlanResult::ready;
}

std::string failure_message(const ConvertFailure &failure) {
    return (failure.input.empty() ? "standard input" : failure.input) + ": " + failure.reason;
}

std::string job_input_name(const ConvertJob &job) {
    return job.from_stdin ? "standard input" : job.input;
}
