#include "convert/sha256.h"

#include <windows.h>

#include <wincrypt.h>

// The headers hide it from builds for XP before SP3, as this one is; every
// Windows since XP SP3, and Wine, hash with it.
#ifndef CALG_SHA_256
#define CALG_SHA_256 (ALG_CLASS_HASH | ALG_TYPE_ANY | 12)
#endif

namespace {

// One provider for the whole run (0 when there is none); each hash object
// is used by one thread.
HCRYPTPROV provider() {
    static HCRYPTPROV handle = [] {
        HCRYPTPROV acquired = 0;
        return CryptAcquireContextA(&acquired, nullptr, nullptr, PROV_RSA_AES,
                                    CRYPT_VERIFYCONTEXT | CRYPT_SILENT)
                   ? acquired
                   : 0;
    }();
    return handle;
}

} // namespace

struct Sha256::State {
    HCRYPTHASH hash = 0; // 0 once anything failed
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (!provider() || !CryptCreateHash(provider(), CALG_SHA_256, 0, 0, &state_->hash))
        state_->hash = 0;
}

Sha256::~Sha256() {
    if (state_->hash)
        CryptDestroyHash(state_->hash);
}

void Sha256::add(const void *data, size_t size) {
    // CryptHashData takes a DWORD: huge blocks go in parts.
    const BYTE *bytes = static_cast<const BYTE *>(data);
    while (state_->hash && size > 0) {
        DWORD part = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        if (!CryptHashData(state_->hash, bytes, part, 0)) {
            CryptDestroyHash(state_->hash);
            state_->hash = 0;
        }
        bytes += part;
        size -= part;
    }
}

std::string Sha256::hex_digest() {
    unsigned char digest[32];
    DWORD size = sizeof digest;
    if (!state_->hash || !CryptGetHashParam(state_->hash, HP_HASHVAL, digest, &size, 0) ||
        size != sizeof digest)
        return "";
    return sha256_hex(digest);
}
