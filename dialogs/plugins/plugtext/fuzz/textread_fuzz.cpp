// Feeds arbitrary bytes to the ".dlg" reader as a main file whose includes
// and template file open the same bytes again; a load that succeeds is
// written back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzzhost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  testhost::Host& host = fuzzhost::host();
  std::string bytes(reinterpret_cast<const char*>(data), size);
  host.files.clear();
  for (const char* name : {"in.dlg", "a.dlg", "b.dlg", "c.dlg", "t.tdlg"}) host.files[name] = bytes;
  host.files["t.tdlg"] = size % 3 == 0 ? bytes : std::string("T = 1\n");
  if (host.load("in.dlg") == 0) (void)host.save();
  return 0;
}
