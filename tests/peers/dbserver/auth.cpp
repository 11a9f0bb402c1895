// Logon checks with OpenSSL's DES and MD5, kept apart from the client's own
// cipher so a fault in one is not mirrored in the other.
#include <cstring>
#include <fstream>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/des.h>
#include <openssl/evp.h>

#include "server.h"

namespace dbserver {

namespace {

const unsigned char kStartKey[16] = {0x3e, 0x91, 0xc4, 0x5b, 0x07, 0xda, 0x68, 0xf2,
                                     0xa5, 0x1c, 0x7e, 0x40, 0xb9, 0xd3, 0x26, 0x8f};

int hexval(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool decrypt_password(const std::string& challenge, const std::string& hex, std::string& plain) {
    DES_cblock a, b, key;
    std::memcpy(a, kStartKey, 8);
    std::memcpy(b, kStartKey + 8, 8);
    DES_key_schedule ka, kb, kk;
    DES_set_key_unchecked(&a, &ka);
    DES_set_key_unchecked(&b, &kb);
    std::memcpy(key, kStartKey, 8);
    size_t pos = 0;
    do {
        for (int i = 0; i < 8 && pos < challenge.size(); ++i, ++pos)
            key[i] ^= static_cast<unsigned char>(challenge[pos] & 0x7f);
        DES_cblock out;
        DES_ecb3_encrypt(&key, &out, &ka, &kb, &ka, DES_ENCRYPT);
        std::memcpy(key, out, 8);
    } while (pos < challenge.size());

    if (hex.empty() || hex.size() % 16 != 0) return false;
    DES_set_key_unchecked(&key, &kk);
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 16) {
        DES_cblock in, out;
        for (int j = 0; j < 8; ++j) {
            int hi = hexval(hex[i + 2 * j]), lo = hexval(hex[i + 2 * j + 1]);
            if (hi < 0 || lo < 0) return false;
            in[j] = static_cast<unsigned char>(hi << 4 | lo);
        }
        DES_ecb_encrypt(&in, &out, &kk, DES_DECRYPT);
        bytes.append(reinterpret_cast<char*>(out), 8);
    }
    unsigned pad = static_cast<unsigned char>(bytes.back());
    if (pad < 1 || pad > 8) return false;
    plain = bytes.substr(0, bytes.size() - pad);
    return true;
}

std::string md5_hex(const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_Digest(text.data(), text.size(), digest, &n, EVP_md5(), nullptr);
    return hex(digest, n);
}

bool load_users(const std::string& path, State& state, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read users file " + path;
        return false;
    }
    state.users_required = true;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        size_t colon = line.find(':');
        std::string digest = colon == std::string::npos ? "" : line.substr(colon + 1);
        if (colon == std::string::npos || digest.size() != 32) {
            error = path + ":" + std::to_string(number) + ": expected name:md5-hex";
            return false;
        }
        state.users[line.substr(0, colon)] = digest;
    }
    return true;
}

}  // namespace dbserver
#pragma GCC diagnostic pop
