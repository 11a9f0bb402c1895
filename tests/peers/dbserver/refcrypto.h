// The logon's cipher and digests written on OpenSSL, apart from the client's
// own DES, so that a fault in one is not mirrored in the other: the stand-in
// server deciphers logons with it, and the client's tests check its bytes.
#pragma once

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/crypto.h>
#include <openssl/des.h>
#include <openssl/evp.h>

#include <cstring>
#include <string>
#include <vector>

namespace refcrypto {

using Bytes = std::vector<unsigned char>;

// Lower-case hex of n bytes.
inline std::string hex(const unsigned char* p, size_t n) {
  static const char d[] = "0123456789abcdef";
  std::string s;
  s.reserve(2 * n);
  for (size_t i = 0; i < n; ++i) {
    s += d[p[i] >> 4];
    s += d[p[i] & 15];
  }
  return s;
}

// The MD5 digest of a text, in hex (the users file keeps passwords so).
inline std::string md5_hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  EVP_Digest(text.data(), text.size(), digest, &n, EVP_md5(), nullptr);
  return hex(digest, n);
}

// Single DES on one 8-byte block.
inline Bytes block(const Bytes& key, const Bytes& in, bool encrypt) {
  DES_cblock k, i, o;
  DES_key_schedule ks;
  std::memcpy(k, key.data(), 8);
  std::memcpy(i, in.data(), 8);
  DES_set_key_unchecked(&k, &ks);
  DES_ecb_encrypt(&i, &o, &ks, encrypt ? DES_ENCRYPT : DES_DECRYPT);
  return Bytes(o, o + 8);
}

// The key made from a text (the logon's challenge): two-key triple DES (EDE)
// under the start key, folding the text in 8 characters at a time.
inline Bytes make_key(const std::string& text) {
  static const unsigned char k0[16] = {0x3e, 0x91, 0xc4, 0x5b, 0x07, 0xda, 0x68, 0xf2,
                                       0xa5, 0x1c, 0x7e, 0x40, 0xb9, 0xd3, 0x26, 0x8f};
  DES_cblock a, b, key;
  std::memcpy(a, k0, 8);
  std::memcpy(b, k0 + 8, 8);
  DES_key_schedule ka, kb;
  DES_set_key_unchecked(&a, &ka);
  DES_set_key_unchecked(&b, &kb);
  std::memcpy(key, k0, 8);
  size_t pos = 0;
  do {
    for (int i = 0; i < 8 && pos < text.size(); ++i, ++pos) key[i] ^= static_cast<unsigned char>(text[pos] & 0x7f);
    DES_cblock out;
    DES_ecb3_encrypt(&key, &out, &ka, &kb, &ka, DES_ENCRYPT);
    std::memcpy(key, out, 8);
  } while (pos < text.size());
  return Bytes(key, key + 8);
}

// The string cipher: ECB over the text padded to whole blocks, the last byte
// of the last block the pad count (1 to 8), in lower-case hex.
inline std::string encrypt_hex(const Bytes& key, const std::string& plain) {
  Bytes padded(plain.begin(), plain.end());
  size_t rest = plain.size() % 8;
  padded.resize(plain.size() - rest + 8, 0);
  padded.back() = static_cast<unsigned char>(8 - rest);
  std::string out;
  for (size_t i = 0; i < padded.size(); i += 8) {
    Bytes c = block(key, Bytes(padded.begin() + i, padded.begin() + i + 8), true);
    out += hex(c.data(), 8);
  }
  return out;
}

// The inverse of encrypt_hex (hex digits of either case); false for a text
// that is not whole blocks of hex or whose pad count is outside 1 to 8.
inline bool decrypt_hex(const Bytes& key, const std::string& text, std::string* plain) {
  if (text.empty() || text.size() % 16 != 0) return false;
  std::string bytes;
  for (size_t i = 0; i < text.size(); i += 16) {
    Bytes in(8);
    for (size_t j = 0; j < 8; ++j) {
      int hi = OPENSSL_hexchar2int(static_cast<unsigned char>(text[i + 2 * j]));
      int lo = OPENSSL_hexchar2int(static_cast<unsigned char>(text[i + 2 * j + 1]));
      if (hi < 0 || lo < 0) return false;
      in[j] = static_cast<unsigned char>(hi << 4 | lo);
    }
    Bytes out = block(key, in, false);
    bytes.append(out.begin(), out.end());
  }
  unsigned pad = static_cast<unsigned char>(bytes.back());
  if (pad < 1 || pad > 8) return false;
  *plain = bytes.substr(0, bytes.size() - pad);
  return true;
}

// The password as the logon sends it: under the key made from the challenge.
inline std::string logon_hex(const std::string& challenge, const std::string& password) {
  return encrypt_hex(make_key(challenge), password);
}

}  // namespace refcrypto

#pragma GCC diagnostic pop
