// Test helper: the scripted peer (tests/peers/scriptpeer) on port 0, playing
// one script of reads, sends, drips, floods and silences, with a few byte
// builders for the scripts. Shared by the tests of every client that talks
// to a server: the database client, the program-server link and formmorph.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "standin.h"

namespace vtest {

class ScriptPeer {
 public:
  // Starts the peer on `script` (see tests/peers/scriptpeer/README.md).
  explicit ScriptPeer(const std::string& script);

  int port() const { return peer_->port(); }
  std::string service() const { return peer_->service(); }
  std::string log() const { return peer_->log(); }

 private:
  TempDir dir_;
  std::unique_ptr<StandIn> peer_;
};

// Hex of the bytes of `text`, and of integers in big- or little-endian order.
std::string hex_text(const std::string& text);
std::string hex_u16(unsigned v, bool big = true);
std::string hex_u32(uint32_t v, bool big = true);
// A big-endian length word counting the `body_hex` bytes, then the body.
std::string hex_frame(const std::string& body_hex);

}  // namespace vtest
