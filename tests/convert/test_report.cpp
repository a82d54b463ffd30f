// The report's pieces: SHA-256 digests (the system's hashing, natively and
// under Wine) and JSON strings that keep every path byte. The command tests
// check the report's lines.
#include "convert/report.h"
#include "convert/sha256.h"

#include <gtest/gtest.h>

namespace {

std::string digest_of(const std::string &data) {
    Sha256 hash;
    hash.add(data.data(), data.size());
    return hash.hex_digest();
}

} // namespace

TEST(Sha256, KnownDigests) {
    // FIPS 180-2's examples, and a million 'a's fed in uneven parts.
    EXPECT_EQ(digest_of(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(digest_of("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(digest_of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    Sha256 hash;
    std::string block(997, 'a');
    size_t left = 1000000;
    for (; left >= block.size(); left -= block.size())
        hash.add(block.data(), block.size());
    hash.add(block.data(), left);
    EXPECT_EQ(hash.hex_digest(),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(JsonString, KeepsEveryByte) {
    struct Case {
        std::string bytes, json;
    } cases[] = {
        {"plain/path.krv", R"("plain/path.krv")"},
        {"quote\" back\\slash", R"("quote\" back\\slash")"},
        {"tab\tline\nnul" + std::string(1, '\0'), R"("tab\u0009line\u000anul\u0000")"},
        {"Архив/отчёт €😀", R"("Архив/отчёт €😀")"},
        // CP1251 "отчёт": no UTF-8, each byte kept as one escape.
        {"\xee\xf2\xf7\xb8\xf2", R"("\udcee\udcf2\udcf7\udcb8\udcf2")"},
        // A cut sequence, an overlong slash, a surrogate, past U+10FFFF.
        {"\xd0", R"("\udcd0")"},
        {"\xc0\xaf", R"("\udcc0\udcaf")"},
        {"\xed\xa0\x80", R"("\udced\udca0\udc80")"},
        {"\xf4\x90\x80\x80", R"("\udcf4\udc90\udc80\udc80")"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(json_string(c.bytes), c.json) << c.json;
}
