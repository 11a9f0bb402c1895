#include "scriptpeer.h"

#include <cstdio>
#include <utility>

namespace vtest {

ScriptPeer::ScriptPeer(const std::string& script) {
  std::string path = dir_.file("script.txt");
  write_file(path, script);
  peer_ = std::make_unique<StandIn>("scriptpeer", std::vector<std::string>{"--script", path});
}

std::string hex_text(const std::string& text) {
  std::string out;
  char pair[3];
  for (unsigned char ch : text) {
    std::snprintf(pair, sizeof pair, "%02x", ch);
    out += pair;
  }
  return out;
}

std::string hex_u16(unsigned v, bool big) {
  unsigned char b[2] = {static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
  if (!big) std::swap(b[0], b[1]);
  return hex_text(std::string(reinterpret_cast<char*>(b), 2));
}

std::string hex_u32(uint32_t v, bool big) {
  return big ? hex_u16(v >> 16) + hex_u16(v & 0xffff) : hex_u16(v & 0xffff, false) + hex_u16(v >> 16, false);
}

std::string hex_frame(const std::string& body_hex) {
  return hex_u32(static_cast<uint32_t>(body_hex.size() / 2)) + body_hex;
}

}  // namespace vtest
