// The base of the lists whose rows each carry one record (breakpoints,
// debug sessions, servers, plug-ins). A subclass sets columns_set_up when it
// has made its columns and filled the rows, and clears it once it has freed
// the records; while it is false the list reports itself empty. Row texts
// are asked of the subclass when a row is painted.
#pragma once

#include <string>

#include <QTreeWidget>

// Puts `heading` on `column` and makes the column as wide as the heading in
// the list's font plus a margin. The column's index.
int InsertFittedColumn(QTreeWidget* list, int column, const char* heading, Qt::Alignment format = Qt::AlignLeft);
enum { FittedColumnMargin = 15 };

class CInfoListCtrl : public QTreeWidget {
 public:
  explicit CInfoListCtrl(QWidget* parent = nullptr);
  ~CInfoListCtrl() override = default;

  // The first selected row, or -1 (also before set-up).
  int GetSelectedIdx() const;
  // The record of a row, or null before set-up or outside 0 .. count - 1.
  void* GetItemInfo(int row) const;
  int GetItemCount() const { return topLevelItemCount(); }
  bool ColumnsSetUp() const { return columns_set_up; }

  // The text of a record's column (empty for columns without text).
  virtual std::string ItemText(const void* record, int column) const = 0;

 protected:
  // Appends a row with image 0 and the record as its data; the new row.
  int AppendRow(void* record);
  void* GetItemData(int row) const;
  void SetItemData(int row, void* record);
  void DeleteRow(int row);
  // Repaints a row after its record changed.
  void RedrawRow(int row);

  bool columns_set_up = false;
};
