#include "workbench/editor/view/outputframe.h"

#include <QEvent>
#include <QMdiArea>
#include <QTabBar>
#include <QSplitter>
#include <QTabWidget>

#include "workbench/editor/view/editview.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/base/sysassert.h"

namespace {

// What a tab's view asks of the output document: the tab's own text, the
// document's answers for the rest.
class OutputTabSlots : public EditDocSlots {
 public:
  OutputTabSlots(COutputDoc* doc, int tab) : doc_(doc), tab_(tab) {}
  TextObj* GetTextObj() override { return COutputDoc::TabText(tab_); }
  CfgSettings* GetDocConfig() override { return doc_->GetDocConfig(); }
  void RestoreViewState(EditorModel* view) override { doc_->RestoreViewState(view); }
  void RestoreViewStateAgain(EditorModel* view) override { doc_->RestoreViewStateAgain(view); }
  int GetContextMenu() override { return doc_->GetContextMenu(); }
  void UpdateAutoScroll(FwCmdUI& ui) override { doc_->UpdateAutoScroll(ui); }
  void UpdateClearOutput(FwCmdUI& ui) override { doc_->UpdateClearOutput(ui); }
  bool GoToLocation(EditorModel* view, uint32_t line_idx, int* flag) override {
    return doc_->GoToLocation(view, line_idx, flag);
  }

 private:
  COutputDoc* doc_;
  int tab_;
};

int g_last_active_tab = 0;

}  // namespace

COutputFrame::COutputFrame(FwDocument* doc) : FwHandlers(doc) {}

COutputFrame::~COutputFrame() {
  // The views go before the operations they ask.
  if (tabs_) tabs_->disconnect();
  SetActiveView(nullptr);
  for (CEditorView*& v : views_) {
    if (!v) continue;
    EditDocSlots* doc_slots = v->Slots();
    delete v;
    v = nullptr;
    delete doc_slots;
  }
}

void COutputFrame::CreateClient(FwDocTemplate* tmpl) {
  SYS_ASSERT(!"COutputFrame::OnCreateClient() illegally called twice" || tabs_ == nullptr);
  auto* doc = dynamic_cast<COutputDoc*>(Document());
  SYS_ASSERT(doc);
  tabs_ = new QTabWidget(Splitter());
  tabs_->setTabPosition(QTabWidget::South);
  static const char* const kNames[OUTPUT_TABS] = {"Build", "Debug", "Find in Files"};
  for (int i = 0; i < OUTPUT_TABS; ++i) {
    views_[i] = new CEditorView(doc, nullptr, new OutputTabSlots(doc, i));
    tabs_->addTab(views_[i], kNames[i]);
  }
  Splitter()->addWidget(tabs_);
  tabs_->setCurrentIndex(g_last_active_tab);
  for (CEditorView* v : views_) {
    v->OnInitialUpdate();
    v->installEventFilter(this);
  }
  SetActiveView(views_[g_last_active_tab]);
  QObject::connect(tabs_, &QTabWidget::currentChanged, tabs_, [this](int i) {
    if (i >= 0 && i < OUTPUT_TABS) SetActiveView(views_[i]);
  });
  doc->RestoreTabState(g_last_active_tab);
  // The frame's kind and icon: the tabs are its client already.
  CChildFrame::CreateClient(tmpl);
  // Wide and low, at the bottom of the main frame's area.
  const QSize one = views_[0]->sizeHint();
  resize(one.width(), one.height() * 2 / 5 + tabs_->tabBar()->sizeHint().height());
}

void COutputFrame::showEvent(QShowEvent* event) {
  CChildFrame::showEvent(event);
  if (placed_) return;
  placed_ = true;
  if (QMdiArea* area = mdiArea(); area && area->viewport()->height() > height())
    move(0, area->viewport()->height() - height());
}

int COutputFrame::ActiveTab() const { return tabs_ ? tabs_->currentIndex() : -1; }

CEditorView* COutputFrame::TabView(int tab) const { return tab >= 0 && tab < OUTPUT_TABS ? views_[tab] : nullptr; }

void COutputFrame::ActivateTab(int tab) {
  SYS_ASSERT(tabs_);
  tabs_->setCurrentIndex(tab);
  g_last_active_tab = tab;
}

void COutputFrame::paintEvent(QPaintEvent* event) {
  painted_ = true;
  CChildFrame::paintEvent(event);
}

bool COutputFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint) painted_ = true;
  if (event->type() == QEvent::Hide && ActiveTab() >= 0) g_last_active_tab = ActiveTab();
  return CChildFrame::eventFilter(watched, event);
}

std::span<const FwCmdEntry<COutputFrame>> COutputFrame::Handlers() {
  static const FwCmdEntry<COutputFrame> handlers[] = {
      {ID_WINDOW_NEW, ID_WINDOW_NEW, &COutputFrame::OnOneWindowOnly, &COutputFrame::OnUpdateOneWindowOnly},
      {ID_WINDOW_SPLIT, ID_WINDOW_SPLIT, &COutputFrame::OnOneWindowOnly, &COutputFrame::OnUpdateOneWindowOnly},
  };
  return handlers;
}
