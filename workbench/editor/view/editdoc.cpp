#include "workbench/editor/view/editdoc.h"

#include <utility>

#include "workbench/programs/dirutil.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/sysassert.h"

namespace {

std::function<bool()>& DialogSaveAll() {
  static std::function<bool()> save_all;
  return save_all;
}

}  // namespace

std::string EditDoc_TitleOf(const std::string& path) {
  std::string name = DirUtil_GetName(path);
  return name.empty() ? path : name;
}

void CEditorDoc::SetPathName(const std::string& path, bool add_to_recent) {
  SYS_ASSERT(!path.empty());
  std::string normal = path;
  DirUtil_NormalizePath(normal);
  FwDocument::SetPathName(normal);
  SetTitle(EditDoc_TitleOf(normal));
  if (add_to_recent && YqApp() != nullptr) YqApp()->m_MruFiles.AddFile(normal.c_str());
}

bool CEditorDoc::SaveAll() {
  if (!Shell_Neighbours().program->SaveAllModified()) return false;
  if (!DialogSaveAll()) return true;
  return DialogSaveAll()();
}

void CEditorDoc::SetDialogSaveAll(std::function<bool()> save_all) { DialogSaveAll() = std::move(save_all); }
