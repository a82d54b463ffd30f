#include "convert/report.h"

#include "convert/system.h"
#include "korvel_version.h"

#include <cerrno>
#include <cstring>

namespace {

// The length of the UTF-8 sequence at `text`, or 0 when it is not one
// (a stray or missing continuation byte, an overlong form, a surrogate,
// past U+10FFFF).
size_t utf8_sequence_length(const unsigned char *text, size_t left) {
    unsigned char lead = text[0];
    size_t length = lead < 0x80                    ? 1
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || length > left)
        return 0;
    for (size_t n = 1; n < length; ++n)
        if ((text[n] & 0xC0) != 0x80)
            return 0;
    // The second byte's range excludes overlong forms, surrogates and
    // values past U+10FFFF.
    unsigned char second = text[1];
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

const char *status_name(ReportStatus status) {
    switch (status) {
    case ReportStatus::converted:
        return "converted";
    case ReportStatus::up_to_date:
        return "up-to-date";
    case ReportStatus::failed:
        break;
    }
    return "failed";
}

std::string number_or_null(long long value) {
    return value < 0 ? "null" : std::to_string(value);
}

std::string text_or_null(const std::string &text) {
    return text.empty() ? "null" : json_string(path_utf8(text));
}

} // namespace

std::string json_string(const std::string &bytes) {
    static const char DIGITS[] = "0123456789abcdef";
    const auto *text = reinterpret_cast<const unsigned char *>(bytes.data());
    std::string json = "\"";
    for (size_t at = 0; at < bytes.size();) {
        unsigned char byte = text[at];
        size_t length = utf8_sequence_length(text + at, bytes.size() - at);
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += static_cast<char>(byte);
        } else if (byte < 0x20 || length == 0) {
            json += byte < 0x20 ? "\\u00" : "\\udc";
            json += DIGITS[byte >> 4];
            json += DIGITS[byte & 15];
        } else {
            json.append(bytes, at, length);
            at += length;
            continue;
        }
        ++at;
    }
    return json + "\"";
}

std::string report_line(const ReportRecord &record) {
    std::string outputs;
    for (const ReportOutput &output : record.outputs)
        outputs += std::string(outputs.empty() ? "" : ",") +
                   "{\"path\":" + json_string(path_utf8(output.path)) +
                   ",\"sha256\":" + text_or_null(output.sha256) + "}";
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", record.seconds);
    return "{\"input\":" + json_string(path_utf8(record.input)) + ",\"format\":\"" + record.format +
           "\",\"status\":\"" + status_name(record.status) +
           "\",\"error\":" + text_or_null(record.error) + ",\"outputs\":[" + outputs +
           "],\"lines\":" + number_or_null(record.lines) +
           ",\"pages\":" + number_or_null(record.pages) +
           ",\"input_size\":" + number_or_null(record.input_size) +
           ",\"input_sha256\":" + text_or_null(record.input_sha256) +
           ",\"converter\":\"korvel-convert " KORVEL_VERSION_STRING "\",\"seconds\":" + seconds +
           "}\n";
}

ConvertReport::~ConvertReport() {
    if (stream_ && stream_ != stdout)
        std::fclose(stream_);
}

bool ConvertReport::open(const std::string &path, std::string *reason) {
    path_ = path;
    stream_ = path == "-" ? stdout : std::fopen(path.c_str(), "ab");
    if (!stream_)
        *reason = "cannot open the report " + path + ": " + std::strerror(errno);
    return stream_ != nullptr;
}

bool ConvertReport::write(const ReportRecord &record, std::string *reason) {
    std::string line = report_line(record);
    std::lock_guard hold(lock_);
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), stream_) == line.size() &&
        std::fflush(stream_) == 0)
        return true;
    *reason = "cannot write the report " +
              (path_ == "-" ? std::string("to standard output") : path_) + ": " +
              (errno ? std::strerror(errno) : "write error");
    return false;
}
