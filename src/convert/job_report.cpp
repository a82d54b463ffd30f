#include "convert/job_report.h"

#include "convert/sha256.h"
#include "convert/up_to_date.h"

namespace {

ReportRecord record_of(const JobSettings &settings, const std::string &input,
                       const std::string &error) {
    ReportRecord record;
    record.input = input.empty() ? STANDARD_STREAM_NAME : input;
    record.format = settings.format->name;
    record.error = error;
    return record;
}

} // namespace

ReportRecord job_report_record(const JobSettings &settings, const ConvertJob &job,
                               const ConvertJobResult &result, const std::string &error) {
    ReportRecord record = record_of(settings, job.input, error);
    record.status = !error.empty()   ? ReportStatus::failed
                    : job.up_to_date ? ReportStatus::up_to_date
                                     : ReportStatus::converted;
    for (const std::string &output :
         job.up_to_date ? up_to_date_outputs(settings, job) : result.outputs)
        record.outputs.push_back({output, ""});
    record.lines = result.lines;
    record.pages = result.pages;
    record.input_size = job.from_stdin ? result.stdin_size : static_cast<long long>(job.size);
    record.input_sha256 = result.stdin_sha256;
    return record;
}

ReportRecord failure_report_record(const JobSettings &settings, const ConvertFailure &failure) {
    return record_of(settings, failure.input, failure.reason);
}

bool job_report_fixity(const ConvertJob &job, ReportRecord *record, std::string *reason) {
    if (!job.from_stdin && !file_sha256(job.input, &record->input_sha256, reason))
        return false;
    for (ReportOutput &output : record->outputs)
        if (output.path != STANDARD_STREAM_NAME &&
            !file_sha256(output.path, &output.sha256, reason))
            return false;
    return true;
}
