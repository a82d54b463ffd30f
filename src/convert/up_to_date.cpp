#include "convert/up_to_date.h"

#include "convert/system.h"

#include <algorithm>

std::vector<std::string> up_to_date_outputs(const JobSettings &settings, const ConvertJob &job) {
    std::vector<std::string> found;
    if (job.from_stdin || job.to_stdout)
        return found;
    time_t not_before = std::max(job.modified, settings.fonts_modified);
    bool pages = settings.format->write_pages != nullptr;
    for (int page = 1;; ++page) {
        std::string path = pages ? output_page_path(job.output, page) : job.output;
        FileFacts facts{};
        std::string reason;
        if (!file_facts(path, &facts, &reason))
            break;
        if (facts.kind != FileKind::file || facts.modified < not_before)
            return {};
        found.push_back(path);
        if (!pages)
            break;
    }
    return found;
}

void plan_mark_up_to_date(ConvertPlan *plan) {
    for (ConvertJob &job : plan->jobs)
        job.up_to_date = !up_to_date_outputs(plan->settings, job).empty();
}
