// korvel-convert: KORVEL documents and MS-DOS text files into PDF, UTF-8
// text, HTML or PNG pages.
#include "convert/font_set.h"
#include "convert/job.h"
#include "convert/options.h"
#include "convert/plan.h"
#include "convert/report.h"
#include "convert/run.h"
#include "convert/system.h"
#include "convert/output_file.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

int usage_error(const std::string &message) {
    stderr_write("korvel-convert: " + message + "\nTry 'korvel-convert --help'.\n");
    return EXIT_USAGE;
}

// Opens --report's file once the plan is made; false with `error` set when
// it cannot be opened or would go where an input or an output is.
bool open_report(const ConvertOptions &options, const ConvertPlan &plan, ConvertReport *report,
                 std::string *error) {
    bool output_to_stdout = false;
    for (const ConvertJob &job : plan.jobs)
        output_to_stdout = output_to_stdout || job.output == "-";
    if (options.report == "-" && output_to_stdout) {
        *error = "--report - and the converted document cannot share standard output";
        return false;
    }
    if (options.report != "-" && convert_plan_is_input(plan, options.report)) {
        *error = "the report " + options.report + " would be written into an input";
        return false;
    }
    return report->open(options.report, error);
}

} // namespace

int main(int argc, char **argv) {
    convert_system_start();
    output_files_guard_signals(convert_run_interrupted);
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
    ConvertSettings settings{&options, nullptr, {}, {}};
    auto fonts = std::make_unique<ConvertFontSet>();
    if (options.format == ConvertFormat::pdf || options.format == ConvertFormat::png) {
        if (!convert_fonts_load(options.fonts_dir, fonts.get(), &error))
            return usage_error(error);
        for (int n = 0; n < FONT_COUNT; ++n)
            settings.fonts.glyphs[n] = fonts->glyphs[n].data();
        settings.fonts_modified = fonts->modified;
    }
    settings.page =
        options.letter ? page_setup_letter(options.margin_mm) : page_setup_a4(options.margin_mm);
    if (!page_setup_holds_lines(settings.page))
        return usage_error("the margins leave no room for a line on the page");
    ConvertPlan plan;
    if (!convert_plan_make(options, settings.fonts_modified, &plan, &error))
        return usage_error(error);
    settings.plan = &plan;
    ConvertReport report;
    if (!options.report.empty()) {
        if (!open_report(options, plan, &report, &error)) {
            stderr_write("korvel-convert: " + error + "\n");
            return EXIT_USAGE;
        }
        settings.report = &report;
    }
    int workers = options.jobs ? options.jobs : processor_count();
    return convert_run(settings, workers) ? EXIT_FAILED : 0;
}
