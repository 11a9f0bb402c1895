// Feeds arbitrary bytes to the FORM import; a load that succeeds is written
// back as ".dlg".
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzzhost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  testhost::Host& host = fuzzhost::host();
  host.files.clear();
  host.files["t.tdlg"] = "T = 1\n";
  host.files["in.form"] = std::string(reinterpret_cast<const char*>(data), size);
  if (host.load("in.form", 1) == 0) (void)host.save();
  return 0;
}
