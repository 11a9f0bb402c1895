#include "workbench/editor/view/textdoc.h"

#include <fstream>
#include <sstream>

#include "workbench/editor/txtline.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/shell/frames/yqapp.h"

CTextDoc::CTextDoc() {
  if (YqApp() != nullptr) {
    config_.Edit = YqApp()->m_Config.Edit;
    config_.Colors = YqApp()->m_Config.Colors;
    config_.PageSetup = YqApp()->m_Config.PageSetup;
    config_.Program = YqApp()->m_Config.Program;
  }
  config_.File.FileMode = CfgFileMode_Text_LF;
  config_.File.Codepage = 1;
  SetText("");
}

CTextDoc::~CTextDoc() = default;

void CTextDoc::SetText(const std::string& text) {
  text_.Clear();
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
      std::string clean;
      clean.reserve(piece.size());
      for (char c : piece)
        if (c != '\0' && c != 27) clean.push_back(c);
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
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  std::string data = ss.str();
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
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const TextAttr fresh(&text_);
  for (TextLine* l = text_.head; l; l = l->next) {
    out << l->data;
    out << (crlf_ ? "\r\n" : "\n");
  }
  if (!out) return false;
  text_.SetModified(false);
  SetModifiedFlag(false);
  return true;
}

void CTextDoc::SaveDocument(int) {
  if (!PathName().empty()) Save(PathName());
}

bool CTextDoc::SaveModified() { return true; }
