#include "convert/job_report.h"

#include "convert/sha256.h"
#include "convert/up_to_date.h"

#include <algorithm>

ReportRecord job_report_record(const ConvertSettings &settings, const ConvertJob &job,
                               const ConvertJobResult &result, const std::string &error) {
    ReportRecord record;
    record.input = job.input;
    record.format = convert_format_extension(settings.options->format);
    record.status = !error.empty()   ? ReportStatus::failed
                    : job.up_to_date ? ReportStatus::up_to_date
                                     : ReportStatus::converted;
    record.error = error;
    std::vector<std::string> outputs = result.outputs;
    if (job.up_to_date) {
        time_t fonts = settings.fonts_modified;
        outputs =
            up_to_date_outputs(job.output, settings.options->format, std::max(job.modified, fonts));
    }
    for (const std::string &output : outputs)
        record.outputs.push_back({output, ""});
    record.lines = result.lines;
    record.pages = result.pages;
    record.input_size = job.input == "-" ? result.stdin_size : static_cast<long long>(job.size);
    record.input_sha256 = result.stdin_sha256;
    return record;
}

ReportRecord failure_report_record(const ConvertSettings &settings, const ConvertFailure &failure) {
    ReportRecord record;
    record.input = failure.input;
    record.format = convert_format_extension(settings.options->format);
    record.error = failure.reason;
    return record;
}

bool job_report_fixity(const ConvertJob &job, ReportRecord *record, std::string *reason) {
    if (job.input != "-" && !file_sha256(job.input, &record->input_sha256, reason))
        return false;
    for (ReportOutput &output : record->outputs)
        if (output.path != "-" && !file_sha256(output.path, &output.sha256, reason))
            return false;
    return true;
}
