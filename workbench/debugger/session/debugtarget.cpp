#include "workbench/debugger/session/debugtarget.h"

#include "workbench/base/shellsink.h"
#include "workbench/debugger/session/debugcore.h"

bool DebugVariableTarget::IsStopped() const { return DebugQueue && !Debug_SessionWaiting() && !Debug_Busy(); }

bool DebugVariableTarget::GetElements(VariableRows& rows, Variable* parent, int idx) {
  if (!DebugQueue) return false;
  return Debug_Cmd_GET_ELEMENTS(rows, parent, idx);
}

bool DebugVariableTarget::SetElement(const Variable& var) {
  if (!DebugQueue) return false;
  return Debug_Cmd_SET_ELEMENT(&var);
}

void DebugVariableTarget::CheckSession() { Debug_CheckSession(); }

void DebugVariableTarget::SetBusy(bool busy) { Debug_SetBusy(busy); }

void DebugVariableTarget::Beep(unsigned kind) { Shell_Sink().beep(kind); }

void DebugVariableTarget::Status(int kind, const std::string& text) {
  if (DebugHost* h = Debug_Host()) h->Status(kind, text);
}
