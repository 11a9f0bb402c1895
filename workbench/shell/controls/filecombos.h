// The explorer's file controls: the file-type filter and the "open as"
// choice, both remembered in the explorer settings, the save format of the
// Save As window, and the read-only check box. A remembered index that is
// negative or past the end selects the first or the last entry.
#pragma once

#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

class CfgExplore;
struct DesignerFileType;
struct SaveAsPlugin;

class CFileTypeCB : public QComboBox {
 public:
  // `remember`: a choice is stored as the explorer's FileFilter.
  CFileTypeCB(CfgExplore* explore, bool remember, QWidget* parent = nullptr);
  // Selects an entry; 2 or an index past the last selects "All Files".
  void SetType(int index);
  // Whether the selected entry accepts a file name: program files, text
  // files, a plug-in's extensions (without regard to case), or everything;
  // no selection accepts nothing.
  bool Matches(const std::string& path) const;

 private:
  CfgExplore* explore_;
};

class CFileOpenAsCB : public QComboBox {
 public:
  explicit CFileOpenAsCB(CfgExplore* explore, QWidget* parent = nullptr);
  // The file mode of the entry: Auto 0, program 1, text 4, plug-in 100.
  int GetMode() const;
  // For a plug-in entry: the plug-in's index, and in `type` its file type
  // whose extension ends `path`. When none does, the first type; with
  // `add_extension` the path then gets "." (unless it ends in one) and that
  // type's extension. -1 for the other entries; `type` is left alone when
  // the plug-in has no file type.
  int GetPluginFileType(std::string* path, DesignerFileType* type, bool add_extension) const;
  // The index and file type of any loaded plug-in whose extension ends
  // `path`; -1 when none.
  static int FindPluginFileType(const std::string& path, DesignerFileType* type);

 private:
  CfgExplore* explore_;
};

// The index to select for a remembered value among `count` entries.
int FileCombo_Clamp(int remembered, int count);

// The save format of the Save As window: without a plug-in the six file
// modes 1 to 6 (entry = mode - 1), with one the plug-in's writable types.
class CFileSaveAsCB : public QComboBox {
 public:
  // `plugin` may be null; `file_mode` is selected without one.
  CFileSaveAsCB(const SaveAsPlugin* plugin, int file_mode, QWidget* parent = nullptr);
  bool HasPlugin() const { return has_plugin_; }
  // The file mode chosen (only without a plug-in).
  int GetMode() const;
  void SetMode(int mode);
  // The index of the writable type chosen (only with a plug-in).
  int GetPluginFileType() const;

 private:
  bool has_plugin_;
};

// A push button in the standard font.
class CIndicatorButton : public QPushButton {
 public:
  explicit CIndicatorButton(const QString& text, QWidget* parent = nullptr);
};

// The "Read-only" check box of the explorer (an automatic check box): it
// starts with the state the last one was left in.
class CReadOnlyBN : public QCheckBox {
 public:
  explicit CReadOnlyBN(QWidget* parent = nullptr);
  static bool Remembered();
  static void SetRemembered(bool checked);
};
