// The "Page Setup" dialog: header and footer texts with their code menus,
// the margins in centimetres, the printer font size and weight, and line
// numbers for program files. It edits a working copy and writes the record
// back (and saves it) only when something changed.
#pragma once

#include <QDialog>

#include "workbench/base/settings/config.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QToolButton;

class CPageSetupDlg : public QDialog {
 public:
  CPageSetupDlg(CfgPageSetup* config, QWidget* parent = nullptr);

  // The controls' values into the working copy; then, when it differs from
  // the record, into the record, which is saved. True when it was written.
  bool Apply();
  // Inserts a code ("&F", ...) into the header (0) or footer (1) field in
  // place of its selection.
  void InsertCode(int field, const char* code);
  const CfgPageSetup& Working() const { return working_; }

  QLineEdit* HeaderEdit() const { return header_; }
  QLineEdit* FooterEdit() const { return footer_; }
  QDoubleSpinBox* Margin(int i) const { return margins_[i]; }
  QComboBox* SizeCombo() const { return size_; }
  QCheckBox* BoldBox() const { return bold_; }
  QCheckBox* NumbersBox() const { return numbers_; }

  void accept() override;

 private:
  QToolButton* CodeButton(int field);
  void TakeValues();

  CfgPageSetup* config_;
  CfgPageSetup working_;
  QLineEdit* header_;
  QLineEdit* footer_;
  QDoubleSpinBox* margins_[4];
  QComboBox* size_;
  QCheckBox* bold_;
  QCheckBox* numbers_;
};
