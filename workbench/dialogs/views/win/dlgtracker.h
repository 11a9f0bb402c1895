// The selection tracker of the designer canvas: the hatched border around a
// selected object, the resize handles outside it (primary selection only,
// never on a read-only dialog), the attachment triangles in place of the
// handles an attached side lacks, and the geometry of a handle drag. The
// rules of which handles exist and how a resized rectangle snaps are the
// model's (DlgSelection); this class draws them and hit-tests them.
#pragma once

#include <QRect>

#include "workbench/dialogs/model/dlg_selection.h"

class QPainter;

// What the canvas hands to the trackers it paints.
struct DlgDC {
  QPainter* painter;
};

class DlgTracker : public DlgSelection {
 public:
  explicit DlgTracker(DlgObject* obj);
  ~DlgTracker() override;

  // Installs the tracker as the selection every object gets.
  static void Install();

  // Handle boxes are this many pixels square; the border is this wide.
  static constexpr int kHandleSize = 7;
  static constexpr int kBorderWidth = 4;
  // The colour of the attachment triangles (RGB 0,0,192).
  static constexpr unsigned kTriangleColour = 0x0000C0;

  // DlgSelection.
  DlgRect HandleRect() const override;
  void Invalidate() override;
  void Draw(DlgDC* dc) override;

  // Whether the tracker has resize handles (style 20).
  bool HasHandles() const { return (Style() & DLG_TRK_RESIZE_OUTSIDE) != 0; }
  // The box of handle n around the tracker rectangle.
  QRect HandleBox(int handle) const;
  // The handle under a point, or -1.
  int HitHandle(QPoint point) const;
  // The rectangle a drag of `handle` by (dx, dy) from `start` proposes,
  // adjusted by the parent, the grids and the object.
  DlgRect TrackHandle(int handle, const DlgRect& start, int dx, int dy) const;
};
