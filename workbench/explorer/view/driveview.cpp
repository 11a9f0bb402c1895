#include "workbench/explorer/view/driveview.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/shellsink.h"
#include "workbench/explorer/view/exploredoc.h"
#include "workbench/explorer/view/fileview.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandtable.h"

namespace {

constexpr const char* kMountInfo = "/proc/self/mountinfo";
constexpr const char* kServerList = "Server";

std::vector<ExploreVolume> MountedVolumes() {
  std::ifstream in(kMountInfo);
  std::stringstream text;
  text << in.rdbuf();
  return Explore_ParseMountInfo(text.str(), Explore_IsRemovableDevice);
}

std::vector<ExploreServer> ConfiguredServers() {
  std::vector<ExploreServer> servers;
  const int total = Cfg_ListTotal(kServerList);
  for (int i = 0; i < total; ++i) {
    const std::string entry = Cfg_ListGet(kServerList, i);
    if (entry.empty()) continue;
    ExploreServer server;
    server.name = Cfg_EntryName(entry.c_str());
    server.title = Cfg_GetString(entry.c_str(), "Title");
    if (!server.name.empty()) servers.push_back(std::move(server));
  }
  return servers;
}

ExploreNode* NodeOf(const QTreeWidgetItem* item) {
  return item == nullptr ? nullptr : reinterpret_cast<ExploreNode*>(item->data(0, Qt::UserRole).value<quintptr>());
}

void Box(const std::string& caption, const std::string& text, unsigned style) {
  Shell_Sink().message_box(Shell_OwnerWindow(), caption.c_str(), text.c_str(), style);
}

struct BusyCursor {
  BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

QIcon Explore_Icon(int image) {
  QStyle* style = QApplication::style();
  switch (image) {
    case EXPLORE_IMAGE_FIXED: return style->standardIcon(QStyle::SP_DriveHDIcon);
    case EXPLORE_IMAGE_REMOVABLE: return style->standardIcon(QStyle::SP_DriveFDIcon);
    case EXPLORE_IMAGE_OPTICAL: return style->standardIcon(QStyle::SP_DriveCDIcon);
    case EXPLORE_IMAGE_FOLDER: return style->standardIcon(QStyle::SP_DirClosedIcon);
    case EXPLORE_IMAGE_FOLDER_OPEN: return style->standardIcon(QStyle::SP_DirOpenIcon);
    case EXPLORE_IMAGE_REMOTE: return style->standardIcon(QStyle::SP_DriveNetIcon);
    case EXPLORE_IMAGE_COMPUTER: return style->standardIcon(QStyle::SP_ComputerIcon);
    case EXPLORE_IMAGE_EXECUTABLE: return style->standardIcon(QStyle::SP_MediaPlay);
    case EXPLORE_IMAGE_TEXT: return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    case EXPLORE_IMAGE_PROGRAM: return style->standardIcon(QStyle::SP_FileDialogContentsView);
    default: return style->standardIcon(QStyle::SP_FileIcon);
  }
}

CDriveView::CDriveView(FwDocument* doc, QWidget* parent)
    : FwView(doc, parent),
      tree_([](const std::string& path, int mode) { return DirList_Open(path.c_str(), "", mode, 0); }),
      widget_(new QTreeWidget(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(widget_);
  setFocusProxy(widget_);
  widget_->setHeaderHidden(true);
  widget_->setIconSize(QSize(16, 16));
  // Deep folders keep their whole names: the column is as wide as the
  // widest shown name (FitColumn) and the tree scrolls sideways.
  widget_->header()->setStretchLastSection(false);
  widget_->installEventFilter(this);
  // A folder the file list shows takes its subfolders from the list's rows.
  tree_.SetShownRows([this](const std::string& path) -> const std::vector<ExploreRow>* {
    CExploreDoc* explore = Doc();
    CFileView* list = explore != nullptr ? explore->GetFileView() : nullptr;
    return list != nullptr ? list->RowsOf(path) : nullptr;
  });
  {
    BusyCursor busy;
    const char* home = std::getenv("HOME");
    tree_.Build(home != nullptr ? home : "", MountedVolumes(), ConfiguredServers());
  }
  QTreeWidgetItem* root = MakeItem(&tree_.Root());
  widget_->addTopLevelItem(root);
  Populate(root);
  root->setExpanded(true);
  connect(widget_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { OnExpanded(item); });
  connect(widget_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { OnCollapsed(item); });
  connect(widget_, &QTreeWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
}

CExploreDoc* CDriveView::Doc() const { return dynamic_cast<CExploreDoc*>(Document()); }

QTreeWidgetItem* CDriveView::MakeItem(ExploreNode* node) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, Explore_DisplayName(node->DisplayText()));
  item->setIcon(0, Explore_Icon(node->image));
  item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
  // A placeholder gives the node its expand button.
  if (node->has_dummy_folder) item->addChild(new QTreeWidgetItem);
  items_[node] = item;
  return item;
}

void CDriveView::Populate(QTreeWidgetItem* item) {
  ExploreNode* node = NodeOf(item);
  if (node == nullptr) return;
  if (node->has_dummy_folder) {
    BusyCursor busy;
    tree_.AddChildren(*node);
  }
  const bool was = filling_;
  filling_ = true;
  for (int i = item->childCount() - 1; i >= 0; --i)
    if (NodeOf(item->child(i)) == nullptr) delete item->takeChild(i);
  for (auto& child : node->children)
    if (items_.find(child.get()) == items_.end()) item->addChild(MakeItem(child.get()));
  filling_ = was;
}

QTreeWidgetItem* CDriveView::ItemOf(ExploreNode* node) {
  if (node == nullptr) return nullptr;
  if (auto it = items_.find(node); it != items_.end()) return it->second;
  QTreeWidgetItem* parent = ItemOf(node->parent);
  if (parent == nullptr) return nullptr;
  Populate(parent);
  auto it = items_.find(node);
  return it == items_.end() ? nullptr : it->second;
}

void CDriveView::OnExpanded(QTreeWidgetItem* item) {
  if (filling_) return;
  Populate(item);
  FitColumn();
}

void CDriveView::FitColumn() {
  widget_->resizeColumnToContents(0);
  const int least = widget_->viewport()->width();
  if (widget_->columnWidth(0) < least) widget_->setColumnWidth(0, least);
}

void CDriveView::OnCollapsed(QTreeWidgetItem* item) {
  ExploreNode* node = NodeOf(item);
  if (filling_ || node == nullptr || node->kind == ExploreNodeKind::computer) return;
  // A selection below the node moves up to it first.
  for (ExploreNode* n = SelectedNode(); n != nullptr; n = n->parent)
    if (n->parent == node) {
      widget_->setCurrentItem(item);
      break;
    }
  filling_ = true;
  std::vector<ExploreNode*> stack;
  for (auto& child : node->children) stack.push_back(child.get());
  while (!stack.empty()) {
    ExploreNode* n = stack.back();
    stack.pop_back();
    items_.erase(n);
    for (auto& child : n->children) stack.push_back(child.get());
  }
  while (item->childCount() > 0) delete item->takeChild(0);
  ExploreTree::RemoveChildren(*node);
  item->addChild(new QTreeWidgetItem);
  filling_ = false;
}

ExploreNode* CDriveView::SelectedNode() const { return NodeOf(widget_->currentItem()); }

void CDriveView::OnSelectionChanged() {
  if (filling_) return;
  for (auto& [node, item] : items_)
    if (node->kind == ExploreNodeKind::folder) item->setIcon(0, Explore_Icon(EXPLORE_IMAGE_FOLDER));
  ExploreNode* node = SelectedNode();
  if (node == nullptr) return;
  if (node->kind == ExploreNodeKind::folder)
    widget_->currentItem()->setIcon(0, Explore_Icon(EXPLORE_IMAGE_FOLDER_OPEN));
  std::string error;
  const std::string path = ExploreTree::GetPathFromNode(*node, &error);
  if (!error.empty()) {
    Box("OnSelChanged()", error, SHELL_MB_OK | SHELL_MB_ICONEXCLAMATION);
    return;
  }
  if (CExploreDoc* doc = Doc()) doc->SetCurrentPath(path);
}

bool CDriveView::SelectPath(const std::string& path, bool report) {
  std::string error;
  ExploreNode* node;
  {
    BusyCursor busy;
    node = tree_.GetNodeFromPath(path, &error);
  }
  if (!error.empty()) {
    if (report) Box(EXPLORE_CAPTION_NODE_FROM_PATH, error, SHELL_MB_OK | SHELL_MB_ICONEXCLAMATION);
    return false;
  }
  QTreeWidgetItem* item = ItemOf(node);
  if (item == nullptr) {
    if (report)
      Box("Cannot Change Directory", "The directory \"" + path + "\"\ndoes not exist or cannot be accessed.",
          SHELL_MB_OK | SHELL_MB_ICONSTOP);
    return false;
  }
  for (QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent()) up->setExpanded(true);
  widget_->setCurrentItem(item);
  FitColumn();
  widget_->scrollToItem(item);
  // The tree scrolls sideways only to its column's edge: bring a deep
  // folder's name into view, with one step of its indentation.
  const QRect at = widget_->visualItemRect(item);
  if (at.left() < 0 || at.right() > widget_->viewport()->width()) {
    QScrollBar* bar = widget_->horizontalScrollBar();
    bar->setValue(bar->value() + at.left() - widget_->indentation());
  }
  return true;
}

bool CDriveView::IsFolder(const std::string& name, bool navigate) {
  ExploreNode* node = SelectedNode();
  if (node == nullptr) return false;
  QTreeWidgetItem* item = ItemOf(node);
  if (item == nullptr) return false;
  Populate(item);
  for (auto& child : node->children)
    if (child->kind == ExploreNodeKind::folder && child->text == name) {
      if (navigate) {
        item->setExpanded(true);
        if (QTreeWidgetItem* target = ItemOf(child.get())) {
          widget_->setCurrentItem(target);
          widget_->scrollToItem(target);
        }
      }
      return true;
    }
  return false;
}

bool CDriveView::CanGoUp() const {
  const ExploreNode* node = SelectedNode();
  return node != nullptr && node->parent != nullptr;
}

bool CDriveView::Up() {
  ExploreNode* node = SelectedNode();
  if (node == nullptr || node->parent == nullptr) return false;
  QTreeWidgetItem* item = ItemOf(node->parent);
  if (item == nullptr) return false;
  widget_->setCurrentItem(item);
  FitColumn();
  widget_->scrollToItem(item);
  // The tree scrolls sideways only to its column's edge: bring a deep
  // folder's name into view, with one step of its indentation.
  const QRect at = widget_->visualItemRect(item);
  if (at.left() < 0 || at.right() > widget_->viewport()->width()) {
    QScrollBar* bar = widget_->horizontalScrollBar();
    bar->setValue(bar->value() + at.left() - widget_->indentation());
  }
  return true;
}

bool CDriveView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == widget_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace) {
    if (FwApp* app = Fw_App())
      app->Commands().Trigger(ID_EXPLORE_UP);
    else
      Up();
    return true;
  }
  return FwView::eventFilter(watched, event);
}

void CDriveView::resizeEvent(QResizeEvent* event) {
  FwView::resizeEvent(event);
  FitColumn();
  if (CExploreDoc* doc = Doc(); doc != nullptr && isVisible() && width() > 0)
    doc->Windows().Explore().SetTreeWidth(width());
}
