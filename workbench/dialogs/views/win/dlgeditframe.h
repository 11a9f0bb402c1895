// The designer's child frame: one designer view, a minimum height of a
// scroll bar and two scroll arrows, and the caption "Title [Root]" with
// ":n" when the dialog has several windows and " *" while the document is
// modified. As every document window of the environment it takes File
// Close, which closes every window of its document after one question.
#pragma once

#include <string>

#include "workbench/shell/frames/childframe.h"

class CDlgEditFrame : public CChildFrame {
 public:
  explicit CDlgEditFrame(FwDocument* doc);

  // The frame's number among the windows of its dialog (0: the only one).
  int Number() const { return number_; }
  void SetNumber(int n) { number_ = n; }
  void UpdateTitle() override;
  // The caption rule on its own.
  static std::string Caption(const std::string& title, const char* root_name, int number, bool modified);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  int number_ = 0;
};
