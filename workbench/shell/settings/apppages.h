// The pages of the Application Properties sheet. A record page shows a
// working copy of one settings record, taken when the page is built; each
// control writes its one field of the copy as the user changes it, and the
// page is modified while the copy differs from the caller's record. Apply
// copies the working copy into the record and saves it. The list pages
// (Server, Debug, Passwords, Environment) fill their list from the profile
// when they first become active and rewrite it on Apply.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "workbench/base/settings/config.h"
#include "workbench/framework/fwpropertypage.h"
#include "workbench/shell/neighbours.h"

class CDebugList;
class CServerList;
class ColorList;
class EnvList;
class PasswdList;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QWidget;

class CAppPropertyPage : public FwPropertyPage {
 public:
  explicit CAppPropertyPage(SettingsPage mask);
  SettingsPage Mask() const { return mask_; }

  // Records the page as the last active one and shows the working copy.
  bool OnSetActive() override;
  // The controls show the working copy again.
  void Reload();

 protected:
  // Called on activation after the controls are reloaded.
  virtual void Activate() {}
  // True while the working copy differs from the caller's record.
  virtual bool CopyDiffers() const { return false; }
  // The page is modified exactly while the copy differs.
  void Changed();

  // Ties a control to one value of the working copy: `get` fills the
  // control on Reload, `set` takes the user's change.
  void BindCheck(QCheckBox* box, std::function<bool()> get, std::function<void(bool)> set);
  void BindCombo(QComboBox* box, std::function<int()> get, std::function<void(int)> set);
  void BindSpin(QSpinBox* box, std::function<int()> get, std::function<void(int)> set);
  void BindText(QLineEdit* edit, std::function<std::string()> get, std::function<void(const std::string&)> set);
  // Runs after every Reload (enabling, texts that follow the copy).
  void OnReload(std::function<void()> after) { after_reload_.push_back(std::move(after)); }

 private:
  SettingsPage mask_;
  std::vector<std::function<void()>> loads_;
  std::vector<std::function<void()>> after_reload_;
};

// "General": the CfgGeneral record.
class CAppPropertyPage1 : public CAppPropertyPage {
 public:
  explicit CAppPropertyPage1(CfgSettings* config);
  bool OnApply() override;
  const CfgGeneral& Copy() const { return copy_; }

 protected:
  bool CopyDiffers() const override { return copy_.differs(*record_); }

 private:
  CfgGeneral* record_;
  CfgGeneral copy_;
};

// "Server": the configured program servers.
class CAppPropertyPage2 : public CAppPropertyPage {
 public:
  CAppPropertyPage2();
  bool OnApply() override;
  CServerList* List() const { return list_; }
  void OnNew();
  void OnEdit();
  void OnRemove();

 protected:
  void Activate() override;

 private:
  CServerList* list_;
};

// "Debug": the debug sessions and the current one.
class CAppPropertyPage3 : public CAppPropertyPage {
 public:
  explicit CAppPropertyPage3(CfgSettings* config);
  bool OnApply() override;
  CDebugList* List() const { return list_; }
  void OnNew();
  void OnEdit();
  void OnRemove();

 protected:
  void Activate() override;
  // An added, edited or removed session is a change as much as another
  // current session.
  bool CopyDiffers() const override { return list_changed_ || copy_.differs(*record_); }

 private:
  std::vector<std::string> Titles() const;
  CDebugList* list_;
  CfgDebug* record_;
  CfgDebug copy_;
  bool list_changed_ = false;
};

// "Edit": the two edit items, one shown at a time.
class CAppPropertyPage4 : public CAppPropertyPage {
 public:
  explicit CAppPropertyPage4(CfgSettings* config);
  bool OnApply() override;
  int Category() const { return category_; }
  QComboBox* CategoryCombo() const { return category_combo_; }

 protected:
  void Activate() override;
  bool CopyDiffers() const override { return copy_.differs(*record_); }

 private:
  CfgEditItem& Shown() { return copy_.items[category_]; }
  CfgEdit* record_;
  CfgEdit copy_;
  int category_ = 0;
  QComboBox* category_combo_;
};

// "Colors": the colour entries, their sample and the syntax colouring.
class CAppPropertyPage5 : public CAppPropertyPage {
 public:
  explicit CAppPropertyPage5(CfgSettings* config);
  bool OnApply() override;
  // Stores a picked colour into the selected entry.
  void SetSelectedColor(bool background, CfgColor color);
  const CfgColors& Copy() const { return copy_; }
  ColorList* List() const { return list_; }
  QWidget* Sample() const { return sample_; }
  QCheckBox* SyntaxCheck() const { return syntax_; }

 protected:
  void Activate() override;
  bool CopyDiffers() const override { return copy_.differs(*record_); }

 private:
  void PickColor(bool background);
  CfgColors* record_;
  CfgColors copy_;
  ColorList* list_;
  QWidget* sample_;
  QCheckBox* syntax_;
};

// "File" of a program document: its CfgFile record.
class CAppPropertyPage6 : public CAppPropertyPage {
 public:
  explicit CAppPropertyPage6(CfgSettings* config);
  bool OnApply() override;
  const CfgFile& Copy() const { return copy_; }
  QPushButton* PasswordButton() const { return password_; }
  void OnPassword();

 protected:
  void Activate() override;
  bool CopyDiffers() const override { return copy_.differs(*record_); }

 private:
  void ModeChanged();
  CfgFile* record_;
  CfgFile copy_;
  bool password_changed_ = false;
  QPushButton* password_;
};

// "Help": where the help project file and the manuals are.
class CAppPropertyPage7 : public CAppPropertyPage {
 public:
  explicit CAppPropertyPage7(CfgSettings* config);
  bool OnApply() override;

 protected:
  bool CopyDiffers() const override { return copy_.differs(*record_); }

 private:
  CfgHelp* record_;
  CfgHelp copy_;
};

// "Program": the CfgProgram record.
class CAppPropertyPage8 : public CAppPropertyPage {
 public:
  explicit CAppPropertyPage8(CfgSettings* config);
  bool OnApply() override;
  const CfgProgram& Copy() const { return copy_; }
  // The Colors page's "Syntax-coloring" writes here.
  void SetSyntaxColor(bool on);

 protected:
  bool CopyDiffers() const override { return copy_.differs(*record_); }

 private:
  CfgProgram* record_;
  CfgProgram copy_;
};

// "Passwords": the known program passwords.
class CAppPropertyPage9 : public CAppPropertyPage {
 public:
  CAppPropertyPage9();
  bool OnApply() override;
  PasswdList* List() const { return list_; }
  void OnNew();
  void OnEdit();
  void OnRemove();

 protected:
  void Activate() override;

 private:
  PasswdList* list_;
};

// "Environment": the variables given to debugged programs.
class CAppPropertyPage10 : public CAppPropertyPage {
 public:
  CAppPropertyPage10();
  bool OnApply() override;
  EnvList* List() const { return list_; }
  void OnNew();
  void OnEdit();
  void OnRemove();

 protected:
  void Activate() override;

 private:
  EnvList* list_;
};

// "Plug-In": the loaded dialog plug-ins, their information and set-up.
class CAppPropertyPage11 : public CAppPropertyPage {
 public:
  CAppPropertyPage11();
  QTreeWidget* List() const { return list_; }
  void OnInfo();
  void OnSetup();

 protected:
  void Activate() override;

 private:
  QTreeWidget* list_;
  bool filled_ = false;
};

// "File" of any other document: its CfgFile record without mode, code page
// and password.
class CAppPropertyPage12 : public CAppPropertyPage {
 public:
  explicit CAppPropertyPage12(CfgSettings* config);
  bool OnApply() override;
  const CfgFile& Copy() const { return copy_; }

 protected:
  bool CopyDiffers() const override { return copy_.differs(*record_); }

 private:
  CfgFile* record_;
  CfgFile copy_;
};
