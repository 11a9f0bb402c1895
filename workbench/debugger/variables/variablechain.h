// The rows of the Variables window while no window shows them: their
// variables in row order, linked through pNextItem. Closing the window
// saves its rows here and the next window takes them back, expansion and
// all. The chain owns the top-level variables on it (their subtrees come
// with them); freeing it destroys those.
#pragma once

#include <vector>

#include "workbench/debugger/variables/variable.h"

class VariableChain {
 public:
  VariableChain() = default;
  ~VariableChain() { Free(); }
  VariableChain(const VariableChain&) = delete;
  VariableChain& operator=(const VariableChain&) = delete;

  bool IsEmpty() const { return m_pItemRoot == nullptr; }
  // Appends a variable (its link must be empty). The rows call it in order.
  void Append(Variable* var);
  // Unlinks every variable and gives them in chain order; the chain is
  // empty afterwards and the caller owns the top-level variables.
  std::vector<Variable*> TakeAll();
  // Destroys every top-level variable of the chain with its subtree.
  void Free();

 private:
  friend class VariableRowList;
  Variable* m_pItemRoot = nullptr;
  Variable* last_ = nullptr;
};
