// The MDI child frame of every editor window: a splitter of one or two rows
// of views of one document, a minimum height that leaves room for the
// scroll bars, and "New Window" on its document.
#pragma once

#include "workbench/framework/fwchildframe.h"

class CChildFrame : public FwHandlers<CChildFrame, FwChildFrame> {
 public:
  explicit CChildFrame(FwDocument* doc);

  static std::span<const FwCmdEntry<CChildFrame>> Handlers();
  QSize minimumSizeHint() const override;

 private:
  void OnWindowNew(int id);
};
