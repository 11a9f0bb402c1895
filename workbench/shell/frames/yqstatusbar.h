// The main frame's status bar: the message pane coloured by kind, the
// progress display, the numeric field groups that show only while they
// apply, the keyboard and RUN indicators and the round network indicator
// (click to disconnect). Pane changes are collected and rebuilt once at the
// next idle update.
#pragma once

#include <cstdint>

#include <QColor>

#include "workbench/framework/fwstatusbar.h"
#include "workbench/shell/statusmodel.h"

class QProgressBar;
class CIndicatorEdit;
class FwStatusPane;

class CYqStatusBar : public FwStatusBar {
 public:
  explicit CYqStatusBar(QWidget* parent = nullptr);

  // Builds the panes; false when the bar could not be made.
  bool Create(QWidget* parent, int id = ID_STATUS_BAR);

  void Message(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Info(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Warning(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Error(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void SetMessage(int kind, const char* text);

  void ShowProgress(const char* text, int64_t lower, int64_t upper);
  void StepProgress(int64_t position);
  void ShowLineColumn(bool show);
  void ShowLineNumber(bool show);
  void SetCurrentObject(const void* object, bool editable = true);
  void UpdateServerPane();
  int PaneIdx(int pane) const { return model_.PaneIdx(pane); }
  void UpdatePaneInfo();

  const StatusModel& Model() const { return model_; }
  FwStatusPane* PaneAt(int pane) const { return Pane(pane); }
  QProgressBar* ProgressBar() const { return progress_; }
  CIndicatorEdit* Field(int pane) const;
  // How often the progress bar was set (tests see the repaints it causes).
  int ProgressRepaints() const { return progress_repaints_; }
  static QColor KindBackground(int kind);
  static QColor NetFill(int state);

  void UpdatePanes() override;

 protected:
  void ApplyPaneUpdate(int index, const FwCmdUI& ui) override;

 private:
  StatusModel model_;
  QProgressBar* progress_ = nullptr;
  CIndicatorEdit* fields_[SP_COUNT] = {};
  const void* object_ = nullptr;
  int progress_repaints_ = 0;
};
