#include "workbench/framework/fwcmdtarget.h"

bool FwCmdTarget::OnCommand(int) { return false; }
bool FwCmdTarget::OnUpdateCommand(FwCmdUI&) { return false; }
bool FwCmdTarget::HasCommand(int) const { return false; }
