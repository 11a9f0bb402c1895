#include "workbench/framework/fwcmdtarget.h"

#include <cstdlib>
#include <memory>

#include <cxxabi.h>

bool FwCmdTarget::OnCommand(int) { return false; }
bool FwCmdTarget::OnUpdateCommand(FwCmdUI&) { return false; }
bool FwCmdTarget::HasCommand(int) const { return false; }

namespace {

std::vector<FwHandlerTable>& Tables() {
  static std::vector<FwHandlerTable> tables;
  return tables;
}

}  // namespace

const std::vector<FwHandlerTable>& Fw_HandlerTables() { return Tables(); }

bool Fw_RegisterHandlerTable(const char* mangled_owner, std::vector<FwHandlerRange> ranges) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(mangled_owner, nullptr, nullptr, &status),
                                                   &std::free);
  Tables().push_back({status == 0 && name ? name.get() : mangled_owner, std::move(ranges)});
  return true;
}
