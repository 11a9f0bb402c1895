// The modal "Plug-In Info" dialog: seven read-only fields describing one
// plug-in and "OK". F1 asks for the dialog's help topic.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

class PluginID;
class QLineEdit;

class CPluginInfoDlg : public QDialog {
 public:
  explicit CPluginInfoDlg(QWidget* parent = nullptr);

  // The six descriptor texts and the file types ("*" + Ext each, joined by
  // "; ") of `plugin`.
  void Fill(PluginID* plugin);
  // Shows the members in their fields; the dialog's result.
  int DoModal();
  // Puts the members into their fields (done by DoModal).
  void UpdateData();
  QLineEdit* Field(int id) const;
  void SetHelp(std::function<void(const std::string&)> help) { help_ = std::move(help); }

  std::string m_Category;
  std::string m_Date;
  std::string m_Description;
  std::string m_Module;
  std::string m_Ident;
  std::string m_Revision;
  std::string m_FileTypes;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::function<void(const std::string&)> help_;
};
