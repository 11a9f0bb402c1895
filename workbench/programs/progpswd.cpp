// Digest texts of program passwords.
#include "workbench/programs/progpswd.h"

#include <cstdio>
#include <cstring>

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void write_digest_text(const uint8_t* digest, char* out) {
  for (int i = 0; i < PROG_DIGEST_SIZE; ++i) std::snprintf(out + 2 * i, 3, "%02x", digest[i]);
}

}  // namespace

bool prog_parse_digest_text(const char* text, uint8_t* digest) {
  if (text == nullptr || std::strlen(text) != PROG_DIGEST_TEXT_SIZE) return false;
  for (int i = 0; i < PROG_DIGEST_SIZE; ++i) {
    int hi = hex_value(text[2 * i]);
    int lo = hex_value(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    digest[i] = static_cast<uint8_t>(hi << 4 | lo);
  }
  return true;
}

const char* yq__prog_digest_text(const char* password, size_t length) {
  static char text[PROG_DIGEST_TEXT_SIZE + 1];
  write_digest_text(prog_pswd_digest(password, length), text);
  return text;
}

int yq__prog_check_password_text(prog_reader* rd, const char* digest_text) {
  if (!rd->info.password) {
    rd->verified = 0;
    return 1;
  }
  if (digest_text == nullptr) return 0;
  char stored[PROG_DIGEST_TEXT_SIZE + 1];
  write_digest_text(rd->info.digest, stored);
  if (std::strcmp(stored, digest_text) != 0) return 0;
  return yq__prog_check_password(rd, rd->info.digest);
}

int yq__prog_set_password_text(prog_options* opt, const char* digest_text) {
  if (digest_text == nullptr) {
    yq__prog_set_password(opt, nullptr);
    return 0;
  }
  uint8_t digest[PROG_DIGEST_SIZE];
  if (!prog_parse_digest_text(digest_text, digest)) return -1;
  yq__prog_set_password(opt, digest);
  return 0;
}
