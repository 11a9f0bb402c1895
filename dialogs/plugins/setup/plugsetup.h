// The setup dialogs of the dialog plug-ins. Each dialog opens with the
// values it is given and, on OK, leaves the edited values in its members;
// Cancel leaves the members as they were. A number out of its range keeps
// the dialog open with a box and puts the focus on that field.
#ifndef VARNICA_PLUGINS_PLUGSETUP_H
#define VARNICA_PLUGINS_PLUGSETUP_H

#include <string>
#include <vector>

#include <QDialog>

class QLineEdit;
class QTreeWidget;

// The widget the setup dialogs open over: the active window of the
// application; null when the process has no QApplication (a console host),
// and then no dialog is shown.
bool PlugSetup_HasApplication();
QWidget* PlugSetup_Parent();

// "Setup VUZ Dialog Plug-In": the font and colour variants, 0 to 99.
class PaneSetupDlg : public QDialog {
 public:
  enum { MaxVariant = 99 };
  explicit PaneSetupDlg(QWidget* parent = nullptr);
  int DoModal();

  int m_FontVariant = 1;
  int m_ColorVariant = 1;
  QLineEdit* font_;
  QLineEdit* color_;
};

// "Setup ASCII DLG Plug-In": the indent and blank lines of a save (0 to 9)
// and the template files read before each load.
class TextSetupDlg : public QDialog {
 public:
  enum { MaxSaveOption = 9 };
  explicit TextSetupDlg(QWidget* parent = nullptr);
  int DoModal();
  // The buttons' work: asks for a name and appends it; asks and removes the
  // selected entry.
  void OnAdd();
  void OnRemove();

  int m_Indent = 1;
  int m_BlankLines = 1;
  std::vector<std::string> m_Templates;
  QLineEdit* indent_;
  QLineEdit* blank_;
  QTreeWidget* list_;
};

// "Add Template File" with the one field "&File Name:".
class AddTemplateDlg : public QDialog {
 public:
  explicit AddTemplateDlg(QWidget* parent = nullptr);
  int DoModal();

  std::string m_FileName;
  QLineEdit* name_;
};

#endif
