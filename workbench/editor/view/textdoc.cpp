#include "workbench/editor/view/textdoc.h"

#include <memory>

#include "workbench/editor/txtline.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/programs/dirutil.h"
#include "workbench/server/cuserexception.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

CTextDoc::CTextDoc() {
  if (YqApp() != nullptr) {
    config_.Edit = YqApp()->m_Config.Edit;
    config_.Colors = YqApp()->m_Config.Colors;
    config_.PageSetup = YqApp()->m_Config.PageSetup;
    config_.Program = YqApp()->m_Config.Program;
  }
  config_.File.FileMode = CfgFileMode_Text_LF;
  config_.File.Codepage = 1;
  // Attribute and line-draw codes as the edit settings of the file's kind say.
  const CfgEditItem* edit = config_.Edit.GetItemFor(config_.File);
  text_.SetUseEnhancements(edit != nullptr && (edit->flags & CfgEditItem::UseEnhancements) != 0);
  SetText("");
}

CTextDoc::~CTextDoc() = default;

void CTextDoc::SetText(const std::string& text) {
  text_.Clear();
  const CfgEditItem* edit = config_.Edit.GetItemFor(config_.File);
  SYS_ASSERT(edit);
  {
    TextSuspend suspend(&text_);
    const TextAttr fresh(&text_);
    size_t pos = 0;
    for (;;) {
      size_t nl = text.find('\n', pos);
      std::string piece = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
      if (!piece.empty() && piece.back() == '\r') {
        piece.pop_back();
        crlf_ = true;
      }
      // A tab becomes the blanks that reach the next tab position.
      std::string clean;
      clean.reserve(piece.size());
      for (char c : piece) {
        if (c == '\t') {
          uint32_t n = 0;
          const char* blanks = edit->GetIndentBlanks(static_cast<uint32_t>(clean.size()), &n);
          clean.append(blanks, n);
          if (n == 0) clean.push_back(' ');
        } else if (c != '\0' && c != 27) {
          clean.push_back(c);
        }
      }
      auto* line = new TextLine(&text_);
      if (!clean.empty()) line->InsertNative(0, clean.c_str());
      if (nl == std::string::npos) break;
      pos = nl + 1;
    }
  }
  text_.ClearUndo();
  text_.SetModified(false);
}

bool CTextDoc::OnNewDocument() { return true; }

bool CTextDoc::Load(const std::string& path) {
  std::unique_ptr<FileBuffer> file = DirUtil_OpenFile(path.c_str());  // shows why it failed
  if (!file) return false;
  const char* bytes = nullptr;
  uint32_t size = 0;
  file->GetData(&bytes, &size);
  std::string data(bytes, size);
  if (!data.empty() && data.back() == '\n') data.pop_back();
  if (!data.empty() && data.back() == '\r') data.pop_back();
  SetText(data);
  return true;
}

bool CTextDoc::OnOpenDocument(const std::string& path) {
  if (!Load(path)) return false;
  SetPathName(path, true);
  return true;
}

bool CTextDoc::Save(const std::string& path) {
  std::unique_ptr<DirSaveFile> file = DirUtil_BeginSave(path.c_str());
  bool saved = file != nullptr;
  if (saved) {
    for (TextLine* l = text_.head; l; l = l->next) {
      file->PutString(l->data.c_str());
      file->PutString(crlf_ ? "\r\n" : "\n");
    }
    try {
      file->Commit();
    } catch (const CUserException&) {  // shown where it failed
      saved = false;
    }
  }
  if (!saved) {
    // The changes stay: the title keeps its " *".
    if (CYqStatusBar* bar = CMainFrame::GetStatusBar()) bar->Error("\"%s\": Failed to save file.", path.c_str());
    return false;
  }
  text_.SetModified(false);
  SetModifiedFlag(false);
  if (CYqStatusBar* bar = CMainFrame::GetStatusBar()) bar->Message("\"%s\" saved.", path.c_str());
  return true;
}

void CTextDoc::SaveDocument(int) {
  if (!PathName().empty()) Save(PathName());
}

bool CTextDoc::IsDirty() const { return IsModified() || text_.IsModified(); }

bool CTextDoc::SaveModified() {
  if (!IsDirty()) return true;
  const std::string name = PathName().empty() ? Title() : PathName();
  const std::string question = "Save changes to " + name + "?";
  switch (Shell_Sink().message_box(Shell_OwnerWindow(), Shell_AppName(), question.c_str(),
                                   SHELL_MB_YESNOCANCEL | SHELL_MB_ICONQUESTION)) {
    case SHELL_IDYES:
      // Without a file name there is nowhere to save yet: the window stays.
      if (PathName().empty()) {
        Shell_Sink().message_box(Shell_OwnerWindow(), "Save File [1]",
                                 ("File \"" + name + "\" could not be saved:\nIt has no file name yet.").c_str(),
                                 SHELL_MB_OK | SHELL_MB_ICONSTOP);
        return false;
      }
      return Save(PathName());
    case SHELL_IDNO:
      // The changes are given up: nothing asks again.
      text_.SetModified(false);
      SetModifiedFlag(false);
      return true;
    default: return false;
  }
}
