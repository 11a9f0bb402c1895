// The MDI child frame of every editor window: a splitter of one or two rows
// of views of one document, a minimum height that leaves room for the
// scroll bars, "New Window" on its document, and File Close, which closes
// every window of the document after asking about its changes once.
#pragma once

#include "workbench/framework/fwchildframe.h"

class CChildFrame : public FwHandlers<CChildFrame, FwChildFrame> {
 public:
  explicit CChildFrame(FwDocument* doc);

  static std::span<const FwCmdEntry<CChildFrame>> Handlers();
  QSize minimumSizeHint() const override;
  // The frame takes its kind's icon with its client.
  void CreateClient(FwDocTemplate* tmpl) override;

 private:
  void OnWindowNew(int id);
  void OnFileClose(int id);
};
