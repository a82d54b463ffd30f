// korvel-convert: KORVEL documents and MS-DOS text files into PDF, UTF-8
// text, HTML or PNG pages.
#include "convert/options.h"
#include "convert/plan.h"
#include "convert/run.h"
#include "convert/system.h"
#include "convert/temp_file.h"

#include <cstdio>
#include <string>

namespace {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

int usage_error(const std::string &message) {
    stderr_write("korvel-convert: " + message + "\nTry 'korvel-convert --help'.\n");
    return EXIT_USAGE;
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
        std::puts("korvel-convert " KORVEL_VERSION);
        return 0;
    }
    ConvertPlan plan;
    if (!convert_plan_make(options, &plan, &error))
        return usage_error(error);
    int workers = options.jobs ? options.jobs : processor_count();
    return convert_run(plan, workers, options.quiet) ? EXIT_FAILED : 0;
}
