#include "convert/up_to_date.h"

#include <algorithm>

bool outputs_up_to_date(const JobSettings &settings, const ConvertJob &job,
                        const std::vector<ExistingOutput> &existing) {
    if (job.from_stdin || job.to_stdout || existing.empty())
        return false;
    time_t not_before = std::max(job.modified, settings.fonts_modified);
    bool pages = settings.format->write_pages != nullptr;
    for (size_t n = 0; n < existing.size(); ++n) {
        const ExistingOutput &output = existing[n];
        if (output.facts.kind != FileKind::file || output.facts.modified < not_before ||
            (pages && output.path != output_page_path(job.output, static_cast<int>(n) + 1)))
            return false;
    }
    return true;
}

std::vector<std::string> up_to_date_outputs(const JobSettings &settings, const ConvertJob &job) {
    if (settings.format->write_pages)
        return job.earlier_pages;
    return {job.output};
}
