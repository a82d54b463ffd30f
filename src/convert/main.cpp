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
// it cannot be opened or would go where an input is.
bool open_report(const ConvertOptions &options, const ConvertPlan &plan, ConvertReport *report,
                 std::string *error) {
    bool output_to_stdout = false;
    for (const ConvertJob &job : plan.jobs)
        output_to_stdout = output_to_stdout || job.to_stdout;
    if (is_standard_stream(options.report) && output_to_stdout) {
        *error = "--report - and the converted document cannot share standard output";
        return false;
    }
    FileFacts target{}, input{};
    std::string reason;
    if (!is_standard_stream(options.report) && file_facts(options.report, &target, &reason))
        for (const ConvertJob &job : plan.jobs)
            if (!job.from_stdin && file_facts(job.input, &input, &reason) &&
                input.id == target.id) {
                *error = "the report " + options.report + " would be written into an input";
                return false;
            }
    return report->open(options.report, error);
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
