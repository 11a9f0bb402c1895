// Password text cipher on the string cipher of the database client.
#include "workbench/shell/pswdcrypt.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "database/client/des.h"
#include "platform/hexdigit.h"

namespace {

enum { DES_BLOCK = 8 };

// The key record of the client's string cipher: the length byte and the key.
bool key_record(const DesKeyObject* key, unsigned char (&record)[DES_KEY_RECORD_SIZE]) {
  if (key == nullptr || key->length != DES_BLOCK) return false;
  record[0] = key->length;
  memcpy(record + 1, key->key, DES_BLOCK);
  return true;
}

}  // namespace

int HexDigitValue(int c) { return hex_digit_value(c); }

bool Des_MakeKeyObject(const char* key_text, DesKeyObject* out) {
  if (key_text == nullptr || out == nullptr) return false;
  // The folding wipes the text it is given: fold a private copy, of any
  // length.
  std::vector<char> copy(key_text, key_text + strlen(key_text) + 1);
  out->length = DES_BLOCK;
  des_make_key(copy.data(), out->key);
  return true;
}

int Des_EncryptToHex(const DesKeyObject* key, const void* data, size_t length, std::string* hex) {
  unsigned char record[DES_KEY_RECORD_SIZE];
  if (!key_record(key, record) || hex == nullptr) return -1;
  char* text = nullptr;
  int size = des_encrypt_hex(record, static_cast<const unsigned char*>(data), length, &text);
  if (size < 0) return -1;
  hex->assign(text, static_cast<size_t>(size) - 1);
  free(text);
  return size;
}

int Des_DecryptFromHex(const DesKeyObject* key, const char* hex, size_t length, std::string* clear) {
  unsigned char record[DES_KEY_RECORD_SIZE];
  if (!key_record(key, record) || clear == nullptr) return -1;
  unsigned char* plain = nullptr;
  int size = des_decrypt_hex(record, hex, length, &plain);
  if (size < 0) return -1;
  clear->assign(reinterpret_cast<const char*>(plain), static_cast<size_t>(size));
  free(plain);
  return size;
}

std::string EncryptString(const char* clear, const char* key_text) {
  DesKeyObject key;
  if (clear == nullptr || !Des_MakeKeyObject(key_text, &key)) return std::string();
  std::string hex;
  if (Des_EncryptToHex(&key, clear, strlen(clear), &hex) < 0) return std::string();
  return hex;
}

std::string DecryptString(const char* cipher, const char* key_text) {
  DesKeyObject key;
  if (cipher == nullptr || !Des_MakeKeyObject(key_text, &key)) return std::string();
  std::string clear;
  if (Des_DecryptFromHex(&key, cipher, strlen(cipher), &clear) < 0) return std::string();
  return clear;
}
