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
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/shell/frames/yqapp.h"

namespace {

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

CEditorView* FirstView(CCallstackDoc* doc) {
  if (!doc) return nullptr;
  for (FwView* v : doc->Views())
    if (auto* ev = dynamic_cast<CEditorView*>(v)) return ev;
  return nullptr;
}

}  // namespace

CCallstackDoc* CCallstackDoc::instance_ = nullptr;

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
  auto tmpl = std::make_unique<FwDocTemplate>(
      205, [] { return std::make_unique<CCallstackDoc>(); },
      [](FwDocument* doc) -> FwChildFrame* {
        return new CCallstackFrame(doc, YqApp() ? &YqApp()->m_Config.WindowPositions : nullptr);
      },
      [](FwDocument* doc, QWidget* parent) -> FwView* { return new CEditorView(doc, parent); });
  record->tmpl = app->AddDocTemplate(std::move(tmpl));
}

void CCallstackDoc::Shutdown() {
  if (instance_ != nullptr) Show(false);
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

CCallstackDoc::~CCallstackDoc() {
  if (instance_ == this) instance_ = nullptr;
}

bool CCallstackDoc::OnNewDocument() {
  SYS_ASSERT(!"CCallstackDoc::OnNewDocument() illegally called twice" || instance_ == nullptr);
  if (instance_ != nullptr) return false;
  instance_ = this;
  SetTitle("Call Stack");
  return true;
}

void CCallstackDoc::Show(bool show) {
  Setup();
  if (!show) {
    if (instance_ == nullptr) return;
    FwChildFrame* frame = instance_->Frames().empty() ? nullptr : instance_->Frames().front();
    SYS_ASSERT(frame);
    frame->close();
    return;
  }
  if (instance_ != nullptr) {
    for (FwChildFrame* f : instance_->Frames()) {
      f->raise();
      f->showNormal();
      if (f->mdiArea()) f->mdiArea()->setActiveSubWindow(f);
      break;
    }
    return;
  }
  if (Record()->tmpl) Record()->tmpl->OpenDocument(nullptr);
  if (instance_ != nullptr && DebugQueue && !Debug_SessionWaiting() && !Debug_Busy()) {
    Debug_SetBusy(true);
    if (!Debug_Cmd_CALLSTACK()) Debug_CheckSession();
    Debug_SetBusy(false);
  }
}

void CCallstackDoc::Clear() {
  Setup();
  QWidget* focus = QApplication::focusWidget();
  TextObj& text = Record()->text;
  if (CEditorView* view = FirstView(instance_)) {
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
  if (CEditorView* view = FirstView(instance_)) {
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
