#include "convert/up_to_date.h"

#include "convert/system.h"

#include <cstdio>
#include <strings.h>

std::string png_page_path(const std::string &output, int page) {
    size_t length = output.size();
    bool png_name = length > 4 && strcasecmp(output.c_str() + length - 4, ".png") == 0;
    char number[16];
    std::snprintf(number, sizeof number, "-%03d.png", page);
    return (png_name ? output.substr(0, length - 4) : output) + number;
}

std::vector<std::string> up_to_date_outputs(const std::string &output, ConvertFormat format,
                                            time_t not_before) {
    std::vector<std::string> found;
    bool png = format == ConvertFormat::png;
    for (int page = 1;; ++page) {
        std::string path = png ? png_page_path(output, page) : output;
        FileFacts facts{};
        std::string reason;
        if (!file_facts(path, &facts, &reason))
            break;
        if (facts.kind != FileKind::file || facts.modified < not_before)
            return {};
        found.push_back(path);
        if (!png)
            break;
    }
    return found;
}
