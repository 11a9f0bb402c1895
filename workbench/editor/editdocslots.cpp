#include "workbench/editor/editdocslots.h"

#include "workbench/base/sysassert.h"

CfgSettings* EditDocSlots::GetDocConfig() {
  SYS_ASSERT(!"CEditorDoc::GetDocConfig() base-class method not implemented");
  return nullptr;
}

TextObj* EditDocSlots::GetTextObj() {
  SYS_ASSERT(!"CEditorDoc::GetTextObj() base-class method not implemented");
  return nullptr;
}
