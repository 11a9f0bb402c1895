// The update record of one command: what an update handler says about a menu
// item, tool button or status pane before the user sees it.
#pragma once

#include <optional>
#include <string>

struct FwCmdUI {
  int id = 0;
  bool enabled = true;
  std::optional<bool> checked;      // unset: the handler said nothing
  std::optional<std::string> text;  // unset: keep the text
  bool shown = true;

  void Enable(bool on = true) { enabled = on; }
  void SetCheck(bool on = true) { checked = on; }
  void SetText(const std::string& t) { text = t; }
  void Show(bool on = true) { shown = on; }
};
