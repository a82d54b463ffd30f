// The run's report for archive systems: one JSON object per input, one per
// line (JSON Lines), written and flushed as each input finishes, so a
// killed run keeps what it reported and reports of several runs or
// machines concatenate.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

enum class ReportStatus { converted, up_to_date, failed };

struct ReportOutput {
    std::string path;   // as the program names it: "-" is standard output
    std::string sha256; // empty when not known (standard output)
};

// What became of one input. Numbers below 0 are not known and written as null.
struct ReportRecord {
    std::string input;  // as given or found; "-" is standard input
    std::string format; // "pdf", "txt", "html", "png"
    ReportStatus status = ReportStatus::failed;
    std::string error; // why it failed
    std::vector<ReportOutput> outputs;
    long long lines = -1;
    long long pages = -1; // PDF and PNG
    long long input_size = -1;
    std::string input_sha256;
    double seconds = 0;
};

// `bytes` as a JSON string. Bytes that are not UTF-8 become \udc80 ...
// \udcff, each standing for one byte, so a path that is not UTF-8 is kept
// exactly (Python's "surrogateescape" reads it back).
std::string json_string(const std::string &bytes);
// The record as one JSON object and a line feed; paths and texts that the
// system gives in its own code page are turned into UTF-8 first.
std::string report_line(const ReportRecord &record);

class ConvertReport {
  public:
    ~ConvertReport();
    // Appends to `path` ("-": standard output); false with `reason` set.
    bool open(const std::string &path, std::string *reason);
    bool is_open() const { return stream_ != nullptr; }
    const std::string &path() const { return path_; }
    // Writes and flushes one line; any thread. False with `reason` set when
    // it could not be written whole (a full disk, say).
    bool write(const ReportRecord &record, std::string *reason);

  private:
    std::mutex lock_;
    std::FILE *stream_ = nullptr;
    std::string path_;
};
