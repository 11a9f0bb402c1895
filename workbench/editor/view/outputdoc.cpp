#include "workbench/editor/view/outputdoc.h"

#include <memory>

#include <QApplication>
#include <QMdiArea>

#include "workbench/editor/txtline.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/editor/view/editview.h"
#include "workbench/editor/view/outputframe.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/sysassert.h"

namespace {

struct TabRecord {
  TextObj text;
  uint32_t view_state[4] = {};
  OutputLocList locations;
  bool clean = true;
};

struct OutputState {
  TabRecord tabs[OUTPUT_TABS];
  FwDocTemplate* tmpl = nullptr;
  int last_active = 0;
};

std::unique_ptr<OutputState>& State() {
  static std::unique_ptr<OutputState> state;
  return state;
}

bool ValidTab(int tab) { return tab >= 0 && tab < OUTPUT_TABS; }

void ResetTab(TabRecord& r) {
  r.text.Clear();
  {
    TextSuspend suspend(&r.text);
    new TextLine(&r.text);
  }
  r.text.SetFlag(TextObj_READ_ONLY | TextObj_SUSPENDED | TextObj_FOLLOW_END);
  r.text.SetModified(false);
  for (uint32_t& v : r.view_state) v = 0;
  r.locations.Clear();
  r.clean = true;
}

// Splits text at line feeds and puts each piece, without its carriage
// returns, as a new line in front of the final line; the rest behind the
// last line feed becomes one more line. Answers the first added line.
TextLine* AppendLines(TextObj* tobj, const std::string& text) {
  TextLine* last = tobj->LastLine();
  SYS_ASSERT(last);
  const TextAttr fresh(tobj);
  TextLine* first = nullptr;
  size_t pos = 0;
  for (;;) {
    size_t nl = text.find('\n', pos);
    std::string piece = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    std::string clean;
    clean.reserve(piece.size());
    for (char c : piece)
      if (c != '\r' && c != '\0') clean.push_back(c);
    auto* line = new TextLine(last, TextLine_BEFORE);
    if (!clean.empty()) line->Insert(0, clean.c_str(), fresh);
    if (!first) first = line;
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  return first;
}

}  // namespace

COutputDoc* COutputDoc::Find() {
  FwApp* app = Fw_App();
  if (app == nullptr) return nullptr;
  for (const auto& t : app->DocTemplates())
    if (t->ResourceId() == IDR_OUTPUTTYPE)
      for (FwDocument* d : t->Documents())
        if (auto* doc = dynamic_cast<COutputDoc*>(d)) return doc;
  return nullptr;
}

void COutputDoc::Setup() {
  auto& state = State();
  if (!state) {
    state = std::make_unique<OutputState>();
    for (TabRecord& r : state->tabs) ResetTab(r);
  }
  // The template belongs to the application object in force.
  FwApp* app = Fw_App();
  if (app == nullptr) return;
  for (const auto& t : app->DocTemplates())
    if (t.get() == state->tmpl) return;
  auto tmpl = std::make_unique<FwDocTemplate>(
      IDR_OUTPUTTYPE, [] { return std::make_unique<COutputDoc>(); },
      [](FwDocument* doc) -> FwChildFrame* { return new COutputFrame(doc); },
      [](FwDocument*, QWidget*) -> FwView* { return nullptr; });
  state->tmpl = app->AddDocTemplate(std::move(tmpl));
  app->Commands().AddRows(IDR_OUTPUTTYPE, {}, Editor_OutputKindPlaceRows());
}

void COutputDoc::Shutdown() {
  if (Find() != nullptr) Show(false);
  State().reset();
}

COutputDoc::COutputDoc() {
  if (YqApp() != nullptr) config_ = YqApp()->m_Config;
  config_.File.FileMode = CfgFileMode_BinaryPROG;
  config_.File.Codepage = 1;
  config_.Program.options |= CfgProgram::SyntaxCheck | CfgProgram::SyntaxColor;
  CfgEditItem* edit_item = config_.Edit.GetItem(0);
  SYS_ASSERT(edit_item);
  edit_item->flags &= ~CfgEditItem::LineWrap;
}

COutputDoc::~COutputDoc() = default;

bool COutputDoc::OnNewDocument() {
  // One output document: the template holds no other.
  COutputDoc* open = Find();
  SYS_ASSERT(!"COutputDoc::OnNewDocument() illegally called twice" || open == nullptr);
  if (open != nullptr) return false;
  SetTitle("Output");
  return true;
}

bool COutputDoc::SaveModified() {
  SaveTabState(ActiveTab());
  if (COutputFrame* f = Frame()) State()->last_active = f->ActiveTab();
  return true;
}

COutputFrame* COutputDoc::Frame() const {
  for (FwChildFrame* f : Frames())
    if (auto* of = dynamic_cast<COutputFrame*>(f)) return of;
  return nullptr;
}

int COutputDoc::ActiveTab() const {
  COutputFrame* f = Frame();
  return f ? f->ActiveTab() : -1;
}

TextObj* COutputDoc::TabText(int tab) {
  Setup();
  return ValidTab(tab) ? &State()->tabs[tab].text : nullptr;
}

OutputLocList* COutputDoc::TabLocations(int tab) {
  Setup();
  return ValidTab(tab) ? &State()->tabs[tab].locations : nullptr;
}

const uint32_t* COutputDoc::TabViewState(int tab) {
  Setup();
  return ValidTab(tab) ? State()->tabs[tab].view_state : nullptr;
}

TextObj* COutputDoc::GetTextObj() {
  int tab = ValidTab(tab_in_use) ? tab_in_use : ActiveTab();
  SYS_ASSERT(!"COutputDoc::GetTextObj() text object unavailable" || ValidTab(tab));
  return TabText(tab);
}

void COutputDoc::SaveTabState(int tab) {
  COutputFrame* f = Frame();
  if (!f || !ValidTab(tab)) return;
  CEditorView* v = f->TabView(tab);
  if (!v) return;
  EditorModel& m = v->Model();
  uint32_t* s = State()->tabs[tab].view_state;
  s[0] = m.caret_line;
  s[1] = m.caret_col;
  s[2] = m.HasAnchor() ? m.sel_anchor_line : m.caret_line;
  s[3] = m.HasAnchor() ? m.sel_anchor_col : m.caret_col;
}

void COutputDoc::RestoreTabState(int tab) {
  COutputFrame* f = Frame();
  if (!f || !ValidTab(tab)) return;
  CEditorView* v = f->TabView(tab);
  if (!v) return;
  EditorModel& m = v->Model();
  const uint32_t* s = State()->tabs[tab].view_state;
  m.UpdateScrollRanges();
  m.EndSelection();
  if (s[2] != s[0] || s[3] != s[1]) {
    m.PlaceCaret(s[2], s[3]);
    m.ExtendSelection(m.caret_line, m.caret_col);
  }
  m.PlaceCaret(s[0], s[1]);
  if (m.HasAnchor()) m.ExtendSelection(m.caret_line, m.caret_col);
  m.SetGoalCol();
  m.EnsureCaretVisible();
  v->update();
}

void COutputDoc::RestoreViewState(EditorModel* view) {
  COutputFrame* f = Frame();
  if (!f) return;
  int tab = f->ActiveTab();
  if (CEditorView* v = f->TabView(tab); v && &v->Model() == view) RestoreTabState(tab);
}

void COutputDoc::UpdateAutoScroll(FwCmdUI& ui) {
  ui.Enable(true);
  int tab = ActiveTab();
  ui.SetCheck(ValidTab(tab) && TabText(tab)->TestFlag(TextObj_FOLLOW_END));
}

void COutputDoc::AppendText(int tab, const std::string& text, uint32_t value) {
  Setup();
  if (!ValidTab(tab)) return;
  QWidget* focus = QApplication::focusWidget();
  TabRecord& r = State()->tabs[tab];
  COutputDoc* doc = Find();
  COutputFrame* frame = doc ? doc->Frame() : nullptr;
  CEditorView* view = nullptr;
  if (frame && frame->Painted()) {
    view = frame->TabView(tab);
    if (view && !view->Model().Flag(EV_INITIALIZED)) view = nullptr;
  }
  if (view) {
    frame->ActivateTab(tab);
    doc->tab_in_use = tab;
  }
  TextLine* first = AppendLines(&r.text, text);
  if (value != 0)
    for (TextLine* l = first; l && l != r.text.tail; l = l->next) r.locations.Add(l->ident, value);
  r.text.SetModified(false);
  if (view) {
    EditorModel& m = view->Model();
    m.EndSelection();
    m.NotifyTextChanged();
    m.PlaceCaret(r.text.num_lines - 1, 0);
    if (r.text.TestFlag(TextObj_FOLLOW_END)) m.EnsureCaretVisible();
    view->update();
    doc->tab_in_use = -1;
  } else if (r.text.TestFlag(TextObj_FOLLOW_END)) {
    const uint32_t rows = r.text.CountRows(0);
    r.view_state[0] = r.view_state[2] = rows;
    r.view_state[1] = r.view_state[3] = 0;
  }
  r.clean = false;
  if (focus && QApplication::focusWidget() != focus) focus->setFocus();
}

void COutputDoc::QueueText(const std::string& text) {
  if (YqApp() != nullptr)
    YqApp()->QueueText(text);
  else
    AppendText(OUTPUT_TAB_DEBUG, text + "\n");
}

void COutputDoc::ClearTab(int tab) {
  Setup();
  if (!ValidTab(tab)) return;
  QWidget* focus = QApplication::focusWidget();
  TabRecord& r = State()->tabs[tab];
  COutputDoc* doc = Find();
  COutputFrame* frame = doc ? doc->Frame() : nullptr;
  CEditorView* view = frame ? frame->TabView(tab) : nullptr;
  if (view && frame->ActiveTab() == tab) {
    view->Model().ClearText();
    r.text.SetFlag(TextObj_READ_ONLY | TextObj_SUSPENDED);
  } else {
    r.text.Clear();
    r.text.SetFlag(TextObj_READ_ONLY | TextObj_SUSPENDED);
    new TextLine(&r.text);
    for (uint32_t& v : r.view_state) v = 0;
    if (view) {
      view->Model().ClearText();
      r.text.SetFlag(TextObj_READ_ONLY | TextObj_SUSPENDED);
    }
  }
  r.locations.Clear();
  r.clean = true;
  if (focus && QApplication::focusWidget() != focus) focus->setFocus();
}

bool COutputDoc::IsTabClean(int tab) {
  Setup();
  return ValidTab(tab) && State()->tabs[tab].clean;
}

void COutputDoc::SetTabFileName(int tab, const char* name) {
  Setup();
  if (ValidTab(tab)) State()->tabs[tab].locations.SetDefaultFile(name);
}

void COutputDoc::ShowTabOnIdle(int tab) {
  if (YqApp() != nullptr) YqApp()->ShowTabOnIdle(tab);
}

void COutputDoc::Show(bool show) {
  Setup();
  COutputDoc* doc = Find();
  if (show) {
    if (doc == nullptr) {
      if (State()->tmpl) State()->tmpl->OpenDocument(nullptr);
    } else if (COutputFrame* f = doc->Frame()) {
      f->raise();
      f->showNormal();
      if (f->mdiArea()) f->mdiArea()->setActiveSubWindow(f);
    }
  } else if (doc != nullptr) {
    if (COutputFrame* f = doc->Frame()) f->close();
  }
}

CEditorView* COutputDoc::ActivateTab(int tab) {
  Setup();
  if (!ValidTab(tab)) return nullptr;
  if (Find() == nullptr) Show(true);
  COutputDoc* doc = Find();
  if (doc == nullptr) return nullptr;
  COutputFrame* f = doc->Frame();
  if (!f) return nullptr;
  if (f->ActiveTab() != tab) {
    doc->SaveTabState(f->ActiveTab());
    f->ActivateTab(tab);
    doc->RestoreTabState(tab);
  }
  return f->TabView(tab);
}

bool COutputDoc::GoToLocation(EditorModel* view, uint32_t line_idx, int* flag) {
  (void)view;
  *flag = 0;
  if (ActiveTab() != OUTPUT_TAB_BUILD) return false;
  *flag = 1;
  TabRecord& r = State()->tabs[OUTPUT_TAB_BUILD];
  TextLine* line = line_idx < r.text.num_lines ? r.text.Line(line_idx) : nullptr;
  OutputLoc* loc = line ? r.locations.Find(line->ident) : nullptr;
  if (!loc || !loc->File()) return true;
  const std::string path = loc->File();
  // A document without a file was compiled under its title.
  auto find_doc = [&path]() -> CEditorDoc* {
    if (Fw_App() == nullptr) return nullptr;
    for (const auto& t : Fw_App()->DocTemplates())
      for (FwDocument* d : t->Documents())
        if (d->PathName() == path || (d->PathName().empty() && d->Title() == path))
          if (auto* ed = CEditorDoc::From(d)) return ed;
    return nullptr;
  };
  CEditorDoc* doc = find_doc();
  if (!doc) {
    if (!Shell_Neighbours().program->OpenFile(path.c_str(), CfgFileMode_Auto)) return true;
    doc = find_doc();
    if (!doc) return true;
  }
  CEditorView* target = nullptr;
  for (FwView* v : doc->Views())
    if ((target = dynamic_cast<CEditorView*>(v)) != nullptr) break;
  if (!target) return true;
  for (FwChildFrame* f : doc->Frames()) {
    if (f->mdiArea()) f->mdiArea()->setActiveSubWindow(f);
    break;
  }
  target->setFocus();
  if (target->Model().GoToLineIdent(loc->value)) *flag = 0;
  target->update();
  return true;
}
