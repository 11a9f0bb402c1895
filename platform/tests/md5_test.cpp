// Our MD5 against the standard's test suite and against libcrypto's digest
// at every length around the block and padding edges.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>

#include "platform/hexdigit.h"
#include "platform/md5.h"

namespace {

std::string hex(const uint8_t* digest) {
  std::string out;
  for (int i = 0; i < MD5_DIGEST_SIZE; ++i) hex_append_byte(&out, digest[i]);
  return out;
}

std::string ours(const std::string& text) {
  uint8_t digest[MD5_DIGEST_SIZE];
  md5_digest(text.data(), text.size(), digest);
  return hex(digest);
}

TEST(Md5, StandardSuite) {
  const struct {
    const char* text;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) EXPECT_EQ(ours(c.text), c.digest) << '"' << c.text << '"';
}

TEST(Md5, SameAsLibcryptoAtEveryLengthAroundTheBlocks) {
  std::string text;
  for (size_t n = 0; n <= 3 * 64 + 1; ++n) {
    uint8_t reference[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    ASSERT_EQ(EVP_Digest(text.data(), text.size(), reference, &size, EVP_md5(), nullptr), 1);
    ASSERT_EQ(size, static_cast<unsigned>(MD5_DIGEST_SIZE));
    EXPECT_EQ(ours(text), hex(reference)) << n << " bytes";
    text += static_cast<char>(0x80 + n * 37);  // bytes above 0x7f too
  }
}

}  // namespace
