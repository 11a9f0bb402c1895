// The report list "Installed Plug-In Modules": one row per loaded plug-in in
// the manager's order, each row holding its PluginID; a row's text is the
// plug-in's Description, asked for when the row is painted.
#pragma once

#include <string>

#include "workbench/debugger/infolistctrl.h"

class PluginID;

class CPluginList : public CInfoListCtrl {
 public:
  explicit CPluginList(QWidget* parent = nullptr);

  // Once (later calls return 1 at once): the column fitted to its heading
  // and a row per plug-in. 1; 0 when a row cannot be added.
  int Init();
  // A row at the end for `plugin` (null is a failed check): its index, or -1
  // before Init.
  int AddItem(PluginID* plugin);
  // The text of column 0: the plug-in's Description.
  std::string ItemText(const void* record, int column) const override;
};
