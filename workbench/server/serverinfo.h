// The row data of one configured program server: the entry of the profile
// list "Server" named by the host, with its values "Title", "Service",
// "Login" and "SecurePswd" (the password enciphered under the host name).
#pragma once

#include <string>

struct ServerINFO {
  std::string Title;       // description shown beside the server
  std::string Server;      // host name, also the entry's name
  std::string Service;     // service name or port number
  std::string Login;       // login name
  std::string SecurePswd;  // EncryptString(password, host), lower-case hex
};
