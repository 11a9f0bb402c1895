#include "workbench/shell/statusmodel.h"

#include <cstdio>

#include "workbench/base/sysassert.h"

const StatusPaneDef kStatusPanes[SP_COUNT] = {
    {0, "", FW_PANE_STRETCH | FW_PANE_NOBORDERS, 0, false},
    {0, "", FW_PANE_NORMAL, 0, false},
    {0, "", FW_PANE_STRETCH | FW_PANE_NOBORDERS, 0, false},
    {ID_PANE_LINENUMBER_LABEL, "Line Number:", FW_PANE_NOBORDERS, 0, false},
    {ID_PANE_LINENUMBER, "-", FW_PANE_NORMAL, 0, true},
    {ID_PANE_LINE_LABEL, "Line:", FW_PANE_NOBORDERS, 0, false},
    {ID_PANE_LINE, "-", FW_PANE_NORMAL, 0, true},
    {ID_PANE_COLUMN_LABEL, "Col:", FW_PANE_NOBORDERS, 0, false},
    {ID_PANE_COLUMN, "-", FW_PANE_NORMAL, 0, true},
    {ID_PANE_X_LABEL, "X:", FW_PANE_NOBORDERS, 0, false},
    {ID_PANE_X, "-", FW_PANE_NORMAL, 0, true},
    {ID_PANE_Y_LABEL, "Y:", FW_PANE_NOBORDERS, 0, false},
    {ID_PANE_Y, "-", FW_PANE_NORMAL, 0, true},
    {ID_PANE_WIDTH_LABEL, "Width:", FW_PANE_NOBORDERS, 0, false},
    {ID_PANE_WIDTH, "-", FW_PANE_NORMAL, 0, true},
    {ID_PANE_HEIGHT_LABEL, "Height:", FW_PANE_NOBORDERS, 0, false},
    {ID_PANE_HEIGHT, "-", FW_PANE_NORMAL, 0, true},
    {ID_PANE_OVR, "OVR", FW_PANE_NORMAL, 0, false},
    {ID_PANE_CAP, "CAP", FW_PANE_NORMAL, 0, false},
    {ID_PANE_NUM, "NUM", FW_PANE_NORMAL, 0, false},
    {ID_PANE_NETWORK, "-", FW_PANE_DISABLED | FW_PANE_NOBORDERS, 10, false},
    {ID_PANE_RUN, "RUN", FW_PANE_NORMAL, 0, false},
};

std::string Status_Format(const char* format, va_list args) {
  char buffer[STATUS_TEXT_MAX];
  int n = vsnprintf(buffer, sizeof buffer, format ? format : "", args);
  if (n < 0) return std::string();
  size_t len = static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1;
  // A cut inside a multi-byte character drops the broken tail.
  if (static_cast<size_t>(n) >= sizeof buffer) {
    size_t start = len;
    while (start > 0 && (static_cast<unsigned char>(buffer[start - 1]) & 0xC0) == 0x80) --start;
    if (start > 0 && static_cast<unsigned char>(buffer[start - 1]) >= 0xC0) {
      unsigned char lead = static_cast<unsigned char>(buffer[start - 1]);
      size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
      if (len - (start - 1) < need) len = start - 1;
    }
  }
  return std::string(buffer, len);
}

StatusModel::StatusModel() {
  for (int i = 0; i < SP_COUNT; ++i) styles_[i] = kStatusPanes[i].style;
}

void StatusModel::Activate(int pane, bool on, bool editable) {
  SYS_ASSERT(pane >= 0 && pane < SP_COUNT);
  uint32_t bit = 1u << pane;
  uint32_t requested = on ? (requested_ | bit) : (requested_ & ~bit);
  uint32_t edit = on && editable ? (editable_ | bit) : (editable_ & ~bit);
  if (requested != requested_ || edit != editable_) rebuild_ = true;
  requested_ = requested;
  editable_ = edit;
}

int StatusModel::PaneIdx(int pane) const {
  if (!IsActive(pane)) SYS_ASSERT(!"CYqStatusBar::PaneIdx() pane is inactive");
  int idx = 0;
  for (int i = 0; i < pane; ++i) idx += IsActive(i) ? 1 : 0;
  return idx;
}

bool StatusModel::Rebuild() {
  if (!rebuild_) return false;
  rebuild_ = false;
  active_ = requested_;
  return true;
}

void StatusModel::SetMessage(int kind, const std::string& text) {
  HideProgress();
  if (text.empty()) {
    message_.clear();
    kind_ = SK_PLAIN;
  } else {
    message_ = text;
    kind_ = kind;
  }
}

void StatusModel::ShowProgress(const std::string& text, int64_t lower, int64_t upper) {
  if (text.empty() || upper == 0) {
    HideProgress();
    return;
  }
  SYS_ASSERT(lower <= upper);
  if (!progress_) kept_ = message_;
  message_.clear();
  progress_ = true;
  progress_text_ = text;
  lower_ = lower;
  upper_ = upper;
  last_percent_ = -1;
  ClearStyleBits(SP_MESSAGE, FW_PANE_STRETCH);
  SetStyleBits(SP_MESSAGE, FW_PANE_DISABLED);
  Activate(SP_PROGRESS_TEXT, true);
  Activate(SP_PROGRESS_BAR, true);
  StepProgress(lower);
  last_percent_ = 0;
}

void StatusModel::HideProgress() {
  if (!progress_) return;
  progress_ = false;
  Activate(SP_PROGRESS_TEXT, false);
  Activate(SP_PROGRESS_BAR, false);
  SetStyleBits(SP_MESSAGE, FW_PANE_STRETCH);
  ClearStyleBits(SP_MESSAGE, FW_PANE_DISABLED);
  message_ = kept_;
  kept_.clear();
}

int StatusModel::Percent(int64_t position, int64_t lower, int64_t upper) {
  if (position >= upper - 1) return 100;
  if (position <= lower) return 0;
  // 64-bit product: byte counts of large files overflow 32 bits here.
  return static_cast<int>((position - lower) * 100 / (upper - lower));
}

bool StatusModel::StepProgress(int64_t position) {
  if (!progress_) return false;
  int percent = Percent(position, lower_, upper_);
  if (percent == last_percent_) return false;
  last_percent_ = percent;
  return true;
}

bool StatusModel::SetNetState(int state) {
  if (state == net_) return false;
  net_ = state;
  return true;
}
