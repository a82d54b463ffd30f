// The driver: what the viewer wrote to its log and told the recording
// plug-ins.
#include "viewer_driver_parts.h"

#include "support/log_records.h"

#include <algorithm>
#include <sstream>

namespace {

std::string line_of_value(int value) {
    return " value=" + std::to_string(value);
}

} // namespace

bool is_marker(const std::string &line) {
    static const std::string suffix = line_of_value(MARKER_KEY);
    return line.rfind("KeyPress ", 0) == 0 && line.size() >= suffix.size() &&
           line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<std::string> text_lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> plugin_calls(const ViewerRun &run, const char *plugin) {
    auto lines = text_lines(read_file(run.folder + "\\Plugins\\" + plugin + ".calls"));
    lines.erase(std::remove_if(lines.begin(), lines.end(), is_marker), lines.end());
    return lines;
}

std::vector<std::string> plugin_calls_of(const ViewerRun &run, const std::string &export_name) {
    std::vector<std::string> found;
    for (const auto &call : plugin_calls(run))
        if (call.rfind(export_name + " ", 0) == 0)
            found.push_back(call);
    return found;
}

std::vector<std::string> log_messages(const std::string &folder) {
    std::vector<std::string> messages;
    for (const auto &line : text_lines(read_file(folder + "\\debug.log"))) {
        messages.push_back(log_record_message(line).value_or(line));
    }
    return messages;
}

int count_of(const std::vector<std::string> &lines, const std::string &line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}
