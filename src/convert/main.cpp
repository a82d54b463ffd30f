// korvel-convert: KORVEL documents and MS-DOS text files into PDF, UTF-8
// text, HTML or PNG pages.
#include "convert/font_set.h"
#include "convert/job.h"
#include "convert/options.h"
#include "convert/plan.h"
#include "convert/run.h"
#include "convert/system.h"
#include "convert/output_file.h"
#include "korvel_version.h"

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
        std::puts("korvel-convert " KORVEL_VERSION_STRING);
        return 0;
    }
    ConvertSettings settings{&options, nullptr, {}, {}};
    auto fonts = std::make_unique<ConvertFontSet>();
    if (options.format == ConvertFormat::pdf || options.format == ConvertFormat::png) {
        if (!convert_fonts_load(options.fonts_dir, fonts.get(), &error))
            return usage_error(error);
        for (int n = 0; n < FONT_COUNT; ++n)
            settings.fonts.glyphs[n] = fonts->glyphs[n].data();
    }
    settings.page =
        options.letter ? page_setup_letter(options.margin_mm) : page_setup_a4(options.margin_mm);
    if (!page_setup_holds_lines(settings.page))
        return usage_error("the margins leave no room for a line on the page");
    ConvertPlan plan;
    if (!convert_plan_make(options, &plan, &error))
        return usage_error(error);
    settings.plan = &plan;
    int workers = options.jobs ? options.jobs : processor_count();
    return convert_run(settings, workers) ? EXIT_FAILED : 0;
}
