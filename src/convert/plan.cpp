#include "convert/plan.h"

#include "convert/up_to_date.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <strings.h>

namespace {

struct Planner {
    const ConvertOptions &options;
    time_t fonts_modified;
    ConvertPlan *plan;
    std::map<std::string, std::string> output_owner; // output -> the input it comes from
    bool have_output_folder = false;
    FileId output_folder{}; // never scanned as input
};

std::string file_name_of(const std::string &path) {
    return path.substr(path_name_start(path));
}

// "a/b.krv" -> "a/b.<extension>"; a name without an extension gets one.
std::string with_extension(const std::string &path, const char *extension) {
    size_t dot = path.find_last_of('.');
    std::string stem =
        dot != std::string::npos && dot > path_name_start(path) ? path.substr(0, dot) : path;
    return stem + "." + extension;
}

bool is_document_name(const char *name) {
    size_t length = std::strlen(name);
    return length > 4 && (strcasecmp(name + length - 4, ".krv") == 0 ||
                          strcasecmp(name + length - 4, ".txt") == 0);
}

void fail(Planner &planner, const std::string &input, const std::string &reason) {
    planner.plan->failures.push_back({input, reason});
}

void add_job(Planner &planner, const std::string &input, const FileFacts &facts,
             const std::string &output) {
    if (!planner.plan->input_ids.insert(facts.id).second)
        return; // the same file named twice is converted once
    auto [owner, fresh] = planner.output_owner.emplace(output, input);
    if (!fresh && output != "-") {
        fail(planner, input,
             "not converted: its output " + output + " is also the output of " + owner->second);
        return;
    }
    const ConvertOptions &options = planner.options;
    time_t sources_modified = std::max(facts.modified, planner.fonts_modified);
    bool up_to_date = options.update && output != "-" &&
                      !up_to_date_outputs(output, options.format, sources_modified).empty();
    planner.plan->jobs.push_back({input, output, facts.size, facts.modified, up_to_date});
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
    const char *extension = convert_format_extension(planner.options.format);
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
        if (!is_document_name(name.c_str()))
            continue;
        if (!exists) {
            fail(planner, path, "cannot open: " + reason);
            continue;
        }
        if (facts.kind != FileKind::file) {
            fail(planner, path, "not a file on a disk");
            continue;
        }
        add_job(planner, path, facts, with_extension(path_joined(output_folder, name), extension));
    }
}

} // namespace

bool convert_plan_make(const ConvertOptions &options, time_t fonts_modified, ConvertPlan *plan,
                       std::string *usage_error) {
    const std::vector<std::string> &inputs = options.inputs;
    if (inputs.empty()) {
        *usage_error = "no input given";
        return false;
    }
    if (options.format == ConvertFormat::none) {
        *usage_error = "which format? Give --to pdf|txt|html|png or an -o file with one of "
                       "those extensions";
        return false;
    }
    bool any_folder = false;
    for (const std::string &input : inputs) {
        FileFacts facts{};
        std::string reason;
        any_folder = any_folder || (input != "-" && file_facts(input, &facts, &reason) &&
                                    facts.kind != FileKind::file && facts.kind != FileKind::other);
    }
    bool stdin_input = std::find(inputs.begin(), inputs.end(), "-") != inputs.end();
    bool several = inputs.size() > 1 || any_folder;
    if (stdin_input && several) {
        *usage_error = "- (standard input) must be the only input";
        return false;
    }
    if (options.output == "-" && several) {
        *usage_error = "-o - (standard output) takes one document, not several";
        return false;
    }
    bool to_stdout = options.output == "-" || (stdin_input && options.output.empty());
    if (to_stdout && options.format == ConvertFormat::png) {
        *usage_error = "PNG pages are separate files: give -o a file name for them";
        return false;
    }
    Planner planner{options, fonts_modified, plan, {}};
    FileFacts output_facts{};
    std::string output_reason;
    bool output_exists = !options.output.empty() && options.output != "-" &&
                         file_facts(options.output, &output_facts, &output_reason);
    bool output_is_folder = output_exists && (output_facts.kind == FileKind::folder ||
                                              output_facts.kind == FileKind::folder_link);
    if (several && !options.output.empty() && !output_is_folder &&
        (output_exists || convert_format_of_path(options.output) != ConvertFormat::none)) {
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
    const char *extension = convert_format_extension(options.format);
    for (const std::string &input : inputs) {
        if (input == "-") {
            std::string output = options.output.empty() ? "-" : options.output;
            if (output_into_folder)
                output = with_extension(path_joined(output, "stdin"), extension);
            plan->jobs.push_back({"-", output, 0, 0});
            continue;
        }
        FileFacts facts{};
        std::string reason;
        if (!file_facts(input, &facts, &reason)) {
            fail(planner, input, "cannot open: " + reason);
            continue;
        }
        if (facts.kind == FileKind::folder || facts.kind == FileKind::folder_link) {
            add_folder(planner, input, options.output.empty() ? input : options.output);
            continue;
        }
        if (facts.kind != FileKind::file) {
            fail(planner, input, "not a file on a disk");
            continue;
        }
        std::string output = options.output;
        if (output.empty())
            output = with_extension(input, extension);
        else if (output_into_folder)
            output = with_extension(path_joined(output, file_name_of(input)), extension);
        add_job(planner, input, facts, output);
    }
    return true;
}

bool convert_plan_is_input(const ConvertPlan &plan, const std::string &path) {
    FileFacts facts{};
    std::string reason;
    return file_facts(path, &facts, &reason) && plan.input_ids.count(facts.id);
}
