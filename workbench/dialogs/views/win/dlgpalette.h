// The object palette: a tree of the objects new objects can be made from
// (the class default objects and the template objects of the dialog the
// user works on), in a docking window that follows the active designer
// view. An entry is dragged onto a canvas, or clicked and then dropped by
// the next press on a canvas; a double click on a dialog template makes a
// new dialog. Undo, Redo and File Properties go to the dialog it shows.
#pragma once

#include <span>

#include <QDockWidget>
#include <QPoint>
#include <QPointer>
#include <QTreeWidget>

#include "workbench/framework/fwcmdtarget.h"

class CDlgEditDoc;
class DlgAnchor;
class DlgObject;
class DlgRootAnchor;

class CDlgPaletteView : public QTreeWidget, public FwHandlers<CDlgPaletteView, FwCmdTarget> {
 public:
  explicit CDlgPaletteView(QWidget* parent = nullptr);
  ~CDlgPaletteView() override;

  static std::span<const FwCmdEntry<CDlgPaletteView>> Handlers();

  // Opens the palette's docking window through the application's registry
  // of windows; the palette (null without an application).
  static CDlgPaletteView* Open();
  // The palette while its window is open, else null.
  static CDlgPaletteView* Find();
  // The docking window around the palette (null when none).
  QDockWidget* Dock() const;
  // The initial width of the palette's window.
  static constexpr int kWidth = 192;

  // Lists the dialog of the anchor (refills only when the root anchor or
  // the anchor differ, and never for a root anchor that lists every anchor
  // and is shown already).
  void SetDialog(DlgRootAnchor* pDlgRoot, DlgAnchor* pDlgAnchor);
  // The document goes: the palette closes when it shows it.
  void ForgetDialog(CDlgEditDoc* doc);
  DlgRootAnchor* ShownRoot() const { return root_; }
  DlgAnchor* ShownAnchor() const { return anchor_; }
  // The object of an entry.
  static DlgObject* ObjectOf(const QTreeWidgetItem* item);
  // The entry's text: the object's name, without the "~" of a class
  // default object.
  static QString ItemText(const DlgObject* obj);
  // The image of an object: 0 root-capable, 1 container, 3 template, 2
  // other.
  static int ImageOf(const DlgObject* obj);
  // Runs a drag of the object; true when it was dropped.
  static bool DragObject(const DlgObject* obj);

  // Commands.
  void OnUndo(int);
  void OnRedo(int);
  void OnUpdateUndo(FwCmdUI& ui);
  void OnUpdateRedo(FwCmdUI& ui);
  void OnFileProperties(int);
  void OnUpdateFileProperties(FwCmdUI& ui);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Refill();
  void AddObject(DlgObject* obj, QTreeWidgetItem* parent);
  CDlgEditDoc* Doc() const;

  DlgRootAnchor* root_ = nullptr;
  DlgAnchor* anchor_ = nullptr;
  QPoint press_;
  QTreeWidgetItem* press_item_ = nullptr;
  bool captured_ = false;
};

// The palette's docking window (the kind the registry of windows opens).
class CDlgPaletteFrame : public QDockWidget {
 public:
  explicit CDlgPaletteFrame(QWidget* parent = nullptr);
  CDlgPaletteView* View() const { return view_; }
  // Whether the bar has its place: the main frame's kept bar layout gave
  // it one, or it took its first width.
  bool Placed() const { return placed_; }
  void SetPlaced() { placed_ = true; }

 private:
  CDlgPaletteView* view_;
  bool placed_ = false;
};
