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
    planner.plan->failures.push_back(input + ": " + reason);
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
    planner.plan->jobs.push_back(
        {input, output, false, to_stdout, facts ? facts->size : 0, facts ? facts->modified : 0});
}

bool is_folder(const FileFacts &facts) {
    return facts.kind == FileKind::folder || facts.kind == FileKind::folder_link;
}

// Every document in the tree under `folder`, sorted by name at each level;
// the outputs go to the same place under `output_folder`.
void add_folder(Planner &planner, const std::string &folder, const std::string &output_folder) {
    std::vector<std::string> names;
    std::string reason;
    if (!folder_names(folder, &names, &reason)) {
        fail(planner, folder, "cannot read the folder: " + reason);
        return;
    }
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        std::string path = path_joined(folder, name);
        FileFacts facts{};
        bool exists = file_facts(path, &facts, &reason);
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

} // namespace

bool convert_plan_make(const ConvertOptions &options, ConvertPlan *plan, std::string *usage_error) {
    if (!make_writer_settings(options, &plan->settings.writer, usage_error))
        return false;
    const std::vector<std::string> &inputs = options.inputs;
    if (inputs.empty()) {
        *usage_error = "no input given";
        return false;
    }
    if (!options.format) {
        *usage_error = "which format? Give --to pdf|txt|html|png or an -o file with one of "
                       "those extensions";
        return false;
    }
    plan->settings.format = options.format;
    plan->settings.replace = options.force;
    bool any_folder = false;
    for (const std::string &input : inputs) {
        FileFacts facts{};
        std::string reason;
        any_folder = any_folder || (!is_standard_stream(input) &&
                                    file_facts(input, &facts, &reason) && is_folder(facts));
    }
    bool stdin_input =
        std::find_if(inputs.begin(), inputs.end(), is_standard_stream) != inputs.end();
    bool several = inputs.size() > 1 || any_folder;
    if (stdin_input && several) {
        *usage_error = "- (standard input) must be the only input";
        return false;
    }
    bool output_to_stdout = is_standard_stream(options.output);
    if (output_to_stdout && several) {
        *usage_error = "-o - (standard output) takes one document, not several";
        return false;
    }
    bool to_stdout = output_to_stdout || (stdin_input && options.output.empty());
    if (to_stdout && options.format->write_pages) {
        *usage_error = "PNG pages are separate files: give -o a file name for them";
        return false;
    }
    Planner planner{options, plan, {}, {}};
    FileFacts output_facts{};
    std::string output_reason;
    bool output_exists = !options.output.empty() && !output_to_stdout &&
                         file_facts(options.output, &output_facts, &output_reason);
    bool output_is_folder = output_exists && is_folder(output_facts);
    if (several && !options.output.empty() && !output_is_folder &&
        (output_exists || output_format_of_path(options.output))) {
        *usage_error = "-o " + options.output + " is a file, but there are several inputs";
        return false;
    }
    if (output_is_folder) {
        planner.have_output_folder = true;
        planner.output_folder = output_facts.id;
    }
    bool output_into_folder =
        output_is_folder || several ||
        (!options.output.empty() && path_name_start(options.output) == options.output.size());
    for (const std::string &input : inputs) {
        if (is_standard_stream(input)) {
            std::string output = options.output;
            if (output_into_folder)
                output =
                    with_extension(path_joined(output, STDIN_DOCUMENT_NAME), extension_of(planner));
            plan->jobs.push_back({"", output, true, to_stdout, 0, 0});
            continue;
        }
        FileFacts facts{};
        std::string reason;
        bool exists = file_facts(input, &facts, &reason);
        if (exists && is_folder(facts)) {
            add_folder(planner, input, options.output.empty() ? input : options.output);
            continue;
        }
        std::string output = options.output;
        if (output.empty())
            output = with_extension(input, extension_of(planner));
        else if (output_into_folder)
            output =
                with_extension(path_joined(output, file_name_of(input)), extension_of(planner));
        add_job(planner, input, exists ? &facts : nullptr, output, output_to_stdout);
    }
    plan_outputs_check(planner.input_ids, plan);
    return true;
}

std::string job_input_name(const ConvertJob &job) {
    return job.from_stdin ? "standard input" : job.input;
}
