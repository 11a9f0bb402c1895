// A view: a widget that paints its document's model and turns input into
// model calls. It is the first command target of the routing while its
// child frame is active, and tells the frame when it gets the focus.
#pragma once

#include <QWidget>

#include "workbench/framework/fwcmdtarget.h"
#include "workbench/framework/fwupdate.h"

class FwDocument;
class FwChildFrame;

class FwView : public QWidget, public FwCmdTarget {
 public:
  explicit FwView(FwDocument* doc, QWidget* parent = nullptr);
  ~FwView() override;

  FwDocument* Document() const { return doc_; }
  // The view's frame closed: it leaves its document (which may close) and
  // waits, hidden, to be freed with the frame.
  void LeaveDocument();
  // The child frame that holds the view (null when none).
  FwChildFrame* Frame() const;

  // A document change (the base repaints).
  virtual void OnUpdate(const FwUpdate& change);
  virtual void OnInitialUpdate() { OnUpdate(FwUpdate{}); }
  // The frame closed: the view gives back what it holds of shared state
  // before it leaves its document (it is freed later).
  virtual void OnLeaveDocument() {}

 protected:
  void focusInEvent(QFocusEvent* event) override;

 private:
  FwDocument* doc_;
};
