#include "workbench/shell/frames/browsebar.h"

#include <functional>
#include <utility>

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabWidget>

#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandids.h"

namespace {

// The bar as a window of the MDI area; closing it gives the tabs back.
class BrowseWindow : public QMdiSubWindow {
 public:
  BrowseWindow(CBrowseBar* bar, std::function<void()> on_close) : bar_(bar), on_close_(std::move(on_close)) {
    setAttribute(Qt::WA_DeleteOnClose);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (!bar_->MenuKey(event, widget() != nullptr ? widget() : this)) QMdiSubWindow::keyPressEvent(event);
  }
  void contextMenuEvent(QContextMenuEvent* event) override {
    bar_->ShowContextMenu(event->globalPos());
    event->accept();
  }
  void closeEvent(QCloseEvent* event) override {
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && on_close_) std::exchange(on_close_, nullptr)();
  }

 private:
  CBrowseBar* bar_;
  std::function<void()> on_close_;
};

// The menu opens this far inside the bar when the keyboard asks for it.
constexpr int kKeyMenuOffset = 5;

}  // namespace

CBrowseBar::CBrowseBar(QWidget* parent) : QDockWidget("Browse", parent), tabs_(new QTabWidget(this)) {
  setObjectName(QString::number(ID_VIEW_BROWSE));
  tabs_->setObjectName(QString::number(ID_BROWSE_TABS));
  tabs_->setTabPosition(QTabWidget::South);
  tabs_->setDocumentMode(true);
  // The cross-reference window and the help pane plug in here; until then
  // each tab says what it will hold.
  auto* files = new QLabel("No program open.");
  files->setObjectName(QString::number(ID_BROWSE_FILES));
  files->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  auto* help = new QLabel("No help contents.");
  help->setObjectName(QString::number(ID_BROWSE_HELP));
  help->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  tabs_->addTab(files, "Files");
  tabs_->addTab(help, "Help");
  setWidget(tabs_);
  // A click anywhere on the bar gives it the keyboard (Shift+F10).
  setFocusPolicy(Qt::ClickFocus);
}

CBrowseBar::~CBrowseBar() = default;

void CBrowseBar::SetPane(int index, QWidget* pane) {
  if (index < 0 || index >= tabs_->count()) return;
  QString text = tabs_->tabText(index);
  QWidget* old = tabs_->widget(index);
  bool current = tabs_->currentIndex() == index;
  tabs_->removeTab(index);
  tabs_->insertTab(index, pane, text);
  if (current) tabs_->setCurrentIndex(index);
  delete old;
}

bool CBrowseBar::Shown() const { return window_ != nullptr || isVisible(); }

void CBrowseBar::SetShown(bool shown) {
  if (window_ != nullptr) {
    if (!shown) window_->close();
    return;
  }
  setVisible(shown);
}

void CBrowseBar::SetInWindow(bool in_window, QMdiArea* area) {
  if (in_window == InWindow()) return;
  if (in_window) {
    if (area == nullptr) return;
    setWidget(nullptr);
    hide();
    auto* window = new BrowseWindow(this, [this] { WindowClosed(); });
    window->setWindowTitle(windowTitle());
    window->setWindowIcon(windowIcon());
    window->setWidget(tabs_);
    tabs_->show();
    window_ = window;
    area->addSubWindow(window);
    window->show();
    area->setActiveSubWindow(window);
    return;
  }
  // Docked again: the window lets the tabs go and leaves.
  QMdiSubWindow* window = std::exchange(window_, nullptr);
  window->setWidget(nullptr);
  setWidget(tabs_);
  tabs_->show();
  show();
  window->close();
}

void CBrowseBar::WindowClosed() {
  if (window_ == nullptr) return;
  QMdiSubWindow* window = std::exchange(window_, nullptr);
  window->setWidget(nullptr);
  setWidget(tabs_);
  hide();
}

void CBrowseBar::ShowContextMenu(const QPoint& global) {
  FwApp* app = Fw_App();
  if (app == nullptr) return;
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  app->Commands().FillMenu(menu, FwPlace::ContextBrowse);
  menu->popup(global);
}

bool CBrowseBar::MenuKey(QKeyEvent* event, QWidget* client) {
  const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (!(event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier) && event->key() != Qt::Key_Menu) return false;
  ShowContextMenu(client->mapToGlobal(QPoint(kKeyMenuOffset, kKeyMenuOffset)));
  event->accept();
  return true;
}

void CBrowseBar::keyPressEvent(QKeyEvent* event) {
  if (!MenuKey(event, widget() != nullptr ? widget() : this)) QDockWidget::keyPressEvent(event);
}
