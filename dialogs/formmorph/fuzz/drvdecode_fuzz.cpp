// Feeds arbitrary bytes to the response decoder, in a buffer of exactly
// their size, and re-encodes what decodes as a request of the same code.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "dialogs/formmorph/drvcodec.h"
#include "dialogs/formmorph/fmtrace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* sink = std::fopen("/dev/null", "w");
  fm_set_trace_stream(sink);
  std::vector<unsigned char> body(data, data + size);
  DrvResponse r;
  if (drv_ntoh(body.data(), body.size(), &r) == 0) {
    DrvRequest q;
    q.code = r.code;
    q.path = r.text;
    q.value = r.value;
    std::vector<unsigned char> frame;
    drv_hton(q, 4096, frame);
  }
  return 0;
}
