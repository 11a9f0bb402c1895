// Fuzzing target of the debug replies' decoding: the input is one received
// payload, read as a stop location followed by a GET_ELEMENTS reply (handle,
// count and elements), as the run-time or program server would send them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "workbench/base/diag.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/variables/variable.h"
#include "workbench/server/srvqueue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Diag_SetQuiet(1);
  SrvQueue q;
  q.recv_buf.Assign(std::vector<uint8_t>(data, data + size));
  q.flags |= SrvQueue::SrvQueue_SUCCESS | SrvQueue::SrvQueue_CONVERT;
  DebugQueue = &q;
  DebugLocation location;
  if (Debug_GetLocation(&location)) {
    try {
      int32_t handle = static_cast<int32_t>(q.GetLong());
      uint32_t n = q.GetUShort();
      for (uint32_t i = 0; i < n; ++i) {
        std::unique_ptr<Variable> element = Debug_GetElement(q, handle);
        if (element) (void)element->GetValueText();
      }
    } catch (const CUserException&) {
    }
  }
  DebugQueue = nullptr;
  return 0;
}
