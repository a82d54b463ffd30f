#include "temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        std::ostringstream name;
        name << "korvel-test-" << stamp << '-' << counter++;
        path = fs::temp_directory_path() / name.str();
        std::error_code error;
        if (fs::create_directory(path, error))
            break;
    }
}

TempDir::~TempDir() {
    std::error_code error;
    fs::remove_all(path, error);
}

std::string TempDir::write(const std::string &name, std::string_view bytes) const {
    std::string full = file(name);
    std::ofstream out(full, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full;
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> split_lines(const std::string &content) {
    std::vector<std::string> lines;
    std::string::size_type start = 0, feed;
    while ((feed = content.find('\n', start)) != std::string::npos) {
        lines.push_back(content.substr(start, feed - start));
        start = feed + 1;
    }
    EXPECT_EQ(start, content.size()) << "text does not end with a line feed";
    return lines;
}
