#include "workbench/debugger/callstackdoc.h"

#include <memory>

#include <QApplication>
#include <QMdiArea>

#include "workbench/base/sysassert.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/editor/outputloclist.h"
#include "workbench/editor/txtline.h"
#include "workbench/editor/txtobj.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/editor/view/editview.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwwindows.h"
#include "workbench/shell/frames/yqapp.h"

namespace {

// The resource of the call-stack window (its template and icon).

struct CallstackRecord {
  TextObj text;
  OutputLocList locations;
  FwDocTemplate* tmpl = nullptr;
};

std::unique_ptr<CallstackRecord>& Record() {
  static std::unique_ptr<CallstackRecord> record;
  return record;
}

void ResetText(TextObj& text) {
  text.Clear();
  {
    TextSuspend suspend(&text);
    new TextLine(&text);
  }
  text.SetFlag(TextObj_READ_ONLY | TextObj_SUSPENDED);
  text.SetModified(false);
}

// The view of the open window, null while it is closed.
CEditorView* FirstView(CCallstackDoc* doc) {
  if (!doc || !CCallstackDoc::IsOpen()) return nullptr;
  for (FwView* v : doc->Views())
    if (auto* ev = dynamic_cast<CEditorView*>(v)) return ev;
  return nullptr;
}

// A window that was not open: filled at once from a session that is not
// busy or waiting (the kind's toggle and Show alike).
void FillFromSession() {
  if (CCallstackDoc::Find() == nullptr || !DebugQueue || Debug_SessionWaiting() || Debug_Busy()) return;
  Debug_SetBusy(true);
  if (!Debug_Cmd_CALLSTACK()) Debug_CheckSession();
  Debug_SetBusy(false);
}

}  // namespace

CCallstackDoc* CCallstackDoc::Find() {
  FwApp* app = Fw_App();
  if (app == nullptr) return nullptr;
  for (const auto& t : app->DocTemplates())
    if (t->ResourceId() == IDR_CALLSTACKTYPE)
      for (FwDocument* d : t->Documents())
        if (auto* doc = dynamic_cast<CCallstackDoc*>(d)) return doc;
  return nullptr;
}

CCallstackFrame::CCallstackFrame(FwDocument* doc, CfgWindowPositions* positions)
    : CChildFrame(doc), place_(this, positions, CfgWnd_CallstackWindow) {
  place_.Restore();
}

void CCallstackFrame::closeEvent(QCloseEvent* event) {
  place_.Save();
  CChildFrame::closeEvent(event);
}

void CCallstackDoc::Setup() {
  auto& record = Record();
  if (!record) {
    record = std::make_unique<CallstackRecord>();
    ResetText(record->text);
  }
  FwApp* app = Fw_App();
  if (app == nullptr) return;
  for (const auto& t : app->DocTemplates())
    if (t.get() == record->tmpl) return;
  // The application's registry owns the window kind: its toggle, its place
  // and finding it.
  FwWindows& windows = app->Windows();
  const bool registered = windows.Kind(ID_VIEW_CALLSTACK) != nullptr;
  auto tmpl = std::make_unique<FwDocTemplate>(
      IDR_CALLSTACKTYPE, [] { return std::make_unique<CCallstackDoc>(); },
      [registered](FwDocument* doc) -> FwChildFrame* {
        return new CCallstackFrame(doc, registered || !YqApp() ? nullptr : &YqApp()->m_Config.WindowPositions);
      },
      [](FwDocument* doc, QWidget* parent) -> FwView* { return new CEditorView(doc, parent); });
  record->tmpl = app->AddDocTemplate(std::move(tmpl));
  RegisterKind();
}

void CCallstackDoc::RegisterKind() {
  FwApp* app = Fw_App();
  if (app == nullptr || app->Windows().Kind(ID_VIEW_CALLSTACK) != nullptr) return;
  app->Windows().Register({ID_VIEW_CALLSTACK,
                           ID_VIEW_CALLSTACK,
                           CfgWindowKeys[CfgWnd_CallstackWindow],
                           FwKindScope::Single,
                           FwKindHost::MdiChild,
                           [] {
                             Setup();  // the record and the template, again after a Shutdown
                             FwDocTemplate* t = Record() ? Record()->tmpl : nullptr;
                             FwDocument* doc = t ? t->OpenDocument(nullptr) : nullptr;
                             return doc && !doc->Frames().empty() ? static_cast<QWidget*>(doc->Frames().front())
                                                                  : nullptr;
                           },
                           {},
                           [](QWidget*) { FillFromSession(); }});
}

void CCallstackDoc::Shutdown() {
  if (Find() != nullptr) Show(false);
  Record().reset();
}

TextObj* CCallstackDoc::Text() {
  Setup();
  return &Record()->text;
}

OutputLocList* CCallstackDoc::Locations() {
  Setup();
  return &Record()->locations;
}

CCallstackDoc::CCallstackDoc() {
  if (YqApp() != nullptr) config_ = YqApp()->m_Config;
  config_.File.FileMode = CfgFileMode_BinaryPROG;
  config_.File.Codepage = 1;
  config_.Program.options |= CfgProgram::SyntaxCheck | CfgProgram::SyntaxColor;
  CfgEditItem* edit_item = config_.Edit.GetItem(0);
  SYS_ASSERT(edit_item);
  edit_item->flags &= ~CfgEditItem::LineWrap;
}

CCallstackDoc::~CCallstackDoc() = default;

bool CCallstackDoc::OnNewDocument() {
  // One call-stack document: the template holds no other.
  CCallstackDoc* open = Find();
  SYS_ASSERT(!"CCallstackDoc::OnNewDocument() illegally called twice" || open == nullptr);
  if (open != nullptr) return false;
  SetTitle("Call Stack");
  return true;
}

bool CCallstackDoc::IsOpen() {
  if (FwApp* app = Fw_App(); app && app->Windows().Kind(ID_VIEW_CALLSTACK))
    return app->Windows().IsShown(ID_VIEW_CALLSTACK);
  return Find() != nullptr;
}

void CCallstackDoc::Show(bool show) {
  Setup();
  FwApp* app = Fw_App();
  if (app == nullptr) return;
  if (show)
    app->Windows().Open(ID_VIEW_CALLSTACK);
  else
    app->Windows().Close(ID_VIEW_CALLSTACK);
}

void CCallstackDoc::Clear() {
  Setup();
  QWidget* focus = QApplication::focusWidget();
  TextObj& text = Record()->text;
  if (CEditorView* view = FirstView(Find())) {
    view->Model().ClearText();
    text.SetFlag(TextObj_READ_ONLY | TextObj_SUSPENDED);
    view->update();
  } else {
    ResetText(text);
  }
  Record()->locations.Clear();
  if (focus && QApplication::focusWidget() != focus) focus->setFocus();
}

void CCallstackDoc::AddEntry(const DebugLocation& entry) {
  Setup();
  QWidget* focus = QApplication::focusWidget();
  TextObj& text = Record()->text;
  std::string line = Debug_StackLine(entry);
  TextLine* added = nullptr;
  if (CEditorView* view = FirstView(Find())) {
    added = view->Model().AppendText(line);
    view->update();
  } else {
    TextLine* last = text.LastLine();
    SYS_ASSERT(last);
    added = new TextLine(last, TextLine_BEFORE);
    if (!line.empty()) added->Insert(0, line.c_str(), TextAttr(&text));
    text.SetModified(false);
  }
  if (added) Record()->locations.Add(added->ident, 0, entry.segment, entry.line, entry.file.c_str());
  if (focus && QApplication::focusWidget() != focus) focus->setFocus();
}

bool CCallstackDoc::GoToLocation(EditorModel* view, uint32_t line_idx, int* flag) {
  (void)view;
  *flag = 1;
  if (!DebugQueue) return true;
  TextObj& text = Record()->text;
  TextLine* line = line_idx < text.num_lines ? text.Line(line_idx) : nullptr;
  OutputLoc* loc = line ? Record()->locations.Find(line->ident) : nullptr;
  if (!loc) return true;
  const char* file = loc->File() ? loc->File() : Record()->locations.default_file;
  if (!file || !*file) return true;
  DebugLocation where;
  where.file = file;
  where.segment = loc->segment;
  where.line = loc->line;
  if (Debug_ShowLocation(where, false, true)) *flag = 0;
  return true;
}
