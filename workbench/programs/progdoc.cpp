#include "workbench/programs/progdoc.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "language/charset.h"
#include "workbench/base/diag.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/programs/dirutil.h"
#include "workbench/programs/progcontext.h"
#include "workbench/server/cuserexception.h"

namespace {

constexpr char kEsc = 27;
const char kPasswordList[] = "Passwords";
const char kPasswordValue[] = "PswdMD5";
// Password tries before the load gives up.
constexpr int kPasswordTries = 3;

// One running number for the titles of new documents of both kinds.
int g_untitled = 0;

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
  char text[1024];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(text, sizeof text, fmt, args);
  va_end(args);
  return text;
}

int question(const char* text) {
  return Shell_Sink().message_box(Shell_OwnerWindow(), Shell_AppName(), text, SHELL_MB_YESNO | SHELL_MB_ICONQUESTION);
}

void exclamation(const char* caption, const char* text) {
  Shell_Sink().message_box(Shell_OwnerWindow(), caption, text, SHELL_MB_OK | SHELL_MB_ICONEXCLAMATION);
}

// Converts the text bytes of a line between code sets in place; the byte
// after an attribute escape is a code, not text.
void convert_text(std::string& line, int from, int to) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == kEsc) {
      ++i;
      continue;
    }
    yq__charset_map(from, to, &line[i], 1);
  }
}

int separator_kind(int mode) {
  return mode == CfgFileMode_Text_LF ? DIRSEP_LF : mode == CfgFileMode_Text_CR ? DIRSEP_CR : DIRSEP_CRLF;
}

// The segments of a program in list order (0 the main segment): their names
// and the number of each.
struct SegmentNumbers {
  std::vector<std::string> names;
  std::unordered_map<const ProgSegment*, uint16_t> numbers;
  uint16_t of(const ProgSegment* seg) const {
    auto at = numbers.find(seg);
    return at == numbers.end() ? 0 : at->second;
  }
};

SegmentNumbers segments_of(const YqApiProgram& program) {
  SegmentNumbers out;
  YqApiIter it;
  for (bool more = it.First(program); more; more = it.NextSegment()) {
    out.numbers[it.seg] = static_cast<uint16_t>(out.names.size());
    out.names.push_back(it.SegmentName(program));
  }
  return out;
}

}  // namespace

ProgDoc::ProgDoc(ProgDocHost* host, const CfgSettings& config)
    : host_(host), config_(config), identity_(CfgGeneral::NewDocumentIdentity()) {
  SYS_ASSERT(host_);
  config_.SetModified(false);
  config_.File = CfgFile();
  if (config_.General.flags & CfgGeneral::AutoSave) config_.File.flags |= CfgFile::AutoSave;
  config_.File.FileMode = config_.General.NewFileMode;
  config_.File.Codepage = config_.General.Codepage;
}

ProgDoc::~ProgDoc() { DeleteAutosaveFile(); }

void ProgDoc::SetFileMode(int mode) {
  if (mode < CfgFileMode_BinaryPROG || mode > CfgFileMode_Text_CR)
    Sys_AssertFailed("!\"CProgDoc::SetFileMode() invalid CfgFileMode\"", __FILE__, __LINE__);
  config_.File.FileMode = mode;
  const CfgEditItem* edit = config_.Edit.GetItemFor(config_.File);
  text_.SetUseEnhancements(edit && (edit->flags & CfgEditItem::UseEnhancements));
}

std::string ProgDoc::FrameTitle() const { return IsModified() ? title_ + " *" : title_; }

void ProgDoc::NewDocument(int mode, const char* path) {
  if (path && *path) {
    path_ = path;
    DirUtil_NormalizePath(path_);
    if (mode == CfgFileMode_Auto)
      mode = DirUtil_IsProgFile(path_.c_str()) ? CfgFileMode_BinaryPROG : CfgFileMode_Text_CRLF;
  } else if (mode == CfgFileMode_Auto) {
    mode = config_.General.NewFileMode;
  }
  SetFileMode(mode);
  SetTextLines({""});
  program_.reset();
  segments_.clear();
  if (path_.empty())
    title_ = format("%s%d", IsProgramFile() ? "Prog" : "Text", ++g_untitled);
  else
    title_ = DirUtil_GetName(path_).empty() ? path_ : DirUtil_GetName(path_);
}

void ProgDoc::SetTextLines(const std::vector<std::string>& lines) {
  text_.Clear();
  {
    TextSuspend suspend(&text_);
    for (const std::string& l : lines) {
      auto* line = new TextLine(&text_);
      if (!l.empty()) line->InsertNative(0, l.c_str());
    }
  }
  text_.ClearUndo();
  text_.SetModified(false);
}

void ProgDoc::SetText(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  for (;;) {
    size_t nl = text.find('\n', pos);
    std::string piece = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    if (!piece.empty() && piece.back() == '\r') piece.pop_back();
    lines.push_back(std::move(piece));
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  SetTextLines(lines);
}

bool ProgDoc::Open(const char* path, int mode) {
  SYS_ASSERT(path);
  std::string name = path;
  DirUtil_ExactName(name);
  host_->StatusText("Opening " + name);
  return Read(DirUtil_OpenFile(name.c_str()), name, mode);
}

bool ProgDoc::OpenDebugFile(SrvQueue* debug, const char* debug_name) {
  SYS_ASSERT(debug_name);
  if (!Read(DirUtil_OpenDebugFile(debug, debug_name), debug_name, CfgFileMode_BinaryPROG)) return false;
  debug_name_ = debug_name;
  return true;
}

bool ProgDoc::Read(std::unique_ptr<FileBuffer> file, const std::string& path, int mode) {
  if (!file) {
    host_->StatusText("");  // the reason was shown by the file access layer
    return false;
  }
  if (mode == CfgFileMode_Auto)
    mode = DirUtil_IsProgFile(path.c_str()) ? CfgFileMode_BinaryPROG : CfgFileMode_Text_CRLF;
  config_.File.Codepage = config_.General.Codepage;
  SetFileMode(mode);
  text_.Clear();
  bool loaded = IsProgramFile() ? LoadProgram(*file, path) : LoadText(*file);
  if (!loaded) {
    SetTextLines({""});
    program_.reset();
    host_->StatusError(format("\"%s\" could not be opened.", path.c_str()));
    return false;
  }
  path_ = path;
  title_ = DirUtil_GetName(path_).empty() ? path_ : DirUtil_GetName(path_);
  text_.ClearUndo();
  text_.SetModified(false);
  RebuildSegments();
  host_->StatusText("");  // the "Opening" message ends with the open
  return true;
}

bool ProgDoc::UnlockProgram(const std::string& path) {
  for (const std::string& name : Cfg_ListNames(kPasswordList)) {
    std::string digest = Cfg_GetString(Cfg_ListFind(kPasswordList, name.c_str()).c_str(), kPasswordValue);
    if (!digest.empty() && program_->CheckPassword(digest.c_str()) == 1) {
      config_.File.PasswordDigest = digest;
      return true;
    }
  }
  for (int attempt = 1;; ++attempt) {
    std::string digest;
    bool remember = false;
    if (!host_->AskPassword(path, &digest, &remember)) return false;
    if (program_->CheckPassword(digest.c_str()) == 1) {
      if (remember) host_->RememberPassword(digest);
      config_.File.PasswordDigest = digest;
      return true;
    }
    if (attempt == kPasswordTries) {
      exclamation("Password Validation Failed", "The password could not be verified.");
      return false;
    }
    exclamation("Invalid Password", "The password you entered is invalid.\nPlease try again.");
  }
}

bool ProgDoc::LoadProgram(FileBuffer& file, const std::string& path) {
  const char* data = nullptr;
  uint32_t size = 0;
  file.GetData(&data, &size);
  program_ = std::make_unique<YqApiProgram>();
  config_.File.PasswordDigest.clear();
  if (program_->ReadHeader(data, size) != 0) return false;
  if (program_->IsSecured() && !UnlockProgram(path)) return false;
  if (program_->ReadSegments() != 0) return false;
  SetUpIndentation();
  program_->Reindent();
  int format_revision = program_->GetFormat();
  SetFileMode(format_revision == 1   ? CfgFileMode_BinaryPROGv5
              : format_revision == 2 ? CfgFileMode_BinaryPROGv6
                                     : CfgFileMode_BinaryPROG);
  config_.File.Codepage = program_->GetCharset() == 1 ? 1 : 0;
  {
    TextSuspend suspend(&text_);
    const auto segments = segments_of(*program_);
    YqApiIter it;
    if (it.First(*program_)) {
      while (it.NextLine()) {
        auto* line = new TextLine(&text_);
        std::string listed = program_->ListLine(it, PROG_LIST_FLAGS);
        if (!listed.empty()) line->InsertNative(0, listed.c_str());
        line->line_number = static_cast<uint16_t>(it.LineNumber());
        line->line_aux = segments.of(it.seg);
      }
    }
    if (!text_.head) new TextLine(&text_);
  }
  return true;
}

bool ProgDoc::LoadText(FileBuffer& file) {
  const CfgEditItem* edit = config_.Edit.GetItemFor(config_.File);
  SYS_ASSERT(edit);
  std::vector<std::string> lines;
  uint32_t n = 0;
  while (const char* line = file.GetLine(&n)) {
    std::string clean;
    clean.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
      char c = line[i];
      if (c == '\t') {
        uint32_t blanks = 0;
        const char* text = edit->GetIndentBlanks(static_cast<uint32_t>(clean.size()), &blanks);
        clean.append(text, blanks);
        if (blanks == 0) clean.push_back(' ');
      } else if (c != kEsc) {
        clean.push_back(c);
      }
    }
    lines.push_back(std::move(clean));
  }
  while (!lines.empty() && lines.back().find_first_not_of(' ') == std::string::npos) lines.pop_back();
  lines.emplace_back();
  int sep = file.Separator();
  SetFileMode(sep == DIRSEP_CR ? CfgFileMode_Text_CR : sep == DIRSEP_LF ? CfgFileMode_Text_LF : CfgFileMode_Text_CRLF);
  SetTextLines(lines);
  return true;
}

std::string ProgDoc::PlainLine(const TextLine* line, bool trim) const {
  std::string out;
  const std::string& d = line->data;
  out.reserve(d.size());
  for (size_t i = 0; i < d.size(); ++i) {
    auto c = static_cast<unsigned char>(d[i]);
    if (c == static_cast<unsigned char>(kEsc)) {
      ++i;
      continue;
    }
    if (text_.use_enhancements && c >= 0x80 && c <= 0x9F) continue;
    out.push_back(static_cast<char>(c));
  }
  if (trim) {
    size_t end = out.find_last_not_of(' ');
    out.erase(end == std::string::npos ? 0 : end + 1);
  }
  return out;
}

std::string ProgDoc::CompileText(const TextLine* line) const {
  std::string text = PlainLine(line, false);
  if (config_.File.Codepage == CHARSET_ISO8859_1)
    yq__charset_map(CHARSET_ISO8859_1, CHARSET_ROMAN8, text.data(), text.size());
  return text;
}

void ProgDoc::ListedText(std::string& listed) const {
  if (config_.File.Codepage == CHARSET_ISO8859_1) convert_text(listed, CHARSET_ROMAN8, CHARSET_ISO8859_1);
}

void ProgDoc::PutListed(TextLine* line, const std::string& listed) {
  // Deleting from column 0 to the end takes the switches in front of the
  // first character too.
  if (line->Size()) line->Delete(0, 0);
  if (!listed.empty()) line->InsertNative(0, listed.c_str());
}

// With "Re-indent lines" on, the statements stand on the program files'
// indent stops, as Tab and Return put them: level 0 on the first stop
// (column IndentSize - 1), each level one TabSize further. The compiler
// counts columns from 1.
void ProgDoc::SetUpIndentation() {
  const CfgEditItem* edit = config_.Edit.GetItem(0);
  SYS_ASSERT(edit);
  indent_.enabled = (config_.Program.options & CfgProgram::ReIndent) ? 1 : 0;
  indent_.level = 0;
  indent_.base = static_cast<int>(std::max<uint32_t>(edit->IndentSize, 1));
  indent_.per_level = static_cast<int>(edit->TabSize);
  program_->SetIndentation(&indent_);
}

int ProgDoc::Compile() {
  if (!IsProgramFile()) Sys_AssertFailed("!\"invalid file mode\"", __FILE__, __LINE__);
  host_->StatusText("Compiling " + title_);
  host_->BuildClear(path_.empty() ? title_ : path_);
  if (!program_) program_ = std::make_unique<YqApiProgram>();
  unsigned long errors = 0, stored = 0;
  if (!program_->NewProgram()) {
    host_->BuildAppend("Error: Memory allocation failed.", 0);
    ++errors;
  } else {
    program_->SetFormat(FileMode() - CfgFileMode_BinaryPROG);
    program_->SetCharset(config_.File.Codepage);
    program_->SetNumbering(config_.Program.StartLine ? config_.Program.StartLine : 1,
                           config_.Program.LineIncrement ? config_.Program.LineIncrement : 1);
    SetUpIndentation();
    bool changed = false;
    uint32_t position = 0;
    for (TextLine* line = text_.head; line; line = line->next) {
      ++position;
      unsigned number = program_->CurrentLine();
      std::string listed;
      int rc = program_->CompileLine(CompileText(line).c_str(), &listed, nullptr);
      if (rc < 0) {
        host_->BuildAppend(format("line %lu: %s", static_cast<unsigned long>(position), program_->ErrorText().c_str()),
                           line->ident);
        line->line_flags |= TextLine_ERROR_MARK;
        line->line_number = 0;
        ++errors;
        continue;
      }
      line->line_flags &= ~TextLine_ERROR_MARK;
      line->line_number = rc == 1 ? static_cast<uint16_t>(number) : 0;
      if (rc == 1) {
        ++stored;
        ListedText(listed);
        if (listed != line->data) {
          TextSuspend suspend(&text_);
          PutListed(line, listed);
          changed = true;
        }
      }
    }
    if (changed) {
      text_.ClearUndo();
      text_.SetModified(true);
    }
    if (stored == 0) {
      host_->BuildAppend("Error: Program is empty.", 0);
      ++errors;
    }
  }
  std::string summary = format("%lu %s, %lu %s, %lu %s.", stored, stored == 1 ? "line" : "lines", errors,
                               errors == 1 ? "error" : "errors", 0UL, "warnings");
  host_->BuildAppend(summary, 0);
  host_->StatusText(format("Compiled \"%s\": %s", title_.c_str(), summary.c_str()));
  RebuildSegments();
  if (errors) host_->BuildShow();
  return static_cast<int>(errors);
}

void ProgDoc::RebuildSegments() {
  segments_.clear();
  if (!IsProgramFile() || !program_ || program_->IsEmpty()) {
    host_->SegmentsChanged();
    return;
  }
  // Every stored line's number tells its segment; the text lines carry the
  // numbers of their stored lines.
  const auto segments = segments_of(*program_);
  for (size_t i = 0; i < segments.names.size(); ++i)
    segments_.push_back({static_cast<uint16_t>(i), segments.names[i], 0});
  std::vector<std::pair<uint16_t, uint16_t>> seg_of;  // line number -> segment
  YqApiIter it;
  if (it.First(*program_))
    while (it.NextLine()) seg_of.emplace_back(static_cast<uint16_t>(it.LineNumber()), segments.of(it.seg));
  std::sort(seg_of.begin(), seg_of.end());
  std::vector<bool> started(segments_.size(), false);
  uint32_t idx = 0;
  for (TextLine* line = text_.head; line; line = line->next, ++idx) {
    if (line->line_number == 0) continue;
    auto at = std::lower_bound(seg_of.begin(), seg_of.end(), std::make_pair(line->line_number, uint16_t{0}));
    if (at == seg_of.end() || at->first != line->line_number) continue;
    line->line_aux = at->second;
    if (!started[at->second]) {
      started[at->second] = true;
      segments_[at->second].start_line = idx;
    }
  }
  host_->SegmentsChanged();
}

bool ProgDoc::Save(const std::string& requested) {
  std::string path = requested;
  if (path.empty()) {
    CfgExplore explore;
    path = host_->SaveAs(explore.GetSaveDirectory(), title_);
    if (path.empty()) return false;
  }
  DirUtil_NormalizePath(path);
  if (!IsProgramFile() && DirUtil_IsProgFile(path.c_str()) &&
      question("Are you sure you want to save a text file\nwith a file name having a .PROG extension?") != SHELL_IDYES)
    return false;
  if (IsProgramFile() && Compile() != 0) {
    host_->BuildAppend("\nUnable to save file.", 0);
    return false;
  }
  std::unique_ptr<DirSaveFile> file = DirUtil_BeginSave(path.c_str());
  if (!file) return false;
  host_->StatusText("Saving " + path);
  if (IsProgramFile()) {
    if (!program_) Sys_AssertFailed("m_Program", __FILE__, __LINE__);
    int revision = FileMode() - CfgFileMode_BinaryPROG;
    program_->SetFormat(revision);
    program_->SetCharset(0);
    program_->SetPassword(revision == 2 && !config_.File.PasswordDigest.empty() ? config_.File.PasswordDigest.c_str()
                                                                                : nullptr);
    size_t size = 0;
    if (program_->PrepareStore(&size) != 0 || size > UINT32_MAX) return false;
    if (program_->Store(file->WriteBlock(static_cast<uint32_t>(size))) != 0) return false;
  } else {
    file->separator = separator_kind(FileMode());
    const TextLine* last = nullptr;
    for (const TextLine* line = text_.head; line; line = line->next)
      if (!PlainLine(line, true).empty()) last = line;
    if (!last) last = text_.tail;
    for (const TextLine* line = text_.head; line; line = line->next) {
      std::string plain = PlainLine(line, true);
      file->WriteLine(plain.c_str(), static_cast<uint32_t>(plain.size()));
      if (line == last) break;
    }
  }
  try {
    file->Commit();
  } catch (const CUserException&) {
    host_->StatusError(format("\"%s\": Failed to save file.", path.c_str()));
    return false;
  }
  text_.SetModified(false);
  path_ = path;
  title_ = DirUtil_GetName(path_).empty() ? path_ : DirUtil_GetName(path_);
  save_time_ = time(nullptr);
  DeleteAutosaveFile();
  host_->StatusText(format("\"%s\" saved.", path.c_str()));
  return true;
}

void ProgDoc::OnAutoSave() {
  std::string name = config_.General.GetAutoSaveFile(path_.c_str(), identity_);
  if (name.empty()) return;
  Diag_Trace('D', 2, "CProgDoc::OnAutoSave() genuine file name: %s, auto-save file name: %s", path_.c_str(),
             name.c_str());
  std::unique_ptr<DirSaveFile> file = DirUtil_BeginSave(name.c_str());
  if (!file) return;
  file->separator = DIRSEP_CRLF;
  for (const TextLine* line = text_.head; line; line = line->next) {
    std::string plain = PlainLine(line, false);
    file->WriteLine(plain.c_str(), static_cast<uint32_t>(plain.size()));
  }
  try {
    file->Commit();
  } catch (const CUserException&) {
    return;
  }
  autosave_time_ = time(nullptr);
  if (!autosave_name_.empty() && autosave_name_ != name && unlink(autosave_name_.c_str()) != 0)
    Diag_Trace('D', 1, "CProgDoc::OnAutoSave() failed to delete previous auto-save file: %s, file: %s",
               std::strerror(errno), autosave_name_.c_str());
  autosave_name_ = name;
}

void ProgDoc::DeleteAutosaveFile() {
  if (autosave_name_.empty()) return;
  Diag_Trace('D', 2, "CProgDoc::DeleteAutosaveFile() deleting file: %s", autosave_name_.c_str());
  if (unlink(autosave_name_.c_str()) != 0)
    Diag_Trace('D', 1, "CProgDoc::DeleteAutosaveFile() failed: %s, file: %s", std::strerror(errno),
               autosave_name_.c_str());
  autosave_name_.clear();
  autosave_time_ = 0;
}

bool ProgDoc::CheckLine(uint32_t line_idx) {
  if (!IsProgramFile() || !(config_.Program.options & CfgProgram::SyntaxCheck)) return true;
  TextLine* line = text_.Line(line_idx);
  if (!line) return true;
  if (!program_) program_ = std::make_unique<YqApiProgram>();
  std::string listed;
  int mode = (config_.Program.options & CfgProgram::SpaceDepend) ? 1 : 0;
  int rc = program_->ParseLine(CompileText(line).c_str(), mode, -1, &listed, nullptr);
  if (rc < 0) {
    host_->StatusError(format("line %lu: %s", static_cast<unsigned long>(line_idx + 1), program_->ErrorText().c_str()));
    line->line_flags |= TextLine_ERROR_MARK;
    return false;
  }
  if (line->line_flags & TextLine_ERROR_MARK) {
    line->line_flags &= ~TextLine_ERROR_MARK;
    host_->StatusError("");
  }
  if (rc == 1) ListedText(listed);
  if (rc == 1 && listed != line->data) {
    // A line left by a key (Return, a caret move) is relisted inside that
    // key's action, so one undo takes back both; on its own it is an
    // action of its own.
    const bool own_action = text_.BeginAction(line_idx, 0);
    PutListed(line, listed);
    if (own_action) text_.EndAction();
    text_.SetModified(true);
  }
  return true;
}

void ProgDoc::FillFileRecord() {
  CfgFile& file = config_.File;
  file.FileName = path_.empty() ? "(New File)" : path_;
  unsigned long bytes = 0;
  for (const TextLine* line = text_.head; line; line = line->next) bytes += line->Size();
  file.FileSize = format("%lu Bytes (%lu Lines)", bytes, static_cast<unsigned long>(text_.num_lines));
  auto when = [](time_t t) {
    char text[32];
    struct tm local {};
    localtime_r(&t, &local);
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return std::string(text);
  };
  bool read_only = text_.TestFlag(TextObj_READ_ONLY);
  if (IsModified())
    file.FileStatus = autosave_time_ ? "Modified, Auto-Saved: " + when(autosave_time_) : "Modified";
  else if (save_time_)
    file.FileStatus = "Saved: " + when(save_time_);
  else
    file.FileStatus = read_only ? "Read-only" : "Initial";
  if (read_only)
    file.flags |= CfgFile::ReadOnly;
  else
    file.flags &= ~CfgFile::ReadOnly;
}

int ProgDoc::ApplySettings() {
  SetFileMode(config_.File.FileMode);
  if (config_.File.flags & CfgFile::ReadOnly)
    text_.SetFlag(TextObj_READ_ONLY);
  else
    text_.ClearFlag(TextObj_READ_ONLY);
  const bool auto_save = (config_.General.flags & CfgGeneral::AutoSave) && (config_.File.flags & CfgFile::AutoSave);
  return auto_save ? config_.General.AutoSaveTimeout : 0;
}

void ProgDoc::TakeAutoSaveSettings(const CfgGeneral& general) {
  CfgGeneral& own = config_.General;
  own.flags = (own.flags & ~CfgGeneral::AutoSave) | (general.flags & CfgGeneral::AutoSave);
  own.AutoSaveLocation = general.AutoSaveLocation;
  own.AutoSaveTimeout = general.AutoSaveTimeout;
}

// ------------------------------------------------------------ breakpoints

bool ProgDoc::CanToggleBreakpoint(uint32_t line_idx) const {
  if (!IsProgramFile() || line_idx >= text_.num_lines) return false;
  const TextLine* line = const_cast<TextObj&>(text_).Line(line_idx);
  return line && line->line_number != 0;
}

bool ProgDoc::ToggleBreakpoint(uint32_t line_idx, CfgBreakpoints* stored) {
  if (!CanToggleBreakpoint(line_idx)) return false;
  text_.Line(line_idx)->line_flags ^= TextLine_BREAKPOINT;
  if (stored) stored->SetModified(true);
  return true;
}

TextLine* ProgDoc::RunToLine(uint32_t line_idx) {
  if (!IsProgramFile() || line_idx >= text_.num_lines) return nullptr;
  TextLine* line = text_.Line(line_idx);
  if (line == nullptr || line->line_number != 0) return line;
  TextLine* before = line->prev;
  while (before != nullptr && before->line_number == 0) before = before->prev;
  TextLine* after = line->next;
  while (after != nullptr && after->line_number == 0) after = after->next;
  if (after == nullptr || (before != nullptr && before->line_aux != after->line_aux)) return nullptr;
  return after;
}

TextLine* ProgDoc::FindLine(uint16_t segment, uint16_t line_number) {
  for (TextLine* line = text_.head; line; line = line->next)
    if (line->line_number == line_number && line->line_aux == segment) return line;
  return nullptr;
}

void ProgDoc::MarkBreakpoints(CfgBreakpoints* stored) {
  if (!stored || !IsProgramFile() || path_.empty()) return;
  for (CfgBreakpoint* bp = stored->head; bp;) {
    CfgBreakpoint* next = bp->next;
    if (!bp->temporary && DirUtil_SamePath(bp->FileName.c_str(), path_.c_str())) {
      if (TextLine* line = FindLine(bp->Segment, bp->Line)) {
        line->line_flags |= TextLine_BREAKPOINT;
      } else {
        delete bp;  // its line is gone
        stored->SetModified(true);
      }
    }
    bp = next;
  }
}

void ProgDoc::StoreBreakpoints(CfgBreakpoints* list) {
  if (!list || !IsProgramFile() || path_.empty()) return;
  for (CfgBreakpoint* bp = list->head; bp;) {
    CfgBreakpoint* next = bp->next;
    if (DirUtil_SamePath(bp->FileName.c_str(), path_.c_str())) delete bp;
    bp = next;
  }
  CollectBreakpoints(list);
}

void ProgDoc::CollectBreakpoints(CfgBreakpoints* list) {
  if (!list || !IsProgramFile() || path_.empty()) return;
  std::string target = host_->TranslatePath(path_);
  for (TextLine* line = text_.head; line; line = line->next) {
    if (!(line->line_flags & (TextLine_BREAKPOINT | TextLine_RUN_TO)) || line->line_number == 0) continue;
    auto* bp = new CfgBreakpoint(list, path_.c_str(), line->line_aux, line->line_number);
    bp->temporary = !(line->line_flags & TextLine_BREAKPOINT);
    bp->SetTargetName(target.c_str());
    if (line->line_aux < segments_.size()) bp->SetText(segments_[line->line_aux].name.c_str());
  }
}
