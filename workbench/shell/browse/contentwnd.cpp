#include "workbench/shell/browse/contentwnd.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "workbench/base/diag.h"
#include "workbench/base/settings/config.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/programs/dirutil.h"
#include "workbench/shell/controls/guiutil.h"

namespace {

// The entry of a row travels in the row's data.
constexpr int kItemRole = Qt::UserRole;

QIcon image_icon(int image) {
  // Closed books, open books and pages.
  QStyle* style = QApplication::style();
  switch (image) {
    case 1:
    case 3: return style->standardIcon(QStyle::SP_DirOpenIcon);
    case 4: return style->standardIcon(QStyle::SP_FileIcon);
    default: return style->standardIcon(QStyle::SP_DirClosedIcon);
  }
}

}  // namespace

ContentWnd::ContentWnd(CfgHelp* help, ShowHelp show_help, QWidget* parent)
    : QWidget(parent), help_(help), show_help_(std::move(show_help)), tree_(new QTreeWidget(this)) {
  tree_->setObjectName(QString::number(ID_BROWSE_HELP));
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setIconSize(QSize(16, 16));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tree_);
  tree_->installEventFilter(this);
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row, int) {
    const ContentItem* item = ItemOf(row);
    if (item != nullptr && item->HasUrl() && show_help_) show_help_(item->Url());
  });
  auto image = [this](QTreeWidgetItem* row, bool open) {
    if (const ContentItem* item = ItemOf(row))
      row->setIcon(0, image_icon(open ? item->ExpandedImage() : item->Image()));
  };
  connect(tree_, &QTreeWidget::itemExpanded, this, [image](QTreeWidgetItem* row) { image(row, true); });
  connect(tree_, &QTreeWidget::itemCollapsed, this, [image](QTreeWidgetItem* row) { image(row, false); });
  Reload();
}

const ContentItem* ContentWnd::ItemOf(const QTreeWidgetItem* row) const {
  if (row == nullptr) return nullptr;
  return static_cast<const ContentItem*>(row->data(0, kItemRole).value<const void*>());
}

void ContentWnd::AddRows(QTreeWidgetItem* parent, const ContentItem& item) {
  auto* row = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
  row->setText(0, QString::fromStdString(item.Name()));
  row->setData(0, kItemRole, QVariant::fromValue(static_cast<const void*>(&item)));
  row->setIcon(0, image_icon(item.Image()));
  for (const auto& child : item.Children()) AddRows(row, *child);
}

void ContentWnd::Reload() {
  tree_->clear();
  contents_.Clear();
  // The base address is the one this file names, if any.
  help_->Url.clear();
  std::string path = help_->ConfigLocation;
  DirUtil_NormalizePath(path);
  if (path.empty() || !DirUtil_FileExists(path.c_str())) return;
  std::unique_ptr<FileBuffer> file = DirUtil_OpenFile(path.c_str());
  if (!file) return;
  const char* text = nullptr;
  uint32_t size = 0;
  file->GetData(&text, &size);
  HelpReadResult result = HelpContent_Read(text, size, help_, &contents_);
  for (const auto& item : contents_.Top()) AddRows(nullptr, *item);
  if (result.error_line != 0) {
    std::string message = HelpContent_SyntaxMessage(path.c_str(), result.error_line);
    Diag_GeneralFailure("%s", message.c_str());
  }
}

bool ContentWnd::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
      GUI_IsPlainKey(static_cast<QKeyEvent*>(event), Qt::Key_F1)) {
    // The pane's help, before the window's Help.
    if (event->type() == QEvent::ShortcutOverride)
      event->accept();
    else if (show_help_)
      show_help_("HIDW_CONTENT_PANE");
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
