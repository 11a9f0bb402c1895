// Logon checks: the password deciphered with OpenSSL's DES and its MD5
// compared with the users file.
#include <cstdlib>
#include <fstream>

#include "refcrypto.h"
#include "server.h"

namespace dbserver {

bool decrypt_password(const std::string& challenge, const std::string& hex, std::string& plain) {
  return refcrypto::decrypt_hex(refcrypto::make_key(challenge), hex, &plain);
}

bool load_users(const std::string& path, State& state, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read users file " + path;
    return false;
  }
  state.users_required = true;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    size_t colon = line.find(':');
    std::string digest = colon == std::string::npos ? "" : line.substr(colon + 1);
    if (colon == std::string::npos || digest.size() != 32) {
      error = path + ":" + std::to_string(number) + ": expected name:md5-hex";
      return false;
    }
    std::string bytes;
    for (size_t i = 0; i < 32; i += 2) {
      char* end = nullptr;
      std::string pair = digest.substr(i, 2);
      long v = std::strtol(pair.c_str(), &end, 16);
      if (*end) {
        error = path + ":" + std::to_string(number) + ": expected name:md5-hex";
        return false;
      }
      bytes += static_cast<char>(v);
    }
    Undo ignored;
    Catalog& cat = *state.catalog;
    uint32_t all = PRIV_CONNECT | PRIV_UADMIN | PRIV_DBA;
    if (cat.insert(cat.node().at(30),
                   {Value(), Value::text(line.substr(0, colon)), Value::text(bytes), Value::text(cat.bits(all))},
                   nullptr, &ignored) != 0) {
      error = path + ":" + std::to_string(number) + ": user listed twice";
      return false;
    }
  }
  return true;
}

}  // namespace dbserver
