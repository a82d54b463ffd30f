#include "convert/plan_outputs.h"

#include "convert/output_file.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

constexpr char PAGE_EXTENSION[] = ".png";

// Folder listings, each read once however many page sets it holds.
using Listings = std::map<std::string, std::vector<std::string>>;

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

// The files of the job's outputs that exist: its file, or every page of
// its page set.
std::vector<std::string> existing_outputs(const ConvertJob &job, bool pages, Listings &listings) {
    std::vector<std::string> found;
    if (!pages) {
        FileFacts facts{};
        std::string reason;
        if (file_facts(job.output, &facts, &reason))
            found.push_back(job.output);
        return found;
    }
    std::string first = output_page_path(job.output, 1);
    size_t name_start = path_name_start(first);
    std::string folder = first.substr(0, name_start);
    auto listing = listings.find(folder);
    if (listing == listings.end()) {
        std::vector<std::string> names;
        std::string reason;
        folder_names(folder.empty() ? "." : folder, &names, &reason);
        listing = listings.emplace(folder, std::move(names)).first;
    }
    std::string prefix = first.substr(name_start, first.size() - name_start - 7); // less "001.png"
    std::map<int, std::string> pages_found;
    for (const std::string &name : listing->second)
        if (int page = page_number_of(name, prefix))
            pages_found.emplace(page, output_page_path(job.output, page));
    for (auto &[page, path] : pages_found)
        found.push_back(path);
    return found;
}

// Why the job may not write over what exists, or empty when it may.
std::string refusal(const ConvertJob &job, const std::vector<std::string> &existing,
                    const std::set<FileId> &input_ids, bool replace) {
    for (const std::string &path : existing) {
        FileFacts facts{};
        std::string reason;
        if (!file_facts(path, &facts, &reason))
            continue; // gone meanwhile
        if (!job.from_stdin && facts.id == job.input_id)
            return "its output " + path + " would replace an input: itself (give -o another " +
                   "name or folder)";
        if (input_ids.count(facts.id))
            return "its output " + path + " would replace an input";
        // A device or a pipe is never turned into a file, not even with --force.
        if (facts.kind != FileKind::file)
            return path + " is not a regular file: it is not replaced (-o - writes to standard "
                          "output)";
    }
    if (!replace && !existing.empty())
        return output_exists_reason(existing.front());
    return {};
}

} // namespace

void plan_outputs_check(const std::set<FileId> &input_ids, ConvertPlan *plan) {
    bool pages = plan->settings.format->write_pages != nullptr;
    Listings listings;
    std::vector<ConvertJob> kept;
    for (ConvertJob &job : plan->jobs) {
        std::string reason;
        std::vector<std::string> existing;
        if (!job.to_stdout) {
            std::string unusable =
                path_unusable(pages ? output_page_path(job.output, 1) : job.output);
            existing = existing_outputs(job, pages, listings);
            reason = unusable.empty() ? refusal(job, existing, input_ids, plan->settings.replace)
                                      : "its output: " + unusable;
        }
        if (!reason.empty()) {
            plan->failures.push_back({job.input, reason});
            continue;
        }
        if (pages)
            job.earlier_pages = std::move(existing);
        kept.push_back(std::move(job));
    }
    plan->jobs = std::move(kept);
}

std::string output_page_path(const std::string &output, int page) {
    char number[16];
    std::snprintf(number, sizeof number, "-%03d%s", page, PAGE_EXTENSION);
    return without_extension(output, PAGE_EXTENSION + 1) + number;
}
