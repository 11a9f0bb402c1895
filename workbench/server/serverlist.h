// The list of configured program servers on the Server page of the
// Application Properties: one row per entry of the profile list "Server",
// columns "Server" and "Description", each row owning its ServerINFO.
#pragma once

#include <QIcon>

#include "workbench/debugger/infolistctrl.h"
#include "workbench/server/serverinfo.h"

class CServerList : public CInfoListCtrl {
 public:
  explicit CServerList(QWidget* parent = nullptr);
  ~CServerList() override;  // frees every row's ServerINFO

  // Once per control: icons, columns and the rows in list order. False when
  // a row cannot be inserted.
  bool Init();
  // Appends a row owning `info` (failed check on null); -1 before Init.
  int AddItem(ServerINFO* info);
  // Deletes a row and its ServerINFO; false out of range or before Init.
  bool RemoveItem(int index);
  // `info` must be the row's own data; the row is repainted.
  void UpdateItem(int index, ServerINFO* info);
  // Empties the profile list "Server" and writes one entry per row, in row
  // order. False before Init or when a row has no data.
  bool SaveConfig();

  std::string ItemText(const void* record, int column) const override;

 private:
  QIcon server_icon_;
};
