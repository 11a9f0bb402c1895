// Fuzzing target of the help project file reader: the input is the file's
// text, read into an empty table with a help record for the "M" lines.
#include <cstddef>
#include <cstdint>

#include "workbench/base/settings/config.h"
#include "workbench/shell/helpcontent.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HelpContents contents;
  CfgHelp help;
  HelpContent_Read(reinterpret_cast<const char*>(data), size, &help, &contents);
  return 0;
}
