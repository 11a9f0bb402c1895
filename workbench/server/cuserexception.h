// The exception that ends a failed server exchange. The failure has been
// reported (box and log line) before it is thrown; callers only unwind.
#pragma once

#include <exception>

class CUserException : public std::exception {
 public:
  const char* what() const noexcept override { return "server exchange failed (already reported)"; }
};
