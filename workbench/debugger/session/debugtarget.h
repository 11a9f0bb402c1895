// The debugger core as the Variables window's target: fetching, expanding
// and editing go through the session's requests while it is stopped.
#pragma once

#include "workbench/debugger/variables/variablelink.h"

class DebugVariableTarget : public VariableTarget {
 public:
  bool IsStopped() const override;
  bool GetElements(VariableRows& rows, Variable* parent, int idx) override;
  bool SetElement(const Variable& var) override;
  void CheckSession() override;
  void SetBusy(bool busy) override;
  void Beep(unsigned kind) override;
  void Status(int kind, const std::string& text) override;
};
