// The logon cipher written on OpenSSL, to check the client's own bytes.
#pragma once

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/des.h>

#include <cstring>
#include <string>

namespace refcipher {

inline std::string hex(const unsigned char* b, size_t n) {
    static const char d[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += d[b[i] >> 4];
        s += d[b[i] & 15];
    }
    return s;
}

// The password under the key made from the challenge, as the logon sends it.
inline std::string logon_hex(const std::string& challenge, const std::string& password) {
    static const unsigned char k0[16] = {0x3e, 0x91, 0xc4, 0x5b, 0x07, 0xda, 0x68, 0xf2,
                                         0xa5, 0x1c, 0x7e, 0x40, 0xb9, 0xd3, 0x26, 0x8f};
    DES_cblock a, b, key;
    std::memcpy(a, k0, 8);
    std::memcpy(b, k0 + 8, 8);
    DES_key_schedule ka, kb, kk;
    DES_set_key_unchecked(&a, &ka);
    DES_set_key_unchecked(&b, &kb);
    std::memcpy(key, k0, 8);
    size_t pos = 0;
    do {
        for (int i = 0; i < 8 && pos < challenge.size(); ++i, ++pos)
            key[i] ^= static_cast<unsigned char>(challenge[pos] & 0x7f);
        DES_cblock out;
        DES_ecb3_encrypt(&key, &out, &ka, &kb, &ka, DES_ENCRYPT);
        std::memcpy(key, out, 8);
    } while (pos < challenge.size());
    DES_set_key_unchecked(&key, &kk);
    std::string padded = password;
    size_t rest = password.size() % 8;
    padded.append(8 - rest, '\0');
    padded.back() = static_cast<char>(8 - rest);
    std::string out;
    for (size_t i = 0; i < padded.size(); i += 8) {
        DES_cblock in, c;
        std::memcpy(in, padded.data() + i, 8);
        DES_ecb_encrypt(&in, &c, &kk, DES_ENCRYPT);
        out += hex(c, 8);
    }
    return out;
}

}  // namespace refcipher
#pragma GCC diagnostic pop
