// Suspends a text object's undo recording for a scope.
#pragma once

#include "workbench/editor/txtobj.h"

// Suspends recording for a scope and restores the previous state.
class TextSuspend {
 public:
  explicit TextSuspend(TextObj* t) : tobj_(t), was_(t->TestFlag(TextObj_SUSPENDED)) { t->SetFlag(TextObj_SUSPENDED); }
  ~TextSuspend() {
    if (!was_) tobj_->ClearFlag(TextObj_SUSPENDED);
  }
  TextSuspend(const TextSuspend&) = delete;
  TextSuspend& operator=(const TextSuspend&) = delete;

 private:
  TextObj* tobj_;
  bool was_;
};
