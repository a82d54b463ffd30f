// korvel-convert: KORVEL documents and MS-DOS text files into PDF, UTF-8
// text, HTML or PNG pages.
#include "convert/options.h"
#include "convert/plan.h"
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

// Opens --report's file once the plan is made; false with `error` set when
// it cannot be opened or is an input or an output of the plan (appending to
// one, or replacing it, would lose data).
bool open_report(const ConvertOptions &options, const ConvertPlan &plan, ConvertReport *report,
                 std::string *error) {
    const std::string &path = options.report;
    FileFacts target{}, output{};
    std::string reason;
    bool exists = !is_standard_stream(path) && file_facts(path, &target, &reason);
    for (const ConvertJob &job : plan.jobs) {
        if (is_standard_stream(path) && job.to_stdout) {
            *error = "--report - and the converted document cannot share standard output";
            return false;
        }
        bool input = exists && !job.from_stdin && job.input_id == target.id;
        bool is_output =
            !job.to_stdout &&
            (job.output == path ||
             (exists && file_facts(job.output, &output, &reason) && output.id == target.id));
        if (input || is_output) {
            *error =
                "the report " + path + " is " + (input ? "an input" : "an output") + " of this run";
            return false;
        }
    }
    return report->open(path, error);
}

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
    ConvertReport report;
    if (!options.report.empty() && !open_report(options, plan, &report, &error)) {
        stderr_write("korvel-convert: " + error + "\n");
        return EXIT_USAGE;
    }
    int workers = options.jobs ? options.jobs : processor_count();
    return convert_run(plan, workers, options.quiet, options.report.empty() ? nullptr : &report)
               ? EXIT_FAILED
               : 0;
}
