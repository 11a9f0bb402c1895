#include "workbench/debugger/breakpointlist.h"

#include <QHeaderView>

#include "workbench/programs/dirutil.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/sysassert.h"

namespace {

constexpr int kSegmentWidth = 96;
constexpr int kLineWidth = 48;

}  // namespace

std::string Breakpoint_SegmentText(const CfgBreakpoint& breakpoint) {
  if (breakpoint.HasText()) return breakpoint.Text;
  return "#" + std::to_string(breakpoint.Segment);
}

CBreakpointList::CBreakpointList(CfgBreakpoints& breakpoints, ProgramLink& program, QWidget* parent)
    : CInfoListCtrl(parent), breakpoints_(breakpoints), program_(program) {}

CBreakpointList::~CBreakpointList() {
  if (!columns_set_up) return;
  columns_set_up = false;
  program_.RefreshBreakpointMarks();
}

bool CBreakpointList::Setup() {
  if (columns_set_up) return true;
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  // The selection stays visible when the list loses the focus.
  QPalette pal = palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(pal);
  setColumnCount(3);
  setHeaderLabels({"File", "Segment", "Line"});
  // "File" takes what the other two leave.
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::Stretch);
  header()->resizeSection(1, kSegmentWidth);
  header()->resizeSection(2, kLineWidth);
  columns_set_up = true;
  program_.UpdateBreakpointList();
  for (CfgBreakpoint* bp = breakpoints_.head; bp; bp = bp->next)
    if (!bp->temporary && AddItem(bp) < 0) return false;
  return true;
}

int CBreakpointList::AddItem(CfgBreakpoint* item) {
  SYS_ASSERT(item);
  if (!columns_set_up) return -1;
  return AppendRow(item);
}

bool CBreakpointList::RemoveItem(int row) {
  if (!columns_set_up || row < 0 || row >= GetItemCount()) return false;
  auto* bp = static_cast<CfgBreakpoint*>(GetItemData(row));
  DeleteRow(row);
  program_.DropBreakpointMark(*bp);
  delete bp;  // unlinks itself from the stored list
  breakpoints_.SetModified(true);
  return true;
}

std::vector<int> CBreakpointList::SelectedRows() const {
  std::vector<int> rows;
  for (int i = 0; i < GetItemCount(); ++i)
    if (topLevelItem(i)->isSelected()) rows.push_back(i);
  return rows;
}

std::string CBreakpointList::ItemText(const void* record, int column) const {
  const auto* bp = static_cast<const CfgBreakpoint*>(record);
  if (!bp) return "";
  switch (column) {
    case 0: {
      const QFontMetrics metrics = fontMetrics();
      return DirUtil_ShortenPath(bp->FileName, columnWidth(0), [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
      });
    }
    case 1: return Breakpoint_SegmentText(*bp);
    case 2: return std::to_string(bp->Line);
    default: return "";
  }
}
