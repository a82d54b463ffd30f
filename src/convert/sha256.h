// SHA-256 digests of files, for the report's fixity. The hashing itself is
// the system's own: Nettle on Linux (sha256_nettle.cpp), CryptoAPI on
// Windows (sha256_win.cpp); reading the file is shared (sha256.cpp).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void add(const void *data, size_t size);
    // The digest of everything added, as 64 lower-case hex digits; empty
    // when the system could not hash. Call once.
    std::string hex_digest();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The digest of the file's bytes; false with `reason` set when it cannot be
// read to its end.
bool file_sha256(const std::string &path, std::string *hex_digest, std::string *reason);

// 32 digest bytes as 64 lower-case hex digits.
std::string sha256_hex(const unsigned char *digest);
