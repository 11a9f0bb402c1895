#include "workbench/debugger/variables/variablechain.h"

#include "workbench/base/sysassert.h"

void VariableChain::Append(Variable* var) {
  SYS_ASSERT(var);
  SYS_ASSERT(!var->pNextItem);
  if (last_)
    last_->pNextItem = var;
  else
    m_pItemRoot = var;
  last_ = var;
}

std::vector<Variable*> VariableChain::TakeAll() {
  std::vector<Variable*> vars;
  for (Variable* var = m_pItemRoot; var;) {
    Variable* next = var->pNextItem;
    var->pNextItem = nullptr;
    vars.push_back(var);
    var = next;
  }
  m_pItemRoot = nullptr;
  last_ = nullptr;
  return vars;
}

void VariableChain::Free() {
  // Pick the top-level variables before destroying any: destroying one
  // destroys children that stand later on the chain.
  std::vector<Variable*> tops;
  for (Variable* var : TakeAll())
    if (!var->GetParent()) tops.push_back(var);
  for (Variable* var : tops) delete var;
}
