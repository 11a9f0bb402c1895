#include "workbench/explorer/view/exploreframe.h"

#include <cstring>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include "workbench/framework/fwplacement.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/explorer/view/driveview.h"
#include "workbench/explorer/view/exploredoc.h"
#include "workbench/explorer/view/explorerows.h"
#include "workbench/explorer/view/fileview.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandtable.h"
#include "workbench/shell/controls/filecombos.h"

namespace {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 400;

// The list style of each style command.
uint32_t StyleOf(int id) {
  switch (id) {
    case ID_EXPLORE_LARGE_ICONS: return EXPLORE_STYLE_LARGE_ICONS;
    case ID_EXPLORE_SMALL_ICONS: return EXPLORE_STYLE_SMALL_ICONS;
    case ID_EXPLORE_LIST: return EXPLORE_STYLE_LIST;
    default: return EXPLORE_STYLE_DETAILS;
  }
}

QLabel* Label(const char* text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setContentsMargins(6, 0, 3, 0);
  return label;
}

}  // namespace

// ------------------------------------------------------------ top bar

CExploreTopBar::CExploreTopBar(CExploreDoc* doc, QWidget* parent) : QWidget(parent), bar_(new QToolBar(this)) {
  bar_->setIconSize(QSize(16, 16));
  if (FwApp* app = Fw_App())
    for (int id : Explore_BarIds()) {
      if (id == ID_NONE)
        bar_->addSeparator();
      else if (QAction* action = app->Commands().Action(id))
        bar_->addAction(action);
    }
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 6, 2);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar_);
  layout->addLayout(row);
  CfgExplore& explore = doc->Windows().Explore();
  row->addWidget(Label("Filter:", this));
  switch (doc->Mode()) {
    case ExploreMode::open:
      filter_ = new CFileTypeCB(&explore, true, this);
      filter_->setObjectName(QString::number(IDC_EXPLORE_FILTER));
      row->addWidget(filter_);
      row->addWidget(Label("Open as:", this));
      open_as_ = new CFileOpenAsCB(&explore, this);
      open_as_->setObjectName(QString::number(IDC_EXPLORE_OPEN_AS));
      row->addWidget(open_as_);
      read_only_ = new CReadOnlyBN(this);
      read_only_->setObjectName(QString::number(IDC_EXPLORE_READ_ONLY));
      row->addSpacing(6);
      row->addWidget(read_only_);
      break;
    case ExploreMode::save_as: {
      // The save window's filter follows the format but is not remembered.
      filter_ = new CFileTypeCB(&explore, false, this);
      filter_->setObjectName(QString::number(IDC_EXPLORE_FILTER));
      row->addWidget(filter_);
      row->addWidget(Label("Save as:", this));
      int mode = CfgFileMode_BinaryPROG;
      if (doc->Plugin() == nullptr && doc->Attached() != nullptr) {
        const int current = doc->Attached()->SaveAsFileMode();
        if (current >= CfgFileMode_BinaryPROG && current <= CfgFileMode_Text_CR) mode = current;
      }
      save_as_ = new CFileSaveAsCB(doc->Plugin(), mode, this);
      save_as_->setObjectName(QString::number(IDC_EXPLORE_SAVE_AS));
      row->addWidget(save_as_);
      break;
    }
    default: Sys_AssertFailed("!\"CExploreTopBar::Init() invalid ExploreMode\"", __FILE__, __LINE__);
  }
  row->addStretch(1);
  connect(filter_, &QComboBox::currentIndexChanged, this, [doc] { doc->FilterChanged(); });
}

// ------------------------------------------------------------ bottom bar

CExploreBottomBar::CExploreBottomBar(CExploreDoc* doc, QWidget* parent)
    : QWidget(parent), doc_(doc), mode_(doc->Mode()) {
  const bool open = mode_ == ExploreMode::open;
  if (!open && mode_ != ExploreMode::save_as)
    Sys_AssertFailed("!\"CExploreBottomBar::Init() invalid ExploreMode\"", __FILE__, __LINE__);
  auto* name = new QLineEdit(this);
  name->setObjectName(QString::number(open ? IDC_EXPLORE_OPEN_NAME : IDC_EXPLORE_SAVE_NAME));
  auto* ok = new QPushButton(open ? "Open" : "Save", this);
  ok->setObjectName(QString::number(open ? IDC_EXPLORE_OPEN : IDC_EXPLORE_SAVE));
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName(QString::number(IDC_EXPLORE_CANCEL));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addWidget(new QLabel("File name:", this));
  layout->addWidget(name, 1);
  layout->addWidget(ok);
  layout->addWidget(cancel);
  ok->setDefault(true);
  ok->setEnabled(false);
  name->installEventFilter(this);
  connect(name, &QLineEdit::textChanged, this, [ok](const QString& text) { ok->setEnabled(!text.isEmpty()); });
  connect(ok, &QPushButton::clicked, this, [this] { doc_->DocAction(); });
  connect(cancel, &QPushButton::clicked, this, [this] {
    if (CExploreFrame* frame = doc_->Frame()) frame->close();
  });
}

QLineEdit* CExploreBottomBar::GetWndFileName() const {
  const int id = mode_ == ExploreMode::open ? IDC_EXPLORE_OPEN_NAME : IDC_EXPLORE_SAVE_NAME;
  return findChild<QLineEdit*>(QString::number(id));
}

QPushButton* CExploreBottomBar::GetWndOkBN() const {
  const int id = mode_ == ExploreMode::open ? IDC_EXPLORE_OPEN : IDC_EXPLORE_SAVE;
  return findChild<QPushButton*>(QString::number(id));
}

QPushButton* CExploreBottomBar::CancelButton() const {
  return findChild<QPushButton*>(QString::number(IDC_EXPLORE_CANCEL));
}

bool CExploreBottomBar::eventFilter(QObject* watched, QEvent* event) {
  // The bar may outlive its document by a few events (it goes with its
  // frame, later): only a key in the field reaches the document.
  if (event->type() == QEvent::KeyPress && watched == GetWndFileName()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      doc_->DocAction();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------------ frame

CExploreFrame::CExploreFrame(CExploreDoc* doc, CfgWindowPositions* positions)
    : FwHandlers<CExploreFrame, FwChildFrame>(doc), doc_(doc), mode_(doc->Mode()), positions_(positions) {
  switch (mode_) {
    case ExploreMode::open: setWindowIcon(style()->standardIcon(QStyle::SP_DirOpenIcon)); break;
    case ExploreMode::save_as: setWindowIcon(style()->standardIcon(QStyle::SP_DialogSaveButton)); break;
    default: Sys_AssertFailed("!\"CExploreFrame::OnCreate() invalid ExploreMode\"", __FILE__, __LINE__);
  }
  resize(kFrameWidth, kFrameHeight);
  if (positions_ != nullptr) positions_->entries[CfgWnd_ExploreWindow].Restore(this, false);
}

std::span<const FwCmdEntry<CExploreFrame>> CExploreFrame::Handlers() {
  static const FwCmdEntry<CExploreFrame> table[] = {
      {ID_EXPLORE_LARGE_ICONS, ID_EXPLORE_DETAILS, &CExploreFrame::OnListStyle, &CExploreFrame::OnUpdateListStyle},
      {ID_EXPLORE_UP, ID_EXPLORE_UP, &CExploreFrame::OnUp, &CExploreFrame::OnUpdateUp},
  };
  return table;
}

void CExploreFrame::CreateClient(FwDocTemplate* tmpl) {
  FwChildFrame::CreateClient(tmpl);  // the tree, the template's view
  QSplitter* splitter = Splitter();
  splitter->setOrientation(Qt::Horizontal);
  auto* list = new CFileView(doc_, splitter);
  list->setMinimumSize(10, 10);
  splitter->addWidget(list);

  auto* client = new QWidget;
  setWidget(client);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  top_ = new CExploreTopBar(doc_, client);
  bottom_ = new CExploreBottomBar(doc_, client);
  layout->addWidget(top_);
  layout->addWidget(splitter, 1);
  layout->addWidget(bottom_);
  const int tree = Explore_TreeWidth(doc_->Windows().Explore().TreeWidth);
  splitter->setSizes({tree, std::max(kFrameWidth - tree, tree)});
  splitter->setStretchFactor(1, 1);
  list->OnInitialUpdate();
}

CDriveView* CExploreFrame::DriveView() const { return dynamic_cast<CDriveView*>(View(0)); }
CFileView* CExploreFrame::FileView() const { return dynamic_cast<CFileView*>(View(1)); }

void CExploreFrame::UpdateTitle() {
  if (Document() != nullptr) setWindowTitle(QString::fromUtf8(Document()->Title().c_str()));
}

void CExploreFrame::OnListStyle(int id) {
  const uint32_t style = StyleOf(id);
  doc_->Windows().Explore().SetListStyle(style);
  if (CFileView* list = FileView()) list->SetStyle(style);
}

void CExploreFrame::OnUpdateListStyle(FwCmdUI& ui) {
  CFileView* list = FileView();
  ui.Enable(list != nullptr);
  ui.SetCheck(list != nullptr && list->Style() == StyleOf(ui.id));
}

void CExploreFrame::OnUp(int) {
  if (CDriveView* tree = DriveView()) tree->Up();
}

void CExploreFrame::OnUpdateUp(FwCmdUI& ui) {
  CDriveView* tree = DriveView();
  ui.Enable(tree != nullptr && tree->CanGoUp());
}

void CExploreFrame::closeEvent(QCloseEvent* event) {
  if (positions_ != nullptr) {
    CfgWindowPos& pos = positions_->entries[CfgWnd_ExploreWindow];
    const CfgWindowPos before = pos;
    pos.Save(this);
    if (pos.valid != before.valid || std::memcmp(&pos.placement, &before.placement, sizeof pos.placement) != 0)
      positions_->modified = 1;
  }
  // The document hands its Save As result over before it may go.
  if (doc_ != nullptr && Document() != nullptr) doc_->Finish();
  FwChildFrame::closeEvent(event);
}

bool CExploreFrame::GetPlacement(CfgPlacement* p) { return Fw_PlacementOf(geometry(), isMaximized(), p); }

void CExploreFrame::KeepInsideArea() {
  QMdiArea* area = mdiArea();
  if (area == nullptr || isMaximized() || isMinimized()) return;
  const QRect room = area->viewport()->rect();
  if (room.isEmpty()) return;
  QRect at = geometry();
  at.setSize(at.size().boundedTo(room.size()));
  if (at.right() > room.right()) at.moveRight(room.right());
  if (at.bottom() > room.bottom()) at.moveBottom(room.bottom());
  if (at.left() < room.left()) at.moveLeft(room.left());
  if (at.top() < room.top()) at.moveTop(room.top());
  if (at != geometry()) setGeometry(at);
}

bool CExploreFrame::SetPlacement(const CfgPlacement& p) {
  const QRect r = Fw_RectOf(p);
  if (r.isEmpty()) return false;
  setGeometry(r);
  return true;
}
