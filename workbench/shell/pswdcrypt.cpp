// Password text cipher on the DES block routines of the database client.
#include "workbench/shell/pswdcrypt.h"

#include <cstring>
#include <vector>

#include "database/client/des.h"

namespace {

enum { DES_BLOCK = 8 };

}  // namespace

int HexDigitValue(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Des_MakeKeyObject(const char* key_text, DesKeyObject* out)
{
    if (key_text == nullptr || out == nullptr)
        return false;
    // The folding wipes the text it is given: fold a private copy, of any
    // length.
    std::vector<char> copy(key_text, key_text + strlen(key_text) + 1);
    out->length = DES_BLOCK;
    des_make_key(copy.data(), out->key);
    return true;
}

int Des_EncryptToHex(const DesKeyObject* key, const void* data, size_t length, std::string* hex)
{
    static const char digits[] = "0123456789abcdef";
    if (key == nullptr || key->length != DES_BLOCK || hex == nullptr || (data == nullptr && length))
        return -1;
    size_t blocks = length / DES_BLOCK + 1;
    if (blocks > (static_cast<size_t>(INT32_MAX) - 1) / 16)
        return -1;
    des_set_key(key->key, DES_KEY_ENCRYPT);
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    hex->clear();
    hex->reserve(blocks * 16);
    for (size_t b = 0; b < blocks; ++b) {
        unsigned char block[DES_BLOCK] = {};
        size_t left = length - b * DES_BLOCK;
        if (left >= DES_BLOCK) {
            memcpy(block, bytes + b * DES_BLOCK, DES_BLOCK);
        } else {
            if (left)
                memcpy(block, bytes + b * DES_BLOCK, left);
            block[DES_BLOCK - 1] = static_cast<unsigned char>(DES_BLOCK - left);
        }
        des_encrypt_block(block, block);
        for (unsigned char byte : block) {
            *hex += digits[byte >> 4];
            *hex += digits[byte & 15];
        }
    }
    return static_cast<int>(blocks * 16 + 1);
}

int Des_DecryptFromHex(const DesKeyObject* key, const char* hex, size_t length, std::string* clear)
{
    if (key == nullptr || key->length != DES_BLOCK || hex == nullptr || clear == nullptr)
        return -1;
    if (length == 0 || length % 16 != 0 || length / 2 > static_cast<size_t>(INT32_MAX))
        return -1;
    des_set_key(key->key, DES_KEY_DECRYPT);
    std::string out(length / 2, '\0');
    for (size_t b = 0; b < length / 16; ++b) {
        unsigned char block[DES_BLOCK];
        for (size_t i = 0; i < DES_BLOCK; ++i) {
            int hi = HexDigitValue(static_cast<unsigned char>(hex[b * 16 + 2 * i]));
            int lo = HexDigitValue(static_cast<unsigned char>(hex[b * 16 + 2 * i + 1]));
            if (hi < 0 || lo < 0)
                return -1;
            block[i] = static_cast<unsigned char>(hi * 16 + lo);
        }
        des_encrypt_block(block, block);
        memcpy(&out[b * DES_BLOCK], block, DES_BLOCK);
    }
    unsigned pad = static_cast<unsigned char>(out.back());
    if (pad < 1 || pad > DES_BLOCK)
        return -1;
    out.resize(out.size() - pad);
    *clear = std::move(out);
    return static_cast<int>(clear->size());
}

std::string EncryptString(const char* clear, const char* key_text)
{
    DesKeyObject key;
    if (clear == nullptr || !Des_MakeKeyObject(key_text, &key))
        return std::string();
    std::string hex;
    if (Des_EncryptToHex(&key, clear, strlen(clear), &hex) < 0)
        return std::string();
    return hex;
}

std::string DecryptString(const char* cipher, const char* key_text)
{
    DesKeyObject key;
    if (cipher == nullptr || !Des_MakeKeyObject(key_text, &key))
        return std::string();
    std::string clear;
    if (Des_DecryptFromHex(&key, cipher, strlen(cipher), &clear) < 0)
        return std::string();
    return clear;
}
