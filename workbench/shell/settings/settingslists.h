// The list controls of the Application Properties: the colour entries of
// the Colors page, the "Environment" list and the "Passwords" list, the
// column helper they share, and the entry dialog of an environment
// variable. Rows keep their records and show their texts on request.
#pragma once

#include <string>

#include <QDialog>

#include "workbench/base/settings/config.h"
#include "workbench/debugger/infolistctrl.h"
#include "workbench/shell/settings/settingsrules.h"

class QLineEdit;
class QTreeWidget;

// The fourteen colour entries of a Colors record; each row points at its
// entry, which the record owns.
class ColorList : public CInfoListCtrl {
 public:
  explicit ColorList(QWidget* parent = nullptr);
  // Once: the column "Category" and one row per entry. A null record is a
  // failed check.
  bool Setup(CfgColors* color);
  int AddItem(CfgColorEntry* entry);
  int GetSelected() const { return GetSelectedIdx(); }
  CfgColorEntry* GetItem(int index) const { return static_cast<CfgColorEntry*>(GetItemInfo(index)); }
  std::string ItemText(const void* record, int column) const override;
};

// The environment variables, each row owning its record.
class EnvList : public CInfoListCtrl {
 public:
  enum { VariableColumnWidth = 80 };
  explicit EnvList(QWidget* parent = nullptr);
  ~EnvList() override;
  // Once: the columns "Variable" and "Value" and the rows of the profile.
  bool Setup();
  int AddItem(EnvINFO* env);
  int GetSelected() const { return GetSelectedIdx(); }
  EnvINFO* GetItem(int index) const { return static_cast<EnvINFO*>(GetItemInfo(index)); }
  bool RemoveItem(int index);
  // `env` must be the row's own record; the row is redrawn.
  void ReplaceItem(int index, EnvINFO* env);
  // Rewrites the profile list from the rows in one batch; false before
  // Setup, for a row without record, or when names clash (nothing written).
  bool Save();
  std::vector<std::string> Names() const;
  std::string ItemText(const void* record, int column) const override;
};

// The known program passwords, each row owning its record.
class PasswdList : public CInfoListCtrl {
 public:
  explicit PasswdList(QWidget* parent = nullptr);
  ~PasswdList() override;
  bool Setup();
  int AddItem(PasswdINFO* pwi);
  int GetSelected() const { return GetSelectedIdx(); }
  PasswdINFO* GetItem(int index) const { return static_cast<PasswdINFO*>(GetItemInfo(index)); }
  bool RemoveItem(int index);
  void ReplaceItem(int index, PasswdINFO* pwi);
  bool Save();
  std::vector<std::string> Names() const;
  std::string ItemText(const void* record, int column) const override;
};

// "Setup Environment Variable": a name and a value.
class CEnvVarDlg : public QDialog {
 public:
  explicit CEnvVarDlg(QWidget* parent = nullptr);
  // Shows the members; on OK they hold the edits.
  int DoModal();

  std::string m_Name;
  std::string m_Value;
  QLineEdit* name_;
  QLineEdit* value_;
};
