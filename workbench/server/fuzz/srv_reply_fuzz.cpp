// Fuzzing target of the server link's reply reading: the first byte picks
// the size of the partial reads and the code-set conversion, the rest is
// what the server sent. A finished message is decoded as a listing reply
// and, from the start again, as a file reply.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "workbench/server/srvcodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t step = (data[0] >> 1) + 1;
  bool convert = (data[0] & 1) != 0;
  ++data;
  --size;
  SrvFrameReader reader(SRV_MESSAGE_MAX);
  size_t at = 0;
  SrvFrameReader::Status st = SrvFrameReader::MORE;
  while (st == SrvFrameReader::MORE && at < size) {
    size_t room = 0;
    uint8_t* where = reader.Room(&room);
    if (!where && room == 0 && reader.HaveLength() && !reader.Done()) return 0;
    size_t n = room < step ? room : step;
    if (n > size - at) n = size - at;
    if (n == 0) {
      st = reader.Took(0);
      break;
    }
    std::memcpy(where, data + at, n);
    at += n;
    st = reader.Took(n);
  }
  if (st != SrvFrameReader::DONE) return 0;
  std::vector<uint8_t> payload = reader.Take();

  SrvDecoder listing(payload);
  int32_t status = 0;
  const char* text = nullptr;
  uint32_t u = 0;
  unsigned kind = 0;
  if (listing.GetShort(&status) && status == 0) {
    while (listing.GetByte(&kind) && kind != 0) {
      int strings = kind == 2 ? 4 : 3;
      bool ok = true;
      for (int i = 0; i < strings && ok; ++i) ok = listing.GetString(&text, convert) && std::strlen(text) < 65536;
      for (int i = 0; i < (kind == 2 ? 2 : 3) && ok; ++i) ok = listing.GetLong(&u);
      if (!ok) break;
    }
  } else {
    listing.GetString(&text, convert);
  }

  SrvDecoder file(payload);
  const uint8_t* object = nullptr;
  uint32_t object_size = 0;
  if (file.GetShort(&status) && file.GetObject(&object, &object_size) && object_size > 0) {
    volatile uint8_t last = object[object_size - 1];
    (void)last;
  }
  return 0;
}
