#include "workbench/shell/controls/guiutil.h"

#include <algorithm>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QTreeView>
#include <QWidget>

#include "workbench/base/sysassert.h"

namespace {

struct CellCache {
  bool measured = false;
  int width = 0, height = 0;
};
CellCache g_standard_cell, g_edit_cell;

const QFont& StandardFont() {
  static const QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  return font;
}

const QFont& EditFont() {
  static const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  return font;
}

void Cell(CellCache& cache, QWidget* window, const QFont& font, int* width, int* height) {
  if (!cache.measured) {
    GUI_MeasureFont(window, font, &cache.width, &cache.height);
    cache.measured = true;
  }
  if (width != nullptr) *width = cache.width;
  if (height != nullptr) *height = cache.height;
}

}  // namespace

QFont GUI_SetStandardFont(QWidget* window) { return GUI_SetFont(window, StandardFont()); }
QFont GUI_SetEditFont(QWidget* window) { return GUI_SetFont(window, EditFont()); }

QFont GUI_SetFont(QWidget* window, const QFont& font) {
  if (window != nullptr) window->setFont(font);
  return font;
}

void GUI_MeasureFont(QWidget* window, const QFont& font, int* width, int* height) {
  SYS_ASSERT(window);
  SYS_ASSERT(width);
  SYS_ASSERT(height);
  QFontMetrics fm(font);
  *width = fm.averageCharWidth();
  *height = fm.height() + fm.leading();
}

void GUI_GetCellSize(QWidget* window, int* width, int* height) {
  Cell(g_standard_cell, window, StandardFont(), width, height);
}

void GUI_GetEditCellSize(QWidget* window, int* width, int* height) {
  Cell(g_edit_cell, window, EditFont(), width, height);
}

QSize GUI_GetTextExtentInFont(QWidget* window, const QFont* font, const char* text) {
  SYS_ASSERT(window);
  SYS_ASSERT(text);
  if (font == nullptr) return QSize(0, 0);
  QFontMetrics fm(*font);
  return QSize(fm.horizontalAdvance(QString::fromUtf8(text)), fm.height());
}

QSize GUI_GetTextExtent(QWidget* window, const char* text) {
  return GUI_GetTextExtentInFont(window, &StandardFont(), text);
}

QSize GUI_GetEditTextExtent(QWidget* window, const char* text) {
  return GUI_GetTextExtentInFont(window, &EditFont(), text);
}

void GUI_SetHeightInLines(QWidget* window, int lines) {
  int h = 0;
  GUI_GetCellSize(window, nullptr, &h);
  GUI_GrowWindow(window, lines, h);
}

void GUI_GrowWindow(QWidget* window, int lines, int line_height) {
  SYS_ASSERT(window);
  int edge = 2 * window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  window->resize(window->width(), window->height() + lines * line_height + edge);
}

void GUI_FitListColumn(QTreeView* list, int column, const QRect* rect) {
  SYS_ASSERT(list);
  QHeaderView* header = list->header();
  int width = rect != nullptr ? rect->width() : list->viewport()->width();
  for (int c = 0; c < header->count(); ++c)
    if (c != column) width -= header->sectionSize(c);
  header->resizeSection(column, width < 0 ? 0 : width);
}

namespace {

// Beside its text a caption shares the title bar with the window's icon
// and its three buttons, each about a line high, and their spacing; window
// managers often draw it in bold.
constexpr int kCaptionLines = 10;
// A line edit's frame and text margins.
constexpr int kEditPadding = 16;

int HalfScreenWidth(const QWidget* window) {
  const QScreen* screen = window->screen();
  return screen != nullptr ? screen->availableGeometry().width() / 2 : 640;
}

}  // namespace

void GUI_FitCaption(QWidget* dialog) {
  SYS_ASSERT(dialog);
  QFont bold = dialog->font();
  bold.setBold(true);
  QFontMetrics metrics(bold);
  int width = metrics.horizontalAdvance(dialog->windowTitle()) + kCaptionLines * metrics.height();
  dialog->setMinimumWidth(std::min(width, 2 * HalfScreenWidth(dialog)));
}

void GUI_FitTextWidth(QLineEdit* edit) {
  SYS_ASSERT(edit);
  int width = edit->fontMetrics().horizontalAdvance(edit->text()) + kEditPadding;
  edit->setMinimumWidth(std::min(width, HalfScreenWidth(edit)));
}

bool GUI_IsPlainKey(const QKeyEvent* event, int key) {
  return event->key() == key && (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
}
