// A fresh directory for one test, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct TempDir {
    std::filesystem::path path;

    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // Writes `bytes` to the file `name` inside the directory; returns its path.
    std::string write(const std::string &name, std::string_view bytes) const;
    std::string file(const std::string &name) const { return (path / name).string(); }
};

std::string read_file(const std::string &path);

// Lines of `content`, each ended by a line feed; a missing last feed fails the test.
std::vector<std::string> split_lines(const std::string &content);
