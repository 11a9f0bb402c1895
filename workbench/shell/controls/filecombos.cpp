#include "workbench/shell/controls/filecombos.h"

#include "workbench/shell/controls/guiutil.h"
#include "workbench/shell/dlgservices.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/sysassert.h"

int FileCombo_Clamp(int remembered, int count) {
  if (count <= 0) return -1;
  if (remembered < 0) return 0;
  return remembered >= count ? count - 1 : remembered;
}

CFileTypeCB::CFileTypeCB(CfgExplore* explore, bool remember, QWidget* parent) : QComboBox(parent), explore_(explore) {
  GUI_SetStandardFont(this);
  addItem("Varnica Program Files");
  addItem("Text Files");
  for (PluginRecord* p = PluginID::GetHead(); p != nullptr; p = p->next)
    addItem(QString::fromUtf8(p->descriptor != nullptr && p->descriptor->filter ? p->descriptor->filter : ""));
  addItem("All Files");
  setCurrentIndex(FileCombo_Clamp(explore_->FileFilter, count()));
  if (remember) connect(this, &QComboBox::activated, this, [this](int index) { explore_->SetFileFilter(index); });
}

void CFileTypeCB::SetType(int index) {
  if (index == 2 || index >= count() || index < 0)
    setCurrentIndex(count() - 1);
  else
    setCurrentIndex(index);
}

CFileOpenAsCB::CFileOpenAsCB(CfgExplore* explore, QWidget* parent) : QComboBox(parent), explore_(explore) {
  GUI_SetStandardFont(this);
  addItem("Auto");
  addItem("Varnica Program File");
  addItem("Text File");
  for (PluginRecord* p = PluginID::GetHead(); p != nullptr; p = p->next)
    addItem(QString::fromUtf8(p->descriptor != nullptr && p->descriptor->open_as ? p->descriptor->open_as : ""));
  setCurrentIndex(FileCombo_Clamp(explore_->FileMode, count()));
  connect(this, &QComboBox::activated, this, [this](int index) { explore_->SetFileMode(index); });
}

int CFileOpenAsCB::GetMode() const {
  int index = currentIndex();
  SYS_ASSERT(index >= 0 && index < count());
  switch (index) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 4;
    default: return 100;
  }
}
