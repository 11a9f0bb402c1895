// The status bar's model, without windows: the table of 22 panes, the masks
// of active, requested and editable panes with the deferred rebuild, the
// message and its kind, the progress range and percentage, and the network
// state. The bar (CYqStatusBar) paints what this says.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwpanestyle.h"

enum StatusPane {
  SP_MESSAGE = 0,
  SP_PROGRESS_TEXT = 1,
  SP_PROGRESS_BAR = 2,
  SP_LINENUMBER_LABEL = 3,
  SP_LINENUMBER = 4,
  SP_LINE_LABEL = 5,
  SP_LINE = 6,
  SP_COLUMN_LABEL = 7,
  SP_COLUMN = 8,
  SP_X_LABEL = 9,
  SP_X = 10,
  SP_Y_LABEL = 11,
  SP_Y = 12,
  SP_WIDTH_LABEL = 13,
  SP_WIDTH = 14,
  SP_HEIGHT_LABEL = 15,
  SP_HEIGHT = 16,
  SP_OVR = 17,
  SP_CAP = 18,
  SP_NUM = 19,
  SP_NETWORK = 20,
  SP_RUN = 21,
  SP_COUNT = 22
};

enum NetState { NET_INACTIVE = 1, NET_CONNECTED = 2, NET_BUSY = 3 };

struct StatusPaneDef {
  int id;
  const char* text;
  unsigned style;
  int width;   // 0: the width of the text
  bool field;  // holds a numeric field
};
extern const StatusPaneDef kStatusPanes[SP_COUNT];

// The longest message text, terminating NUL included.
enum { STATUS_TEXT_MAX = 8192 };

// Formats a message into at most STATUS_TEXT_MAX - 1 bytes (cut, never
// overrun, never split inside a UTF-8 sequence).
std::string Status_Format(const char* format, va_list args);

class StatusModel {
 public:
  StatusModel();

  // Pane switching: a change marks the bar for a rebuild.
  void Activate(int pane, bool on, bool editable = false);
  bool Requested(int pane) const { return (requested_ >> pane) & 1u; }
  bool IsActive(int pane) const { return (active_ >> pane) & 1u; }
  bool IsEditable(int pane) const { return (editable_ >> pane) & 1u; }
  uint32_t ActiveMask() const { return active_; }
  // The index of an active pane among the active ones; an inactive pane is a
  // failed check.
  int PaneIdx(int pane) const;
  bool RebuildNeeded() const { return rebuild_; }
  // The deferred rebuild: the requested panes become the active ones. False
  // when nothing was pending.
  bool Rebuild();
  unsigned Style(int pane) const { return styles_[pane]; }
  void SetStyleBits(int pane, unsigned bits) { styles_[pane] |= bits; }
  void ClearStyleBits(int pane, unsigned bits) { styles_[pane] &= ~bits; }

  // The message; a non-empty text becomes the message with its kind, an
  // empty one clears it (plain). Ends any progress display.
  void SetMessage(int kind, const std::string& text);
  int Kind() const { return kind_; }
  const std::string& Message() const { return message_; }

  // Progress: Show with a range, then Step; Hide gives the message back.
  void ShowProgress(const std::string& text, int64_t lower, int64_t upper);
  void HideProgress();
  bool ProgressShown() const { return progress_; }
  const std::string& ProgressText() const { return progress_text_; }
  // True when the percentage changed (the bar is to be repainted).
  bool StepProgress(int64_t position);
  int LastPercent() const { return last_percent_; }
  static int Percent(int64_t position, int64_t lower, int64_t upper);

  // True when the state changed.
  bool SetNetState(int state);
  int NetStateNow() const { return net_; }

 private:
  uint32_t active_ = 0, requested_ = 0, editable_ = 0;
  bool rebuild_ = false;
  unsigned styles_[SP_COUNT];
  int kind_ = SK_PLAIN;
  std::string message_, kept_;
  bool progress_ = false;
  std::string progress_text_;
  int64_t lower_ = 0, upper_ = 0;
  int last_percent_ = -1;
  int net_ = 0;
};
