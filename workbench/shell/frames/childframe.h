// The MDI child frame of every editor window: a splitter of one or two rows
// of views of one document, a minimum height that leaves room for the
// scroll bars, and "New Window" on its document.
#pragma once

#include "workbench/framework/fwchildframe.h"

class CChildFrame : public FwChildFrame {
 public:
  explicit CChildFrame(FwDocument* doc);

  bool OnCommand(int id) override;
  bool HasCommand(int id) const override;
  QSize minimumSizeHint() const override;
};
