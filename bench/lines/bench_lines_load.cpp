// Loads a generated ~100 MB CP866 document and prints the loader's speed next
// to a plain read of the same file that only counts line ends (the floor any
// loader pays), the processor time the load took on all threads (a helper
// thread prepares the loader's memory), and the process's peak memory.
//   bench_lines_load [megabytes] [scratch file] [one-line]
// With "one-line" the document is a single line of that many megabytes between
// two short ones, loaded once: the peak then shows what growing a long line
// costs beyond the line itself.
#include "bench_document.h"
#include "lines/line_file.h"
#include "lines/lines.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#endif

namespace {

double peak_memory_mb() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize / 1048576.0;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
#endif
}

#ifndef _WIN32
// Peak address space the process took (Wine reports no peak commit).
double peak_address_space_mb() {
    FILE *status = std::fopen("/proc/self/status", "r");
    char line[256];
    double kilobytes = 0;
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmPeak: %lf", &kilobytes) == 1)
            break;
    if (status)
        std::fclose(status);
    return kilobytes / 1024;
}
#endif

// Processor time of the whole process, all threads, in seconds.
double process_cpu_seconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](FILETIME time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

// "first line", one line of `megabytes` MB of 'a', "last line", CR LF each.
size_t write_one_line_document(const std::string &path, size_t megabytes) {
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fputs("first line\r\n", file);
    std::string block(1 << 20, 'a');
    for (size_t i = 0; i < megabytes; ++i)
        std::fwrite(block.data(), 1, block.size(), file);
    std::fputs("\r\nlast line\r\n", file);
    std::fclose(file);
    return megabytes * block.size() + 25;
}

int bench_one_line(const std::string &path, size_t megabytes) {
    size_t bytes = write_one_line_document(path, megabytes);
#ifdef __GLIBC__
    // As the Windows heap does, map every block from 512 KB on apiece and
    // give it back to the system when freed.
    mallopt(M_MMAP_THRESHOLD, 512 * 1024);
#endif
    double before = peak_memory_mb();
#ifndef _WIN32
    double space_before = peak_address_space_mb();
#endif
    LineList list = lines_new();
    auto start = std::chrono::steady_clock::now();
    int result = lines_load(&list, path.c_str());
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    int lines = lines_count(&list);
    lines_free(&list);
    std::remove(path.c_str());
    std::printf("one line of %zu MB: result %d, %d lines, %.1f ms, %.1f MB/s\n", megabytes, result,
                lines, took * 1e3, bytes / 1048576.0 / took);
    std::printf("peak memory: %.1f MB before the load, %.1f MB after: %.2f x the line\n", before,
                peak_memory_mb(), (peak_memory_mb() - before) / megabytes);
#ifndef _WIN32
    std::printf("peak address space: %.1f MB before the load, %.1f MB after: %.2f x the line\n",
                space_before, peak_address_space_mb(),
                (peak_address_space_mb() - space_before) / megabytes);
#endif
    return result == LINES_LOAD_OK && lines == 3 ? 0 : 1;
}

constexpr int ROUNDS = 5;

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv) {
    size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    std::string path = argc > 2 ? argv[2] : "bench-document.txt";
    if (argc > 3 && std::strcmp(argv[3], "one-line") == 0)
        return bench_one_line(path, megabytes);
    size_t bytes = bench_document_write(path, megabytes);
    double size_mb = bytes / 1048576.0;

    // Plain read: same block size as the loader, only counting line feeds.
    // Every round's count is checked: a count nobody reads lets the compiler
    // drop the search (memchr has no side effects) and time a bare read.
    double best_plain = 1e9;
    size_t feeds = 0;
    std::vector<char> block(256 * 1024);
    for (int round = 0; round < ROUNDS; ++round) {
        size_t previous = feeds;
        auto start = std::chrono::steady_clock::now();
        LinesRefusal refusal;
        LineFile *file = line_file_open(path.c_str(), &refusal);
        feeds = 0;
        for (long got; (got = line_file_read(file, block.data(), block.size())) > 0;)
            for (const char *at = block.data(), *end = at + got;
                 (at = static_cast<const char *>(std::memchr(at, '\n', end - at))); ++at)
                ++feeds;
        line_file_close(file);
        best_plain = std::min(best_plain, seconds_since(start));
        if (round > 0 && feeds != previous) {
            std::printf("plain read counted %zu line feeds, then %zu\n", previous, feeds);
            return 1;
        }
    }

    double best_load = 1e9, best_load_cpu = 0;
    int lines = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        LineList list = lines_new();
        double cpu_start = process_cpu_seconds();
        auto start = std::chrono::steady_clock::now();
        int result = lines_load(&list, path.c_str());
        double took = seconds_since(start);
        if (took < best_load) {
            best_load = took;
            best_load_cpu = process_cpu_seconds() - cpu_start;
        }
        lines = lines_count(&list);
        lines_free(&list);
        if (result != LINES_LOAD_OK) {
            std::printf("load failed: %d\n", result);
            return 1;
        }
    }
    // The other floor: putting that many bytes into freshly allocated memory
    // at all (the system maps and zeroes every new page), as any loader that
    // keeps the text must.
    size_t held = bytes + static_cast<size_t>(lines) * (sizeof(LineNode) + 1);
    double best_touch = 1e9;
    for (int round = 0; round < 3; ++round) {
        constexpr size_t CHUNK = 1 << 20;
        std::vector<char *> chunks;
        auto start = std::chrono::steady_clock::now();
        for (size_t done = 0; done < held; done += CHUNK) {
            char *chunk = static_cast<char *>(std::malloc(CHUNK));
            // volatile: stores to memory freed unread could be dropped.
            volatile char *bytes = chunk;
            for (size_t at = 0; at < CHUNK; at += 4096)
                bytes[at] = 1;
            chunks.push_back(chunk);
        }
        best_touch = std::min(best_touch, seconds_since(start));
        for (char *chunk : chunks)
            std::free(chunk);
    }

    // Diagnostic: the same loads when the allocator keeps freed memory, so
    // that every load after the first writes into pages touched before. The
    // difference to the figure above is what the system charges for new pages.
    double best_reused = 0;
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    best_reused = 1e9;
    for (int round = 0; round < 4; ++round) {
        LineList list = lines_new();
        auto start = std::chrono::steady_clock::now();
        lines_load(&list, path.c_str());
        if (round > 0)
            best_reused = std::min(best_reused, seconds_since(start));
        lines_free(&list);
    }
    malloc_trim(0);
#endif
    std::remove(path.c_str());

    std::printf("document: %.1f MB, %d lines (%zu line feeds)\n", size_mb, lines, feeds);
    std::printf("plain read:  %8.1f MB/s\n", size_mb / best_plain);
    std::printf("lines_load:  %8.1f MB/s, %.2f million lines/s\n", size_mb / best_load,
                lines / best_load / 1e6);
    std::printf("loader / plain read: %.2f\n", best_plain / best_load);
    std::printf("lines_load took %.1f ms, %.1f ms of processor time on all threads\n",
                best_load * 1e3, best_load_cpu * 1e3);
    std::printf("fresh memory for %.1f MB of lines: %.1f ms (plain read %.1f ms, loader %.1f ms)\n",
                held / 1048576.0, best_touch * 1e3, best_plain * 1e3, best_load * 1e3);
    if (best_reused > 0)
        std::printf("lines_load into reused memory (diagnostic): %8.1f MB/s, %.1f ms, "
                    "loader / plain read %.2f\n",
                    size_mb / best_reused, best_reused * 1e3, best_plain / best_reused);
    std::printf("peak memory: %.1f MB\n", peak_memory_mb());
    return 0;
}
