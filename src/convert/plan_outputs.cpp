#include "convert/plan_outputs.h"

#include "convert/output_file.h"
#include "convert/up_to_date.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

constexpr char PAGE_EXTENSION[] = ".png";

// The page number `name` has in the page set whose names start with
// `prefix` ("doc-"), or 0 when it is not one of that set's.
int page_number_of(const std::string &name, const std::string &prefix) {
    if (name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    std::string digits = name.substr(prefix.size());
    size_t end = digits.find('.');
    if (end == std::string::npos || digits.substr(end) != PAGE_EXTENSION)
        return 0;
    digits.resize(end);
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    int page = std::atoi(digits.c_str());
    char canonical[16];
    std::snprintf(canonical, sizeof canonical, "%03d", page);
    return page > 0 && digits == canonical ? page : 0;
}

// The files of the job's outputs that exist, with what the system says of
// each: its file, or every page of its page set in page order.
std::vector<ExistingOutput> existing_outputs(const ConvertJob &job, bool pages,
                                             OutputListing *listing) {
    std::vector<ExistingOutput> found;
    FileFacts facts{};
    std::string reason;
    if (!pages) {
        if (file_facts(job.output, &facts, &reason))
            found.push_back({job.output, facts});
        return found;
    }
    std::string first = output_page_path(job.output, 1);
    size_t name_start = path_name_start(first);
    std::string folder = first.substr(0, name_start);
    if (!listing->read || listing->folder != folder) {
        listing->names.clear();
        folder_names(folder.empty() ? "." : folder, &listing->names, &reason);
        listing->folder = folder;
        listing->read = true;
    }
    std::string prefix = first.substr(name_start, first.size() - name_start - 7); // less "001.png"
    std::map<int, std::string> pages_found;
    for (const std::string &name : listing->names)
        if (int page = page_number_of(name, prefix))
            pages_found.emplace(page, output_page_path(job.output, page));
    for (auto &[page, path] : pages_found)
        if (file_facts(path, &facts, &reason)) // else gone meanwhile
            found.push_back({path, facts});
    return found;
}

// Why the job may not write over what exists, or empty when it may.
std::string refusal(const ConvertJob &job, const std::vector<ExistingOutput> &existing,
                    const InputIds &input_ids, bool replace) {
    for (const auto &[path, facts] : existing) {
        if (!job.from_stdin && facts.id == job.input_id)
            return "its output " + path + " would replace an input: itself (give -o another " +
                   "name or folder)";
        if (input_ids.contains(facts.id))
            return "its output " + path + " would replace an input";
        // A device or a pipe is never turned into a file, not even with --force.
        if (facts.kind != FileKind::file)
            return path + " is not a regular file: it is not replaced (-o - writes to standard "
                          "output)";
    }
    if (!replace && !existing.empty())
        return output_exists_reason(existing.front().path);
    return {};
}

} // namespace

std::string plan_output_check(const JobSettings &settings, bool update, const InputIds &input_ids,
                              OutputListing *listing, ConvertJob *job) {
    bool pages = settings.format->write_pages != nullptr;
    std::vector<ExistingOutput> existing;
    if (!job->to_stdout) {
        std::string unusable =
            path_unusable(pages ? output_page_path(job->output, 1) : job->output);
        if (!unusable.empty())
            return "its output: " + unusable;
        existing = existing_outputs(*job, pages, listing);
        std::string reason = refusal(*job, existing, input_ids, settings.replace);
        if (!reason.empty())
            return reason;
    }
    job->up_to_date = update && outputs_up_to_date(settings, *job, existing);
    if (pages)
        for (ExistingOutput &page : existing)
            job->earlier_pages.push_back(std::move(page.path));
    return {};
}

std::string output_page_path(const std::string &output, int page) {
    char number[16];
    std::snprintf(number, sizeof number, "-%03d%s", page, PAGE_EXTENSION);
    return without_extension(output, PAGE_EXTENSION + 1) + number;
}
