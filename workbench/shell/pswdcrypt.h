// The password text cipher: stored server passwords and the program-server
// logon password are DES-enciphered (ECB, key folded from a key text) and
// written as lower-case hex digits. The clear text is padded to whole 8-byte
// blocks; the last block carries the pad count (1 to 8) in its last byte.
#pragma once

#include <cstddef>
#include <string>

// A key: the key length (always 8) and the DES key.
struct DesKeyObject {
  unsigned char length = 0;
  unsigned char key[8] = {};
};

// The cipher text of `clear` under `key_text`, or an empty text on failure.
std::string EncryptString(const char* clear, const char* key_text);
// The clear text of a cipher text, or an empty text when the cipher text is
// malformed (not a positive multiple of 16 hex digits, a character that is
// not a hex digit, a pad count outside 1 to 8).
std::string DecryptString(const char* cipher, const char* key_text);

// Folds a key text into a key object (the caller's text is left intact).
bool Des_MakeKeyObject(const char* key_text, DesKeyObject* out);
// Enciphers `length` bytes into hex digits; returns the size of the text
// with its terminating NUL, or -1.
int Des_EncryptToHex(const DesKeyObject* key, const void* data, size_t length, std::string* hex);
// Deciphers `length` hex digits; returns the clear length, or -1.
int Des_DecryptFromHex(const DesKeyObject* key, const char* hex, size_t length, std::string* clear);
// 0 to 15 for a hex digit of either case, else -1.
int HexDigitValue(int c);
