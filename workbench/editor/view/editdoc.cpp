#include "workbench/editor/view/editdoc.h"

#include <utility>

#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/sysassert.h"

namespace {

std::function<bool()>& DialogSaveAll() {
  static std::function<bool()> save_all;
  return save_all;
}

// The internal path form: '/' separators, no doubled ones.
std::string NormalizePath(const std::string& path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  return out;
}

}  // namespace

std::string EditDoc_TitleOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash + 1 == path.size()) return path;
  return path.substr(slash + 1);
}

void CEditorDoc::SetPathName(const std::string& path, bool add_to_recent) {
  SYS_ASSERT(!path.empty());
  std::string normal = NormalizePath(path);
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
