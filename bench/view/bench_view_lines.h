// What the viewer benchmarks share: their clock, the median of repeated
// runs, and a document of numbered lines.
#pragma once

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

inline double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Lines "Line <i> " filled with x to `width`, CR LF; with `mark_every`, every
// such line holds "MARK" after its number.
inline void write_lines(const std::string &path, long count, size_t width, long mark_every = 0) {
    std::ofstream out(path, std::ios::binary);
    std::string line;
    for (long i = 0; i < count; ++i) {
        bool marked = mark_every > 0 && i % mark_every == 0;
        line = "Line " + std::to_string(i) + (marked ? " MARK " : " ");
        line.resize(width, 'x');
        line += "\r\n";
        out << line;
    }
}
