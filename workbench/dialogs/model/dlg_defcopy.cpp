#include "workbench/dialogs/model/dlg_defcopy.h"

#include <cstdlib>
#include <cstring>

namespace {

char* Dup(const char* text) { return text ? strdup(text) : nullptr; }

}  // namespace

DlgDefCopy& DlgDefCopy::operator=(const DlgDefCopy& other) {
  if (this != &other) Set(other.Get());
  return *this;
}

void DlgDefCopy::Set(const prop_def* def) {
  prop_def copy{};
  if (def) {
    copy = *def;
    copy.name = Dup(def->name);
    copy.category = Dup(def->category);
    copy.gui = Dup(def->gui);
  }
  Free();
  def_ = copy;
  has_ = def != nullptr;
}

void DlgDefCopy::SetName(const char* name) {
  if (!has_) return;
  char* copy = Dup(name);
  std::free(const_cast<char*>(def_.name));
  def_.name = copy;
}

void DlgDefCopy::Free() {
  std::free(const_cast<char*>(def_.name));
  std::free(const_cast<char*>(def_.category));
  std::free(const_cast<char*>(def_.gui));
  def_ = prop_def{};
  has_ = false;
}
