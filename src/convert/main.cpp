// korvel-convert: KORVEL documents and MS-DOS text files into PDF, UTF-8
// text, HTML or PNG pages.
#include "convert/options.h"
#include "convert/plan.h"
#include "convert/plan_walk.h"
#include "convert/report.h"
#include "convert/run.h"
#include "convert/system.h"
#include "convert/temp_file.h"
#include "korvel_version.h"

#include <cstdio>
#include <string>

namespace {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

int usage_error(const std::string &message) {
    stderr_write("korvel-convert: " + message + "\nTry 'korvel-convert --help'.\n");
    return EXIT_USAGE;
}

// The first walk: what the run will convert, and whether --report's file is
// an input or an output of it (appending to one, or replacing it, would
// lose data).
class FirstWalk : public PlanSink {
  public:
    explicit FirstWalk(const std::string &report) : report_(report) {
        std::string reason;
        report_exists_ = !report.empty() && !is_standard_stream(report) &&
                         file_facts(report, &report_facts_, &reason);
    }
    void job(ConvertJob &&job) override {
        ++survey.files;
        survey.bytes += job.size;
        if (!report_.empty() && report_error.empty())
            check_report(job);
    }
    void failure(ConvertFailure &&failure, bool refused) override {
        (refused ? refused_ : survey.failures).push_back(std::move(failure));
    }
    void notice(const std::string &notice) override { survey.notices.push_back(notice); }
    // The failures in the plan's order: what could not be taken first.
    void finish() {
        for (ConvertFailure &failure : refused_)
            survey.failures.push_back(std::move(failure));
        refused_.clear();
    }

    PlanSurvey survey;
    std::string report_error;

  private:
    void check_report(const ConvertJob &job) {
        if (is_standard_stream(report_) && job.to_stdout) {
            report_error = "--report - and the converted document cannot share standard output";
            return;
        }
        FileFacts output{};
        std::string reason;
        bool input = report_exists_ && !job.from_stdin && job.input_id == report_facts_.id;
        bool is_output =
            !job.to_stdout &&
            (job.output == report_ || (report_exists_ && file_facts(job.output, &output, &reason) &&
                                       output.id == report_facts_.id));
        if (input || is_output)
            report_error = "the report " + report_ + " is " + (input ? "an input" : "an output") +
                           " of this run";
    }

    const std::string &report_;
    bool report_exists_ = false;
    FileFacts report_facts_{};
    std::vector<ConvertFailure> refused_;
};

} // namespace

int main(int argc, char **argv) {
    convert_system_start();
    temp_files_guard_signals(convert_run_interrupted);
    ConvertOptions options;
    std::string error;
    if (!convert_options_parse(argc, argv, &options, &error))
        return usage_error(error);
    if (options.help) {
        std::fputs(CONVERT_USAGE, stdout);
        return 0;
    }
    if (options.version) {
        std::puts("korvel-convert " KORVEL_VERSION_STRING);
        return 0;
    }
    ConvertPlan plan;
    switch (convert_plan_make(options, &plan, &error)) {
    case PlanResult::ready:
        break;
    case PlanResult::usage_error:
        return usage_error(error);
    case PlanResult::cannot_start:
        stderr_write("korvel-convert: " + error + "\n");
        return EXIT_USAGE;
    }
    InputIds ids;
    FirstWalk first(options.report);
    plan_walk(options, plan, false, &ids, &first);
    first.finish();
    ids.first_walk_done();
    ConvertReport report;
    if (!options.report.empty() &&
        (!first.report_error.empty() || !report.open(options.report, &error))) {
        stderr_write(
            "korvel-convert: " + (first.report_error.empty() ? error : first.report_error) + "\n");
        return EXIT_USAGE;
    }
    int workers = options.jobs ? options.jobs : processor_count();
    auto second_walk = [&](PlanSink *sink) { plan_walk(options, plan, true, &ids, sink); };
    return convert_run(plan.settings, first.survey, second_walk, workers, options.quiet,
                       options.report.empty() ? nullptr : &report)
               ? EXIT_FAILED
               : 0;
}
