#include "workbench/shell/pswdcrypt.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "database/client/des.h"

namespace {

const char* const kKey = "server-key";

TEST(PswdCrypt, RoundTripAndLengths) {
  for (size_t n = 0; n <= 17; ++n) {
    std::string clear;
    for (size_t i = 0; i < n; ++i) clear += static_cast<char>('a' + i);
    std::string cipher = EncryptString(clear.c_str(), kKey);
    EXPECT_EQ(cipher.size(), 16 * (n / 8 + 1)) << n;
    for (char c : cipher) EXPECT_TRUE(isdigit(static_cast<unsigned char>(c)) || (c >= 'a' && c <= 'f')) << cipher;
    EXPECT_EQ(DecryptString(cipher.c_str(), kKey), clear) << n;
  }
  EXPECT_EQ(EncryptString("", kKey).size(), 16u);
  EXPECT_EQ(EncryptString("12345678", kKey).size(), 32u);
  EXPECT_NE(EncryptString("secret", kKey), EncryptString("secret", "other-key"));
}

TEST(PswdCrypt, EmptyClearTextIsSevenZerosAndTheCount8) {
  DesKeyObject key;
  ASSERT_TRUE(Des_MakeKeyObject(kKey, &key));
  std::string cipher = EncryptString("", kKey);
  unsigned char block[8];
  for (int i = 0; i < 8; ++i)
    block[i] = static_cast<unsigned char>(HexDigitValue(cipher[2 * i]) * 16 + HexDigitValue(cipher[2 * i + 1]));
  DesKeySchedule schedule;
  des_set_key(key.key, DES_KEY_DECRYPT, &schedule);
  des_encrypt_block(schedule, block, block);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 8), std::string("\0\0\0\0\0\0\0\x08", 8));
  EXPECT_EQ(DecryptString(cipher.c_str(), kKey), "");
}

TEST(PswdCrypt, SameTextAsTheDatabaseClientCipher) {
  char text[] = "server-key";
  unsigned char* record = des_key_from_text(text);
  ASSERT_NE(record, nullptr);
  char* hex = nullptr;
  const char clear[] = "p4ssw0rd!";
  ASSERT_GT(des_encrypt_hex(record, reinterpret_cast<const unsigned char*>(clear), 9, &hex), 0);
  EXPECT_EQ(EncryptString(clear, kKey), hex);
  free(hex);
  free(record);
}

TEST(PswdCrypt, UpperCaseDigitsDecipherAlike) {
  std::string cipher = EncryptString("Hello", kKey);
  std::string upper = cipher;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(DecryptString(upper.c_str(), kKey), "Hello");
}

TEST(PswdCrypt, MalformedCipherTextsAreRefused) {
  std::string good = EncryptString("password", kKey);
  ASSERT_EQ(good.size(), 32u);
  std::string bad_digit = good;
  bad_digit[20] = 'g';
  std::string tail = good + "0";

  // Blocks whose pad count is 0 or 9.
  DesKeyObject key;
  ASSERT_TRUE(Des_MakeKeyObject(kKey, &key));
  std::string pad0, pad9;
  unsigned char zero[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 0};
  unsigned char nine[8] = {0, 0, 0, 0, 0, 0, 0, 9};
  for (auto [block, out] : {std::pair{zero, &pad0}, std::pair{nine, &pad9}}) {
    DesKeySchedule schedule;
    des_set_key(key.key, DES_KEY_ENCRYPT, &schedule);
    unsigned char enc[8];
    des_encrypt_block(schedule, block, enc);
    char digits[17];
    for (int i = 0; i < 8; ++i) snprintf(digits + 2 * i, 3, "%02x", enc[i]);
    *out = digits;
  }

  for (const std::string& cipher :
       {std::string(""), good.substr(0, 15), good.substr(0, 24), tail, bad_digit, std::string(16, ' '), pad0, pad9})
    EXPECT_EQ(DecryptString(cipher.c_str(), kKey), "") << cipher;
  std::string clear = "unchanged";
  EXPECT_EQ(Des_DecryptFromHex(&key, good.c_str(), 15, &clear), -1);
  EXPECT_EQ(clear, "unchanged");
  DesKeyObject wrong = key;
  wrong.length = 16;
  EXPECT_EQ(Des_DecryptFromHex(&wrong, good.c_str(), good.size(), &clear), -1);
  EXPECT_EQ(Des_EncryptToHex(&wrong, "x", 1, &clear), -1);
  EXPECT_EQ(Des_EncryptToHex(&key, "x", 1, &clear), 17);
}

TEST(PswdCrypt, KeyTextIsLeftIntactAndMayBeLong) {
  std::string key = "my key";
  std::string cipher = EncryptString("pw", key.c_str());
  EXPECT_EQ(key, "my key");
  std::string long_key(5000, 'k');
  long_key[4999] = 'z';
  std::string long_cipher = EncryptString("pw", long_key.c_str());
  ASSERT_EQ(long_cipher.size(), 16u);
  EXPECT_EQ(DecryptString(long_cipher.c_str(), long_key.c_str()), "pw");
}

TEST(PswdCrypt, HexDigitValues) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('a'), 10);
  EXPECT_EQ(HexDigitValue('F'), 15);
  EXPECT_EQ(HexDigitValue('g'), -1);
  EXPECT_EQ(HexDigitValue(' '), -1);
}

}  // namespace
