// DES block cipher (FIPS 46) and the string cipher built on it: a key derived
// from a text, and byte strings encrypted in ECB mode into lower-case hex.
//
// The key schedules are process-wide: one cipher operation at a time.
#pragma once

#include <cstddef>

enum { DES_KEY_ENCRYPT = 0, DES_KEY_DECRYPT = 1 };

// Length of a key record: a length byte (always 8) and the 8 key bytes.
enum { DES_KEY_RECORD_SIZE = 9 };

// Builds the 16 round keys of an 8-byte key for encryption (0) or decryption
// (1) and installs them as the current schedule. Parity bits are ignored.
void des_set_key(const unsigned char* key8, int direction);

// One DES operation with the current schedule; in and out may be the same.
void des_encrypt_block(const unsigned char* in8, unsigned char* out8);

// Two-key triple DES: the right schedule from bytes 8-15 in the opposite
// direction, the left one from bytes 0-7 in `direction`, the third a copy of
// the left one.
void des_set_key2(const unsigned char* key16, int direction);

// The block through the left, the right and the third schedule.
void des_encrypt_block3(const unsigned char* in8, unsigned char* out8);

// Derives an 8-byte key from a NUL-terminated text. The text is overwritten
// with NULs as it is consumed. The installed schedules are left as they were.
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
