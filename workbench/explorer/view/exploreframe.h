// The explore window's child frame: its tool bar on top (the list styles,
// Up One Level and the filter, open-as and read-only or save-format
// controls), the folder tree and the file list side by side, the file-name
// bar at the bottom. Its place is kept in the window positions, the tree's
// width in the explorer settings.
#pragma once

#include <QToolBar>
#include <QWidget>

#include "workbench/base/settings/config.h"
#include "workbench/explorer/exploremodel.h"
#include "workbench/framework/fwchildframe.h"

class CExploreDoc;
class CDriveView;
class CFileView;
class CFileTypeCB;
class CFileOpenAsCB;
class CFileSaveAsCB;
class CReadOnlyBN;
class QLineEdit;
class QPushButton;

// The tool bar's buttons on one line, the filter and open-as or save-format
// controls on the next.
class CExploreTopBar : public QWidget {
 public:
  CExploreTopBar(CExploreDoc* doc, QWidget* parent);
  QToolBar* Bar() const { return bar_; }
  CFileTypeCB* Filter() const { return filter_; }
  CFileOpenAsCB* OpenAs() const { return open_as_; }    // Open mode
  CReadOnlyBN* ReadOnly() const { return read_only_; }  // Open mode
  CFileSaveAsCB* SaveAs() const { return save_as_; }    // Save As mode

 private:
  QToolBar* bar_;
  CFileTypeCB* filter_ = nullptr;
  CFileOpenAsCB* open_as_ = nullptr;
  CReadOnlyBN* read_only_ = nullptr;
  CFileSaveAsCB* save_as_ = nullptr;
};

class CExploreBottomBar : public QWidget {
 public:
  CExploreBottomBar(CExploreDoc* doc, QWidget* parent);
  // The file-name field and the default button of the window's mode, and
  // Cancel, found by their ids.
  QLineEdit* GetWndFileName() const;
  QPushButton* GetWndOkBN() const;
  QPushButton* CancelButton() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CExploreDoc* doc_;
  ExploreMode mode_;
};

class CExploreFrame : public FwHandlers<CExploreFrame, FwChildFrame>, public CfgWindow {
 public:
  CExploreFrame(CExploreDoc* doc, CfgWindowPositions* positions);
  static std::span<const FwCmdEntry<CExploreFrame>> Handlers();

  void CreateClient(FwDocTemplate* tmpl) override;
  void UpdateTitle() override;

  ExploreMode Mode() const { return mode_; }
  CExploreDoc* GetExploreDoc() const { return doc_; }
  CDriveView* DriveView() const;
  CFileView* FileView() const;
  CExploreTopBar* TopBar() const { return top_; }
  CExploreBottomBar* BottomBar() const { return bottom_; }

  bool GetPlacement(CfgPlacement* placement) override;
  bool IsMaximized() override { return isMaximized(); }
  bool SetPlacement(const CfgPlacement& placement) override;
  // Moves the window, and shrinks it where it must, so that it lies whole
  // inside the main window's area: a place kept from a larger area would
  // leave its buttons beyond the edge.
  void KeepInsideArea();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnListStyle(int id);
  void OnUpdateListStyle(FwCmdUI& ui);
  void OnUp(int id);
  void OnUpdateUp(FwCmdUI& ui);

  CExploreDoc* doc_;
  ExploreMode mode_;
  CfgWindowPositions* positions_;
  CExploreTopBar* top_ = nullptr;
  CExploreBottomBar* bottom_ = nullptr;
};
