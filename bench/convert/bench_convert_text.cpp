// The UTF-8 text export of the loader benchmark's generated ~100 MB document,
// next to `iconv -f cp866 -t utf-8` on the same file in the same run (which
// does less: it keeps the in-line codes) and the floor: reading the input and
// writing an output of the text export's size. Every output goes to a file
// beside the input; each figure is the best of a few rounds, as wall-clock
// time and as processor time (user and system), which a busy machine disturbs
// less.
//   bench_convert_text [megabytes] [scratch directory]
#include "bench_document.h"
#include "convert/writers/text_writer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int ROUNDS = 3;
constexpr size_t BLOCK = size_t{1} << 20;

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double cpu_seconds(const rusage &usage) {
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Processor time of this process, all threads.
double own_cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return cpu_seconds(usage);
}

// Wall-clock and processor seconds of one step.
struct Took {
    double wall, cpu;
};

void keep_best(Took &best, Took took) {
    best.wall = std::min(best.wall, took.wall);
    best.cpu = std::min(best.cpu, took.cpu);
}

void print_line(const char *what, Took took, double megabytes) {
    std::printf("%-36s %7.1f ms %7.1f MB/s   cpu %7.1f ms %7.1f MB/s\n", what, took.wall * 1e3,
                megabytes / took.wall, took.cpu * 1e3, megabytes / took.cpu);
}

size_t file_size(const std::string &path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<size_t>(info.st_size) : 0;
}

[[noreturn]] void fail(const char *what) {
    std::perror(what);
    std::exit(1);
}

// Reads `input` in blocks and writes `output_bytes` bytes to `output`.
Took time_floor(const std::string &input, const std::string &output, size_t output_bytes) {
    std::vector<char> block(BLOCK);
    double cpu_start = own_cpu_seconds();
    auto start = std::chrono::steady_clock::now();
    FILE *in = std::fopen(input.c_str(), "rb");
    FILE *out = std::fopen(output.c_str(), "wb");
    if (!in || !out)
        fail("floor");
    size_t read_total = 0;
    for (size_t got; (got = std::fread(block.data(), 1, block.size(), in)) > 0;)
        read_total += got;
    for (size_t left = output_bytes; left > 0;) {
        size_t part = left < BLOCK ? left : BLOCK;
        if (std::fwrite(block.data(), 1, part, out) != part)
            fail("floor write");
        left -= part;
    }
    std::fclose(in);
    if (std::fclose(out) != 0 || read_total == 0)
        fail("floor");
    return {seconds_since(start), own_cpu_seconds() - cpu_start};
}

Took time_iconv(const std::string &input, const std::string &output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    const char *argv[] = {"iconv", "-f", "cp866", "-t", "utf-8", input.c_str(), nullptr};
    auto start = std::chrono::steady_clock::now();
    pid_t child;
    if (posix_spawnp(&child, "iconv", &actions, nullptr, const_cast<char **>(argv), environ) != 0)
        fail("iconv");
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Took took{seconds_since(start), cpu_seconds(usage)};
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::printf("iconv failed\n");
        std::exit(1);
    }
    return took;
}

// Loads the document and writes its text export to `output`.
// Returns the whole and the write alone.
std::pair<Took, Took> time_export(const std::string &input, const std::string &output) {
    double cpu_start = own_cpu_seconds();
    auto start = std::chrono::steady_clock::now();
    LineList list = lines_new();
    if (lines_load(&list, input.c_str()) != LINES_LOAD_OK)
        fail("lines_load");
    double cpu_loaded = own_cpu_seconds();
    auto loaded = std::chrono::steady_clock::now();
    FILE *out = std::fopen(output.c_str(), "wb");
    if (!out || text_export_write(list, TextExportOptions{}, out, nullptr) != 0 ||
        std::fclose(out) != 0)
        fail("text export");
    double cpu_end = own_cpu_seconds();
    Took whole{seconds_since(start), cpu_end - cpu_start};
    Took write{seconds_since(loaded), cpu_end - cpu_loaded};
    lines_free(&list);
    return {whole, write};
}

} // namespace

int main(int argc, char **argv) {
    size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    std::string directory = argc > 2 ? argv[2] : ".";
    std::string input = directory + "/bench-convert-input.txt";
    std::string output = directory + "/bench-convert-output.txt";
    double input_mb = bench_document_write(input, megabytes) / 1048576.0;

    Took best_iconv{1e9, 1e9}, best_floor{1e9, 1e9}, best_write{1e9, 1e9}, best_whole{1e9, 1e9};
    size_t export_bytes = 0, iconv_bytes = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        keep_best(best_iconv, time_iconv(input, output));
        iconv_bytes = file_size(output);
        auto [whole, write] = time_export(input, output);
        keep_best(best_whole, whole);
        keep_best(best_write, write);
        export_bytes = file_size(output);
        keep_best(best_floor, time_floor(input, output, export_bytes));
    }
    std::remove(input.c_str());
    std::remove(output.c_str());

    std::printf("document: %.1f MB of CP866; UTF-8 output %.1f MB (iconv's %.1f MB)\n", input_mb,
                export_bytes / 1048576.0, iconv_bytes / 1048576.0);
    print_line("floor (read input, write output):", best_floor, input_mb);
    print_line("iconv -f cp866 -t utf-8:", best_iconv, input_mb);
    print_line("text export, load and write:", best_whole, input_mb);
    print_line("text export, write of loaded lines:", best_write, input_mb);
    std::printf("iconv / text export (load and write): %.2f wall, %.2f cpu\n",
                best_iconv.wall / best_whole.wall, best_iconv.cpu / best_whole.cpu);
    return 0;
}
