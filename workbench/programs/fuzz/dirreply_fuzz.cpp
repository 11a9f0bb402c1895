// Fuzzing target of the file access layer's readers of server data: the
// first byte chooses the reader, the rest is the reply payload (a listing
// after its status) or a file's bytes cut into lines.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "workbench/base/diag.h"
#include "workbench/programs/dirutil.h"
#include "workbench/server/srvqueue.h"

namespace {

class FuzzBuffer : public FileBuffer {
 public:
  FuzzBuffer(char* data, uint32_t size) : FileBuffer(data, size) {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 20)) return 0;
  Diag_SetQuiet(1);
  const bool lines = (data[0] & 1) != 0;
  ++data;
  --size;
  if (lines) {
    std::vector<char> bytes(data, data + size);
    bytes.push_back('\0');  // the spare byte
    FuzzBuffer buffer(bytes.data(), static_cast<uint32_t>(size));
    uint32_t n = 0;
    while (const char* line = buffer.GetLine(&n))
      if (std::strlen(line) != n) __builtin_trap();
    return 0;
  }
  auto q = std::make_unique<SrvQueue>();
  q->recv_buf.Assign(std::vector<uint8_t>(data, data + size));
  q->flags |= SrvQueue::SrvQueue_SUCCESS;
  DirList_Remote list(std::move(q));
  while (std::unique_ptr<DirEntry> e = list.Next())
    if (e->name.empty() || e->name.find('/') != std::string::npos) __builtin_trap();
  return 0;
}
