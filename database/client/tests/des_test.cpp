// The DES block cipher against the published known-answer vectors, and the
// key derivation and string cipher against OpenSSL's independent DES.
#include "database/client/des.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/peers/dbserver/refcrypto.h"

namespace {

using refcrypto::Bytes;

Bytes from_hex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

Bytes our_make_key(const std::string& text) {
  std::string copy = text;
  unsigned char key[8];
  des_make_key(copy.data(), key);
  return Bytes(key, key + 8);
}

Bytes record_of(const Bytes& key) {
  Bytes r(9, 8);
  std::copy(key.begin(), key.end(), r.begin() + 1);
  return r;
}

TEST(DesBlock, KnownAnswerVectors) {
  struct Case {
    const char* key;
    const char* plain;
    const char* cipher;
  };
  const Case cases[] = {
      {"133457799bbcdff1", "0123456789abcdef", "85e813540f0ab405"},
      {"0123456789abcdef", "4e6f772069732074", "3fa40e8a984d4815"},
      {"0e329232ea6d0d73", "8787878787878787", "0000000000000000"},
      {"0101010101010101", "95f8a5e5dd31d900", "8000000000000000"},
      {"0101010101010101", "0000000000000000", "8ca64de9c1b123a7"},
      {"8001010101010101", "0000000000000000", "95a8d72813daa94d"},
      {"7ca110454a1a6e57", "01a1d6d039776742", "690f5b0d9a26939b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Bytes key = from_hex(c.key), plain = from_hex(c.plain);
    unsigned char out[8];
    DesKeySchedule encrypt, decrypt;
    des_set_key(key.data(), DES_KEY_ENCRYPT, &encrypt);
    des_set_key(key.data(), DES_KEY_DECRYPT, &decrypt);
    des_encrypt_block(encrypt, plain.data(), out);
    EXPECT_EQ(refcrypto::hex(out, 8), c.cipher);
    des_encrypt_block(decrypt, out, out);  // in place
    EXPECT_EQ(refcrypto::hex(out, 8), c.plain);
  }
}

TEST(DesBlock, AgreesWithOpenSslOnRandomKeysAndBlocks) {
  std::mt19937 rng(1234);
  for (int n = 0; n < 300; ++n) {
    Bytes key(8), block(8);
    for (auto& b : key) b = static_cast<unsigned char>(rng());
    for (auto& b : block) b = static_cast<unsigned char>(rng());
    int dir = n % 2;
    unsigned char out[8];
    DesKeySchedule schedule;
    des_set_key(key.data(), dir, &schedule);
    des_encrypt_block(schedule, block.data(), out);
    ASSERT_EQ(Bytes(out, out + 8), refcrypto::block(key, block, dir == DES_KEY_ENCRYPT)) << n;
  }
}

TEST(DesBlock, TripleFoldIsEncryptDecryptEncrypt) {
  Bytes k16 = from_hex("0123456789abcdeffedcba9876543210"), in = from_hex("0011223344556677");
  unsigned char out[8];
  DesKeySchedule3 schedule;
  des_set_key2(k16.data(), DES_KEY_ENCRYPT, &schedule);
  des_encrypt_block3(schedule, in.data(), out);
  Bytes a(k16.begin(), k16.begin() + 8), b(k16.begin() + 8, k16.end());
  Bytes expect = refcrypto::block(a, refcrypto::block(b, refcrypto::block(a, in, 1), 0), 1);
  EXPECT_EQ(Bytes(out, out + 8), expect);
}

TEST(DesKey, DerivationAgreesWithIndependentFold) {
  const std::string texts[] = {"",
                               "a",
                               "secret",
                               "8charsXY",
                               "9charsXYZ",
                               "a text of seventeen",
                               std::string("\xe9t\xe9", 3),
                               std::string(64, 'c')};
  for (const std::string& t : texts) {
    SCOPED_TRACE(t);
    EXPECT_EQ(our_make_key(t), refcrypto::make_key(t));
  }
  // High bits are dropped: a character and its 0x80 twin give one key.
  EXPECT_EQ(our_make_key("\xc1"), our_make_key("A"));
}

TEST(DesKey, WipesTextAndLeavesTheCallersScheduleAlone) {
  Bytes key = from_hex("133457799bbcdff1"), plain = from_hex("0123456789abcdef");
  DesKeySchedule schedule;
  des_set_key(key.data(), DES_KEY_ENCRYPT, &schedule);
  char text[] = "challenge-text";
  unsigned char derived[8];
  des_make_key(text, derived);
  for (char ch : text) EXPECT_EQ(ch, '\0');
  unsigned char out[8];
  des_encrypt_block(schedule, plain.data(), out);
  EXPECT_EQ(refcrypto::hex(out, 8), "85e813540f0ab405");

  char again[] = "challenge-text";
  unsigned char* record = des_key_from_text(again);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record[0], 8);
  EXPECT_EQ(Bytes(record + 1, record + 9), Bytes(derived, derived + 8));
  std::free(record);
}

TEST(DesString, EncryptionAgreesWithOpenSslAndDecryptsBack) {
  Bytes key = our_make_key("a challenge");
  Bytes record = record_of(key);
  for (size_t n = 0; n <= 17; ++n) {
    std::string plain;
    for (size_t i = 0; i < n; ++i) plain += static_cast<char>('A' + i);
    SCOPED_TRACE(n);
    char* hex = nullptr;
    int size = des_encrypt_hex(record.data(), reinterpret_cast<const unsigned char*>(plain.data()), n, &hex);
    ASSERT_GE(size, 0);
    ASSERT_NE(hex, nullptr);
    EXPECT_EQ(std::strlen(hex), (n / 8 + 1) * 16);
    EXPECT_GE(static_cast<size_t>(size), std::strlen(hex) + 1);
    EXPECT_EQ(std::string(hex), refcrypto::encrypt_hex(key, plain));

    unsigned char* back = nullptr;
    int len = des_decrypt_hex(record.data(), hex, std::strlen(hex), &back);
    ASSERT_EQ(len, static_cast<int>(n));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back), n), plain);
    EXPECT_EQ(back[n], 0);
    std::free(back);
    std::free(hex);
  }
}

TEST(DesString, DecryptionAcceptsUpperCaseHex) {
  Bytes key = our_make_key("k");
  Bytes record = record_of(key);
  std::string hex = refcrypto::encrypt_hex(key, "pass");
  for (char& ch : hex) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  unsigned char* back = nullptr;
  ASSERT_EQ(des_decrypt_hex(record.data(), hex.c_str(), hex.size(), &back), 4);
  EXPECT_STREQ(reinterpret_cast<char*>(back), "pass");
  std::free(back);
}

TEST(DesString, RefusesBadRecordsLengthsDigitsAndPadCounts) {
  Bytes key = our_make_key("k");
  Bytes record = record_of(key);
  Bytes bad_record = record;
  bad_record[0] = 7;
  char* hex = nullptr;
  unsigned char* plain = nullptr;
  const unsigned char data[] = "x";
  EXPECT_EQ(des_encrypt_hex(bad_record.data(), data, 1, &hex), -1);
  std::string good = refcrypto::encrypt_hex(key, "x");
  EXPECT_EQ(des_decrypt_hex(bad_record.data(), good.c_str(), good.size(), &plain), -1);

  // Block whose pad byte is 0 or 9, encrypted by OpenSSL.
  auto block_with_pad = [&](unsigned char pad) {
    Bytes b(8, 0);
    b[7] = pad;
    Bytes c = refcrypto::block(key, b, 1);
    return refcrypto::hex(c.data(), 8);
  };
  const std::string bad_inputs[] = {
      "",                         // no block at all
      good.substr(0, 15),         // short of a block
      good + "0",                 // a stray digit
      good.substr(0, 14) + "zz",  // not hex
      block_with_pad(0),          // pad count 0
      block_with_pad(9),          // pad count beyond the block
  };
  for (const std::string& in : bad_inputs) {
    SCOPED_TRACE(in);
    plain = nullptr;
    EXPECT_EQ(des_decrypt_hex(record.data(), in.c_str(), in.size(), &plain), -1);
    EXPECT_EQ(plain, nullptr);
  }
}

}  // namespace
