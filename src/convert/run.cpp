#include "convert/run.h"

#include "convert/job_report.h"
#include "convert/system.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// From this size on a single document shows a progress line.
constexpr unsigned long long LONG_DOCUMENT_BYTES = 4ull << 20;
// Quick runs finish before the line would appear.
constexpr auto PROGRESS_DELAY = std::chrono::milliseconds(500);
constexpr auto PROGRESS_INTERVAL = std::chrono::milliseconds(250);

struct Reporter {
    std::mutex lock; // over standard error and the fields below
    std::condition_variable finished;
    bool done = false;
    bool line_shown = false; // a progress line is on the terminal
    size_t line_width = 0;   // its length, which the next one covers with spaces
    size_t total_files = 0;
    unsigned long long total_bytes = 0;
    std::atomic<size_t> files_done{0};
    std::atomic<bool> stopped{false}; // the report could not be written: take no more jobs
    std::atomic<unsigned long long> bytes_done{0};
    Clock::time_point start;
};

Reporter reporter;

// Overwrites the progress line with `text` (plain characters: a Windows
// console knows no terminal escapes), and spaces over the rest of the last one.
void rewrite_line_locked(const std::string &text) {
    size_t width = std::max(text.size(), reporter.line_width);
    std::fputs(("\r" + text + std::string(width - text.size(), ' ')).c_str(), stderr);
    std::fflush(stderr);
    reporter.line_width = text.size();
}

void clear_line_locked() {
    if (reporter.line_shown) {
        rewrite_line_locked("");
        std::fputs("\r", stderr);
    }
    reporter.line_shown = false;
}

void report_failure(const std::string &message) {
    std::string line = "korvel-convert: " + message + "\n";
    std::lock_guard hold(reporter.lock);
    clear_line_locked();
    stderr_write(line);
}

std::string minutes_seconds(double seconds) {
    long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

void draw_progress_locked() {
    double elapsed = std::chrono::duration<double>(Clock::now() - reporter.start).count();
    double done = static_cast<double>(reporter.bytes_done.load());
    double total = static_cast<double>(reporter.total_bytes);
    std::string left = done > 0 && total > done
                           ? ", about " + minutes_seconds(elapsed * (total - done) / done) + " left"
                           : "";
    char files[64] = "";
    if (reporter.total_files > 1) // one document is its megabytes alone
        std::snprintf(files, sizeof files, "%zu of %zu files, ", reporter.files_done.load(),
                      reporter.total_files);
    char text[160];
    std::snprintf(text, sizeof text, "%s%.1f of %.1f MB, %s elapsed%s", files, done / 1e6,
                  total / 1e6, minutes_seconds(elapsed).c_str(), left.c_str());
    rewrite_line_locked(text);
    reporter.line_shown = true;
}

void show_progress() {
    std::unique_lock hold(reporter.lock);
    if (reporter.finished.wait_for(hold, PROGRESS_DELAY, [] { return reporter.done; }))
        return;
    do
        draw_progress_locked();
    while (!reporter.finished.wait_for(hold, PROGRESS_INTERVAL, [] { return reporter.done; }));
    clear_line_locked();
}

// One job's share of the progress: the bytes its writer reported.
struct JobProgress {
    unsigned long long reported = 0;
};

void advance(void *context, size_t bytes) {
    static_cast<JobProgress *>(context)->reported += bytes;
    reporter.bytes_done += bytes;
}

// Adds the record to the report, if there is one; a report that cannot be
// written stops the run, since what is converted after would go unrecorded.
void add_to_report(ConvertReport *report, ReportRecord record, Clock::time_point start) {
    if (!report)
        return;
    record.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::string reason;
    if (!report->write(record, &reason) && !reporter.stopped.exchange(true))
        report_failure(reason + "; stopped");
}

// Converts the job (unless it is up to date) and adds it to the report;
// false with `reason` set when it failed.
bool run_job(const JobSettings &settings, const ConvertJob &job, ConvertProgress *progress,
             ConvertReport *report, std::string *reason) {
    Clock::time_point start = Clock::now();
    ConvertJobResult result;
    bool done = job.up_to_date || convert_job_run(settings, job, progress, &result, reason);
    ReportRecord record = job_report_record(settings, job, result, done ? "" : *reason);
    if (done && report && !job_report_fixity(job, &record, reason)) {
        done = false;
        record = job_report_record(settings, job, result, *reason);
    }
    add_to_report(report, std::move(record), start);
    return done;
}

// The second walk's jobs on their way to the workers: a few at a time, so
// that memory does not grow with the number of files.
class JobQueue : public PlanSink {
  public:
    JobQueue(const JobSettings &settings, const PlanSurvey &survey, size_t capacity,
             ConvertReport *report)
        : settings_(settings), capacity_(capacity), report_(report) {
        for (const ConvertFailure &failure : survey.failures)
            named_.insert(failure.input);
    }
    void job(ConvertJob &&job) override {
        if (job.up_to_date && !report_) { // nothing to do but count it
            reporter.bytes_done += job.size;
            ++reporter.files_done;
            return;
        }
        std::unique_lock hold(lock_);
        changed_.wait(hold, [&] { return jobs_.size() < capacity_ || reporter.stopped; });
        jobs_.push_back(std::move(job));
        if (jobs_.size() == 1) // workers may be waiting
            changed_.notify_all();
    }
    // The first walk named its failures; what changed since is named now.
    void failure(ConvertFailure &&failure, bool) override {
        if (named_.count(failure.input))
            return;
        report_failure(failure_message(failure));
        add_to_report(report_, failure_report_record(settings_, failure), Clock::now());
        ++new_failures;
    }
    void notice(const std::string &) override {}
    bool stopped() const override { return reporter.stopped; }
    // False when there are no more jobs, or the run has stopped.
    bool take(ConvertJob *job) {
        std::unique_lock hold(lock_);
        changed_.wait(hold, [&] { return !jobs_.empty() || closed_ || reporter.stopped; });
        if (jobs_.empty() || reporter.stopped)
            return false;
        *job = std::move(jobs_.front());
        jobs_.pop_front();
        if (jobs_.size() + 1 == capacity_) // the walk may be waiting
            changed_.notify_all();
        return true;
    }
    void close() {
        std::lock_guard hold(lock_);
        closed_ = true;
        changed_.notify_all();
    }
    size_t new_failures = 0;

  private:
    const JobSettings &settings_;
    size_t capacity_;
    ConvertReport *report_;
    std::set<std::string> named_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<ConvertJob> jobs_;
    bool closed_ = false;
};

void work(const JobSettings &settings, JobQueue *queue, ConvertReport *report,
          std::atomic<size_t> *failed) {
    for (ConvertJob job; !reporter.stopped && queue->take(&job);) {
        JobProgress share;
        ConvertProgress progress{advance, &share};
        std::string reason;
        if (!run_job(settings, job, &progress, report, &reason)) {
            report_failure(job_input_name(job) + ": " + reason);
            ++*failed;
        }
        // The writers count line bytes; the file also held line ends and codes.
        if (job.size > share.reported)
            reporter.bytes_done += job.size - share.reported;
        ++reporter.files_done;
    }
    queue->close(); // wakes the walk when the run has stopped
}

// Jobs waiting for each worker.
constexpr size_t QUEUED_PER_WORKER = 64;

} // namespace

size_t convert_run(const JobSettings &settings, const PlanSurvey &survey,
                   const std::function<void(PlanSink *)> &walk, int workers, bool quiet,
                   ConvertReport *report) {
    for (const std::string &notice : survey.notices)
        report_failure(notice);
    reporter.start = Clock::now();
    for (const ConvertFailure &failure : survey.failures) {
        report_failure(failure_message(failure));
        add_to_report(report, failure_report_record(settings, failure), reporter.start);
    }
    reporter.total_files = survey.files;
    reporter.total_bytes = survey.bytes;
    std::thread progress;
    if (!quiet && stderr_is_terminal() &&
        (survey.files > 1 || reporter.total_bytes >= LONG_DOCUMENT_BYTES))
        progress = std::thread(show_progress);

    std::atomic<size_t> failed{0};
    size_t thread_count = std::min<size_t>(static_cast<size_t>(workers), survey.files);
    JobQueue queue(settings, survey, QUEUED_PER_WORKER * std::max<size_t>(thread_count, 1), report);
    if (thread_count > 0) {
        std::vector<std::thread> threads;
        for (size_t n = 0; n < thread_count; ++n)
            threads.emplace_back(work, std::cref(settings), &queue, report, &failed);
        walk(&queue);
        queue.close();
        for (std::thread &thread : threads)
            thread.join();
    }

    if (progress.joinable()) {
        {
            std::lock_guard hold(reporter.lock);
            reporter.done = true;
        }
        reporter.finished.notify_all();
        progress.join();
    }
    return failed + survey.failures.size() + queue.new_failures + reporter.stopped;
}

void convert_run_interrupted() {
    // The lock could be held by a worker for a moment, never for long.
    std::lock_guard hold(reporter.lock);
    if (reporter.line_shown)
        std::fputs("\n", stderr);
    reporter.line_shown = false;
}
