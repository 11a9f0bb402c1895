// Logon checks: the password deciphered with OpenSSL's DES and its MD5
// compared with the users file.
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
    state.users[line.substr(0, colon)] = digest;
  }
  return true;
}

}  // namespace dbserver
