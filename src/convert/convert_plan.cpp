#include "convert_plan.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <map>
#include <strings.h>
#include <sys/stat.h>

namespace {

using FileId = std::pair<dev_t, ino_t>;

struct Planner {
    const ConvertOptions &options;
    ConvertPlan *plan;
    std::map<std::string, std::string> output_owner; // output -> the input it comes from
    bool have_output_folder = false;
    FileId output_folder{}; // never scanned as input
};

std::string file_name_of(const std::string &path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "a/b.krv" -> "a/b.<extension>"; a name without an extension gets one.
std::string with_extension(const std::string &path, const char *extension) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    size_t name_start = slash == std::string::npos ? 0 : slash + 1;
    std::string stem = dot != std::string::npos && dot > name_start ? path.substr(0, dot) : path;
    return stem + "." + extension;
}

std::string joined(const std::string &folder, const std::string &name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool is_document_name(const char *name) {
    size_t length = std::strlen(name);
    return length > 4 && (strcasecmp(name + length - 4, ".krv") == 0 ||
                          strcasecmp(name + length - 4, ".txt") == 0);
}

void fail(Planner &planner, const std::string &input, const std::string &reason) {
    planner.plan->failures.push_back(input + ": " + reason);
}

void add_job(Planner &planner, const std::string &input, const struct stat &status,
             const std::string &output) {
    if (!planner.plan->input_ids.insert({status.st_dev, status.st_ino}).second)
        return; // the same file named twice is converted once
    auto [owner, fresh] = planner.output_owner.emplace(output, input);
    if (!fresh && output != "-") {
        fail(planner, input,
             "not converted: its output " + output + " is also the output of " + owner->second);
        return;
    }
    planner.plan->jobs.push_back(
        {input, output, static_cast<unsigned long long>(status.st_size), status.st_mtime});
}

// Every document in the tree under `folder`, sorted by name at each level;
// the outputs go to the same place under `output_folder`.
void add_folder(Planner &planner, const std::string &folder, const std::string &output_folder) {
    DIR *listing = opendir(folder.c_str());
    if (!listing) {
        fail(planner, folder, std::string("cannot read the folder: ") + std::strerror(errno));
        return;
    }
    std::vector<std::string> names;
    while (dirent *entry = readdir(listing))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    closedir(listing);
    std::sort(names.begin(), names.end());
    const char *extension = convert_format_extension(planner.options.format);
    for (const std::string &name : names) {
        std::string path = joined(folder, name);
        struct stat link_status {};
        struct stat status {};
        if (lstat(path.c_str(), &link_status) != 0)
            continue; // gone meanwhile
        if (S_ISDIR(link_status.st_mode)) {
            // Linked folders are not followed: they could lead round in a circle.
            if (!(planner.have_output_folder &&
                  FileId{link_status.st_dev, link_status.st_ino} == planner.output_folder))
                add_folder(planner, path, joined(output_folder, name));
            continue;
        }
        if (!is_document_name(name.c_str()))
            continue;
        if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
            fail(planner, path, "not a file on a disk");
            continue;
        }
        add_job(planner, path, status, with_extension(joined(output_folder, name), extension));
    }
}

} // namespace

bool convert_plan_make(const ConvertOptions &options, ConvertPlan *plan, std::string *usage_error) {
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
        struct stat status {};
        any_folder = any_folder ||
                     (input != "-" && stat(input.c_str(), &status) == 0 && S_ISDIR(status.st_mode));
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
    Planner planner{options, plan, {}};
    struct stat output_status {};
    bool output_exists = !options.output.empty() && options.output != "-" &&
                         stat(options.output.c_str(), &output_status) == 0;
    bool output_is_folder = output_exists && S_ISDIR(output_status.st_mode);
    if (several && !options.output.empty() && !output_is_folder &&
        (output_exists || convert_format_of_path(options.output) != ConvertFormat::none)) {
        *usage_error = "-o " + options.output + " is a file, but there are several inputs";
        return false;
    }
    if (output_is_folder) {
        planner.have_output_folder = true;
        planner.output_folder = {output_status.st_dev, output_status.st_ino};
    }
    bool output_into_folder = output_is_folder || several || options.output.ends_with('/');
    const char *extension = convert_format_extension(options.format);
    for (const std::string &input : inputs) {
        if (input == "-") {
            std::string output = options.output.empty() ? "-" : options.output;
            if (output_into_folder)
                output = with_extension(joined(output, "stdin"), extension);
            plan->jobs.push_back({"-", output, 0, 0});
            continue;
        }
        struct stat status {};
        if (stat(input.c_str(), &status) != 0) {
            fail(planner, input, std::string("cannot open: ") + std::strerror(errno));
            continue;
        }
        if (S_ISDIR(status.st_mode)) {
            add_folder(planner, input, options.output.empty() ? input : options.output);
            continue;
        }
        if (!S_ISREG(status.st_mode)) {
            fail(planner, input, "not a file on a disk");
            continue;
        }
        std::string output = options.output;
        if (output.empty())
            output = with_extension(input, extension);
        else if (output_into_folder)
            output = with_extension(joined(output, file_name_of(input)), extension);
        add_job(planner, input, status, output);
    }
    return true;
}

bool convert_plan_is_input(const ConvertPlan &plan, const std::string &path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && plan.input_ids.count({status.st_dev, status.st_ino});
}
