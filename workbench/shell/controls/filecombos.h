// The explorer's file controls: the file-type filter and the "open as"
// choice, both remembered in the explorer settings. A remembered index that
// is negative or past the end selects the first or the last entry.
#pragma once

#include <QComboBox>

class CfgExplore;

class CFileTypeCB : public QComboBox {
 public:
  // `remember`: a choice is stored as the explorer's FileFilter.
  CFileTypeCB(CfgExplore* explore, bool remember, QWidget* parent = nullptr);
  // Selects an entry; 2 or an index past the last selects "All Files".
  void SetType(int index);

 private:
  CfgExplore* explore_;
};

class CFileOpenAsCB : public QComboBox {
 public:
  explicit CFileOpenAsCB(CfgExplore* explore, QWidget* parent = nullptr);
  // The file mode of the entry: Auto 0, program 1, text 4, plug-in 100.
  int GetMode() const;

 private:
  CfgExplore* explore_;
};

// The index to select for a remembered value among `count` entries.
int FileCombo_Clamp(int remembered, int count);
