#include "convert/sha256.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

std::string sha256_hex(const unsigned char *digest) {
    static const char DIGITS[] = "0123456789abcdef";
    std::string hex;
    for (int n = 0; n < 32; ++n) {
        hex += DIGITS[digest[n] >> 4];
        hex += DIGITS[digest[n] & 15];
    }
    return hex;
}

bool file_sha256(const std::string &path, std::string *hex_digest, std::string *reason) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *reason =
            std::string("cannot open ") + path + " to take its SHA-256: " + std::strerror(errno);
        return false;
    }
    Sha256 hash;
    std::vector<unsigned char> buffer(256 * 1024);
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        hash.add(buffer.data(), got);
    bool failed = std::ferror(file);
    int error = errno;
    std::fclose(file);
    if (failed) {
        *reason = "cannot read " + path + " to take its SHA-256: " + std::strerror(error);
        return false;
    }
    *hex_digest = hash.hex_digest();
    if (hex_digest->empty())
        *reason = "the system could not take the SHA-256 of " + path;
    return !hex_digest->empty();
}
