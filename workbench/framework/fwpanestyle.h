// Style bits of a status pane, shared by the status bar's model and its
// panes.
#pragma once

enum FwPaneStyle : unsigned {
  FW_PANE_NORMAL = 0,
  FW_PANE_NOBORDERS = 0x01,  // drawn without the sunken border
  FW_PANE_STRETCH = 0x02,    // takes the room left over
  FW_PANE_DISABLED = 0x04,   // shown greyed
};
