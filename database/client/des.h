// DES block cipher (FIPS 46) and the string cipher built on it: a key derived
// from a text, and byte strings encrypted in ECB mode into lower-case hex.
//
// A key schedule is a value that the caller owns and hands to every block
// operation, so any number of keys can be in use at the same time.
#pragma once

#include <cstddef>
#include <cstdint>

enum { DES_KEY_ENCRYPT = 0, DES_KEY_DECRYPT = 1 };

// Length of a key record: a length byte (always 8) and the 8 key bytes.
enum { DES_KEY_RECORD_SIZE = 9 };

// The 16 round keys of one key: per round two words holding the 48-bit round
// key as two 24-bit halves (S-box groups 1-4 and 5-8).
struct DesKeySchedule {
  uint32_t words[32];
};

// The three schedules of two-key triple DES: left, right and third.
struct DesKeySchedule3 {
  DesKeySchedule left, right, third;
};

// Builds the 16 round keys of an 8-byte key for encryption (0) or decryption
// (1) into *schedule. Parity bits are ignored.
void des_set_key(const unsigned char* key8, int direction, DesKeySchedule* schedule);

// One DES operation with a schedule; in and out may be the same.
void des_encrypt_block(const DesKeySchedule& schedule, const unsigned char* in8, unsigned char* out8);

// Two-key triple DES: the right schedule from bytes 8-15 in the opposite
// direction, the left one from bytes 0-7 in `direction`, the third a copy of
// the left one.
void des_set_key2(const unsigned char* key16, int direction, DesKeySchedule3* schedule);

// The block through the left, the right and the third schedule.
void des_encrypt_block3(const DesKeySchedule3& schedule, const unsigned char* in8, unsigned char* out8);

// Derives an 8-byte key from a NUL-terminated text. The text is overwritten
// with NULs as it is consumed.
void des_make_key(char* text, unsigned char* key8);

// A new key record (free() it) whose key is derived from `text` (which is
// wiped); null when out of memory.
unsigned char* des_key_from_text(char* text);

// Encrypts n bytes into lower-case hex text, padded to whole blocks; the last
// block carries the pad count. *out receives the NUL-terminated text (free()
// it). Returns the size of the text's storage, or -1 (bad record, no memory).
int des_encrypt_hex(const unsigned char* record, const unsigned char* bytes, size_t n, char** out);

// Decrypts hex text made by des_encrypt_hex. *out receives the plain bytes,
// NUL-terminated (free() it). Returns the plain length, or -1 for a bad
// record, a length that is not a positive multiple of 16, a character that is
// not a hex digit, or a pad count outside 1 to 8 (a wrong key, as a rule).
int des_decrypt_hex(const unsigned char* record, const char* hex, size_t hex_length, unsigned char** out);
