// The settings object: records, defaults, load, save and migration.
#include "workbench/base/settings/config.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <unistd.h>

#include "platform/dirpath.h"
#include "platform/profile.h"
#include "workbench/base/settings/cfgfields.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"

extern char** environ;

const CfgEnumEntry CfgFileModeTable[] = {
    {CfgFileMode_Auto, "Auto"},
    {CfgFileMode_BinaryPROG, "BinaryPROG"},
    {CfgFileMode_BinaryPROGv5, "BinaryPROGv5"},
    {CfgFileMode_BinaryPROGv6, "BinaryPROGv6"},
    {CfgFileMode_Text_CRLF, "Text_CRLF"},
    {CfgFileMode_Text_LF, "Text_LF"},
    {CfgFileMode_Text_CR, "Text_CR"},
    {CfgFileMode_PlugIn, "Plug-In"},
    {-1, nullptr},
};

const CfgEnumEntry CfgCodepageTable[] = {
    {0, "QX Roman-8"},
    {1, "ISO 8859-1"},
    {-1, nullptr},
};

const CfgEnumEntry CfgCursorShapeTable[] = {
    {CfgCursor_Caret, "Caret"},
    {CfgCursor_Block, "Block"},
    {CfgCursor_Underline, "Underline"},
    {-1, nullptr},
};

const char* const CfgWindowKeys[CfgTotalWindows] = {
    "MainFrame",      "FindDialog",      "ReplaceDialog", "LinedrawDialog",       "OutputWindow",        "WatchWindow",
    "VariableWindow", "CallstackWindow", "ExploreWindow", "DialogPropertyWindow", "DialogPaletteWindow",
};

namespace {

const char* const kGeneral = "Settings\\General";
const char* const kProgram = "Settings\\Program";
const char* const kDebug = "Debug";
const char* const kColors = "Settings\\Colors";
const char* const kPageSetup = "Settings\\PageSetup";
const char* const kWindowPositions = "WindowPositions";
const char* const kConfiguration = "Configuration";

}  // namespace

// ------------------------------------------------------------ General

// The temporary directory: TMP, else TEMP, else this system's own TMPDIR,
// else /tmp, so that auto-save has a folder on a fresh profile.
CfgGeneral::CfgGeneral() {
  const char* tmp = nullptr;
  for (const char* name : {"TMP", "TEMP", "TMPDIR"}) {
    tmp = getenv(name);
    if (tmp && *tmp) break;
  }
  AutoSaveLocation = tmp && *tmp ? tmp : P_tmpdir;
  DirUtil_NormalizePath(AutoSaveLocation);
}

bool CfgGeneral::differs(const CfgGeneral& o) const {
  return flags != o.flags || NewFileMode != o.NewFileMode || Codepage != o.Codepage ||
         AutoSaveLocation != o.AutoSaveLocation || AutoSaveTimeout != o.AutoSaveTimeout;
}

namespace {

const CfgField<CfgGeneral> kGeneralFields[] = {
    cfg_on_off("AutoSave", &CfgGeneral::flags, CfgGeneral::AutoSave),
    cfg_enum("NewFileMode", &CfgGeneral::NewFileMode, CfgFileModeTable),
    cfg_enum("Codepage", &CfgGeneral::Codepage, CfgCodepageTable),
    cfg_string("AutoSaveLocation", &CfgGeneral::AutoSaveLocation),
    cfg_int("AutoSaveTimeout", &CfgGeneral::AutoSaveTimeout),
};

}  // namespace

void CfgGeneral::Load() {
  cfg_load_fields(kGeneral, this, kGeneralFields);
  modified = 0;
}

void CfgGeneral::Save() {
  if (!modified) return;
  CfgProfileBatch batch;
  cfg_save_fields(kGeneral, *this, kGeneralFields);
  modified = 0;
}

std::string CfgGeneral::GetAutoSaveFile(const char* document_path, unsigned long identity) const {
  if (AutoSaveLocation.empty()) return std::string();
  std::string name = "NewFile";
  if (document_path && *document_path) {
    const char* last = document_path;
    for (const char* p = document_path; *p; ++p)
      if (*p == '/' || *p == '\\') last = p + 1;
    if (*last) name = last;
  }
  std::string file = AutoSaveLocation;
  if (file.back() != '/') file += '/';
  file += name;
  if (file.back() != '.') file += '.';
  char tail[48];
  snprintf(tail, sizeof tail, "%lX.AutoSave", identity);
  return file + tail;
}

unsigned long CfgGeneral::NewDocumentIdentity() {
  static unsigned long counter = 0;
  return ++counter;
}

// ------------------------------------------------------------ File

bool CfgFile::differs(const CfgFile& o) const {
  return flags != o.flags || FileMode != o.FileMode || Codepage != o.Codepage || PasswordDigest != o.PasswordDigest;
}

bool CfgFile::ToIso(void* buffer, size_t length) const {
  if (Codepage == 1) return false;
  Cfg_Roman8ToIso(buffer, length);
  return true;
}

bool CfgFile::FromIso(void* buffer, size_t length) const {
  if (Codepage == 1) return false;
  Cfg_IsoToRoman8(buffer, length);
  return true;
}

// ------------------------------------------------------------ Edit items

int CfgEditItem::ref_count = 0;

namespace {

char* g_blanks = nullptr;
size_t g_blanks_size = 0;

}  // namespace

CfgEditItem::CfgEditItem(const char* name, uint32_t flags_, uint32_t tab_size, uint32_t indent_size)
    : flags(flags_), regname(name), TabSize(tab_size), IndentSize(indent_size) {
  ++ref_count;
}

CfgEditItem::CfgEditItem(const CfgEditItem& o)
    : flags(o.flags),
      reserved(o.reserved),
      regname(o.regname),
      InsertCursorShape(o.InsertCursorShape),
      OverwriteCursorShape(o.OverwriteCursorShape),
      TabSize(o.TabSize),
      IndentSize(o.IndentSize) {
  ++ref_count;
}

CfgEditItem& CfgEditItem::operator=(const CfgEditItem& o) {
  flags = o.flags;
  reserved = o.reserved;
  regname = o.regname;
  InsertCursorShape = o.InsertCursorShape;
  OverwriteCursorShape = o.OverwriteCursorShape;
  TabSize = o.TabSize;
  IndentSize = o.IndentSize;
  return *this;
}

CfgEditItem::~CfgEditItem() {
  if (ref_count < 1) {
    // A broken count is a programming error; report it without throwing
    // out of a destructor.
    Sys_AssertFailed("CfgEditItem::ref_count > 0", __FILE__, __LINE__);
  }
  if (--ref_count == 0) {
    free(g_blanks);
    g_blanks = nullptr;
    g_blanks_size = 0;
  }
}

bool CfgEditItem::differs(const CfgEditItem& o) const {
  return flags != o.flags || InsertCursorShape != o.InsertCursorShape ||
         OverwriteCursorShape != o.OverwriteCursorShape || TabSize != o.TabSize || IndentSize != o.IndentSize;
}

std::string CfgEditItem::Section() const {
  SYS_ASSERT(regname);
  return std::string("Settings\\Edit\\") + regname;
}

namespace {

const CfgField<CfgEditItem> kEditItemFields[] = {
    cfg_on_off("Overwrite", &CfgEditItem::flags, CfgEditItem::Overwrite),
    cfg_on_off("LineWrap", &CfgEditItem::flags, CfgEditItem::LineWrap),
    cfg_on_off("AutoIndent", &CfgEditItem::flags, CfgEditItem::AutoIndent),
    cfg_bool("UseEnhancements", &CfgEditItem::flags, CfgEditItem::UseEnhancements),
    cfg_enum("InsertCursorShape", &CfgEditItem::InsertCursorShape, CfgCursorShapeTable),
    cfg_enum("OverwriteCursorShape", &CfgEditItem::OverwriteCursorShape, CfgCursorShapeTable),
    cfg_int("TabSize", &CfgEditItem::TabSize),
    cfg_int("IndentSize", &CfgEditItem::IndentSize),
};

}  // namespace

void CfgEditItem::Load() { cfg_load_fields(Section().c_str(), this, kEditItemFields); }

void CfgEditItem::Save() const { cfg_save_fields(Section().c_str(), *this, kEditItemFields); }

namespace {

uint32_t first_stop(uint32_t indent_size) { return indent_size ? indent_size - 1 : 0; }

}  // namespace

uint32_t CfgEditItem::NextStop(uint32_t col) const {
  uint32_t first = first_stop(IndentSize);
  if (col < first) return first;
  if (TabSize == 0) return col;
  return col - (col - first) % TabSize + TabSize;
}

uint32_t CfgEditItem::PrevStop(uint32_t col) const {
  uint32_t first = first_stop(IndentSize);
  if (col <= first) return 0;
  if (TabSize == 0) return first;
  uint32_t r = (col - first) % TabSize;
  return r == 0 ? col - TabSize : col - r;
}

const char* CfgEditItem::GetIndentBlanks(uint32_t col, uint32_t* length) const {
  uint32_t first = first_stop(IndentSize);
  uint32_t n;
  if (col < first)
    n = first - col;
  else
    n = TabSize ? TabSize - (col - first) % TabSize : 0;
  const char* blanks = Blanks(n);
  if (length) *length = *blanks ? n : 0;  // no storage for them: none
  return blanks;
}

const char* CfgEditItem::Blanks(uint32_t n) {
  size_t size = static_cast<size_t>(n) + 1;
  if (size > g_blanks_size || g_blanks == nullptr) {
    char* grown = static_cast<char*>(realloc(g_blanks, size));
    if (grown == nullptr) return "";
    g_blanks = grown;
    g_blanks_size = size;
  }
  memset(g_blanks, ' ', n);
  g_blanks[n] = '\0';
  return g_blanks;
}

// ------------------------------------------------------------ Edit

bool CfgEdit::differs(const CfgEdit& o) const { return items[0].differs(o.items[0]) || items[1].differs(o.items[1]); }

CfgEditItem* CfgEdit::GetItem(int i) { return (i == 0 || i == 1) ? &items[i] : nullptr; }

const CfgEditItem* CfgEdit::GetItem(int i) const { return (i == 0 || i == 1) ? &items[i] : nullptr; }

CfgEditItem* CfgEdit::GetItemFor(const CfgFile& file) { return file.IsBinaryFileMode() ? &items[0] : &items[1]; }

void CfgEdit::Load() {
  items[0].Load();
  items[1].Load();
  modified = 0;
}

void CfgEdit::Save() {
  if (!modified) return;
  CfgProfileBatch batch;
  items[0].Save();
  items[1].Save();
  modified = 0;
}

// ------------------------------------------------------------ Program

bool CfgProgram::differs(const CfgProgram& o) const {
  return options != o.options || StartLine != o.StartLine || LineIncrement != o.LineIncrement;
}

namespace {

const CfgField<CfgProgram> kProgramFields[] = {
    cfg_on_off("SyntaxCheck", &CfgProgram::options, CfgProgram::SyntaxCheck),
    cfg_on_off("SyntaxColor", &CfgProgram::options, CfgProgram::SyntaxColor),
    cfg_on_off("SpaceDepend", &CfgProgram::options, CfgProgram::SpaceDepend),
    cfg_on_off("AutoIndent", &CfgProgram::options, CfgProgram::AutoIndent),
    cfg_on_off("ReIndent", &CfgProgram::options, CfgProgram::ReIndent),
    cfg_bool("ShowLineNumber", &CfgProgram::options, CfgProgram::ShowLineNumber),
    cfg_int("StartLine", &CfgProgram::StartLine),
    cfg_int("LineIncrement", &CfgProgram::LineIncrement),
};

}  // namespace

void CfgProgram::Load() {
  cfg_load_fields(kProgram, this, kProgramFields);
  modified = 0;
}

void CfgProgram::Save() {
  if (!modified) return;
  CfgProfileBatch batch;
  cfg_save_fields(kProgram, *this, kProgramFields);
  modified = 0;
}

// ------------------------------------------------------------ Debug

CfgDebug::CfgDebug(const CfgDebug& o) : reserved(o.reserved), modified(o.modified), CurrentSession(o.CurrentSession) {}

CfgDebug& CfgDebug::operator=(const CfgDebug& o) {
  reserved = o.reserved;
  modified = o.modified;
  CurrentSession = o.CurrentSession;
  return *this;
}

bool CfgDebug::differs(const CfgDebug& o) const { return reserved != o.reserved || CurrentSession != o.CurrentSession; }

namespace {

const CfgField<CfgDebug> kDebugFields[] = {
    cfg_int("CurrentSession", &CfgDebug::CurrentSession),
};

}  // namespace

void CfgDebug::Load() {
  cfg_load_fields(kDebug, this, kDebugFields);
  modified = 0;
}

void CfgDebug::Save() {
  if (!modified) return;
  cfg_save_fields(kDebug, *this, kDebugFields);
  modified = 0;
}

namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Splits a command line into words; a word keeps at most `limit` characters
// (the rest of an over-long word is dropped).
std::vector<std::string> split_words(const char* text, size_t limit) {
  std::vector<std::string> words;
  const char* p = text ? text : "";
  for (;;) {
    while (is_separator(*p)) ++p;
    if (*p == '\0') return words;
    std::string word;
    char quote = 0;
    while (*p && (quote || !is_separator(*p))) {
      char c = *p++;
      if (c == '\\' && *p) {
        c = *p++;
      } else if (quote && c == quote) {
        quote = 0;
        continue;
      } else if (!quote && (c == '"' || c == '\'')) {
        quote = c;
        continue;
      }
      if (word.size() < limit) word += c;
    }
    words.push_back(std::move(word));
  }
}

}  // namespace

void CfgDebug::SplitWords(const char* text) {
  FreeWords();
  words = split_words(text, CFG_WORD_MAX);
}

void CfgDebug::BuildEnvironment(const char* text) {
  std::vector<std::string> entries;
  if (environment.size() == 2) {
    for (char** e = environ; e && *e; ++e) entries.emplace_back(*e);
  } else {
    for (size_t i = 0; i < environment.size() && environment[i] != '\0';) {
      size_t end = environment.find('\0', i);
      if (end == std::string::npos) end = environment.size();
      entries.push_back(environment.substr(i, end - i));
      i = end + 1;
    }
  }
  for (const std::string& word : split_words(text, CFG_ENV_WORD_MAX)) {
    size_t eq = word.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    for (auto it = entries.begin(); it != entries.end();) {
      size_t e = it->find('=');
      if (e == eq && strncasecmp(it->c_str(), word.c_str(), eq) == 0)
        it = entries.erase(it);
      else
        ++it;
    }
    entries.push_back(word);
  }
  std::string block;
  for (const std::string& entry : entries) {
    block += entry;
    block += '\0';
  }
  block += '\0';
  if (block.size() < 2) block += '\0';
  FreeWords();
  words.push_back(std::move(block));
  environment.assign(2, '\0');
}

const std::string* CfgDebug::GetWord(int i) const {
  if (i < 0 || i >= static_cast<int>(words.size())) return nullptr;
  return &words[static_cast<size_t>(i)];
}

void CfgDebug::FreeWords() { words.clear(); }

// ------------------------------------------------------------ Colors

namespace {

const CfgColorEntry kDefaultColors[CfgTotalColors] = {
    {"Color_TEXT", Cfg_RGB(0, 0, 0), Cfg_RGB(255, 255, 255), "Text", "Text"},
    {"Color_BLINK_TEXT", Cfg_RGB(255, 255, 255), Cfg_RGB(0, 128, 128), "Blinking Text", "Blinking Text"},
    {"Color_SELECTION", Cfg_RGB(255, 255, 255), Cfg_RGB(0, 0, 128), "Selection", "Selected Text"},
    {"Color_ERROR", Cfg_RGB(255, 0, 0), Cfg_RGB(255, 255, 255), "Error", "Error"},
    {"Color_COMMENT", Cfg_RGB(0, 128, 0), Cfg_RGB(255, 255, 255), "Comment", "! Comment"},
    {"Color_SUB_FN", Cfg_RGB(128, 0, 128), Cfg_RGB(255, 255, 255), "SUB or FN", "Calculate"},
    {"Color_LABEL", Cfg_RGB(128, 0, 128), Cfg_RGB(255, 255, 255), "Label", "Label:"},
    {"Color_LINE_NUMBER", Cfg_RGB(255, 0, 0), Cfg_RGB(255, 255, 255), "Line Number", "1000"},
    {"Color_PRIMARY_KEY", Cfg_RGB(0, 0, 255), Cfg_RGB(255, 255, 255), "Primary Keyword", "PRINT"},
    {"Color_SECOND_KEY", Cfg_RGB(0, 0, 255), Cfg_RGB(255, 255, 255), "Secondary Keyword", "DATE$"},
    {"Color_OPERATOR", Cfg_RGB(0, 0, 0), Cfg_RGB(255, 255, 255), "Operator", "+ - * / AND OR"},
    {"Color_CONST", Cfg_RGB(0, 0, 0), Cfg_RGB(255, 255, 255), "Constant", "3.141592654"},
    {"Color_STRING", Cfg_RGB(128, 128, 128), Cfg_RGB(255, 255, 255), "String", "\"String\""},
    {"Color_VARIABLE", Cfg_RGB(0, 0, 0), Cfg_RGB(255, 255, 255), "Variable", "Variable$"},
};

}  // namespace

CfgColors::CfgColors() {
  for (int i = 0; i < CfgTotalColors; ++i) entries[i] = kDefaultColors[i];
}

bool CfgColors::differs(const CfgColors& o) const {
  for (int i = 0; i < CfgTotalColors; ++i)
    if (entries[i].fg != o.entries[i].fg || entries[i].bg != o.entries[i].bg) return true;
  return false;
}

void CfgColors::Load() {
  for (CfgColorEntry& e : entries) {
    Cfg_GetColor(kColors, (std::string("Fg") + e.regname).c_str(), &e.fg);
    Cfg_GetColor(kColors, (std::string("Bg") + e.regname).c_str(), &e.bg);
  }
  modified = 0;
}

void CfgColors::Save() {
  if (!modified) return;
  CfgProfileBatch batch;
  for (const CfgColorEntry& e : entries) {
    Cfg_PutColor(kColors, (std::string("Fg") + e.regname).c_str(), e.fg);
    Cfg_PutColor(kColors, (std::string("Bg") + e.regname).c_str(), e.bg);
  }
  modified = 0;
}

void Cfg_HalfBright(CfgColor* first, CfgColor* second) {
  SYS_ASSERT(first);
  SYS_ASSERT(second);
  unsigned channels[3] = {Cfg_Red(*first), Cfg_Green(*first), Cfg_Blue(*first)};
  bool light = true;
  for (unsigned& x : channels) {
    unsigned half = (255 - x) / 2;
    if (half >= 63) light = false;
    x = 255 - half;
  }
  *first = Cfg_RGB(channels[0], channels[1], channels[2]);
  if (light) *second = Cfg_RGB(Cfg_Red(*second) / 2, Cfg_Green(*second) / 2, Cfg_Blue(*second) / 2);
}

// ------------------------------------------------------------ Help

bool CfgHelp::differs(const CfgHelp& o) const {
  return reserved != o.reserved || Url != o.Url || ConfigLocation != o.ConfigLocation || ConfigURL != o.ConfigURL;
}

void CfgHelp::Load() {
  const char* location = Sys_GetHelpConfigFile();
  if (location && *location) ConfigLocation = location;
  const char* url = Sys_GetHelpUrl();
  if (url && *url) ConfigURL = url;
  modified = 0;
}

void CfgHelp::Save() {
  if (!modified) return;
  Sys_SetHelpConfigFile(ConfigLocation.c_str());
  Sys_SetHelpUrl(ConfigURL.c_str());
  modified = 0;
}

const std::string& CfgHelp::BuildUrl(const char* topic) {
  std::string t = topic ? topic : "";
  if (!ConfigURL.empty()) {
    Url = ConfigURL + "/" + t;
  } else if (t.find(':') != std::string::npos) {
    Url = t;
  } else {
    std::string dir = ConfigLocation;
    if (dir.size() > 1 && dir[1] == ':') dir[1] = '|';
    size_t slash = dir.rfind('/');
    if (slash != std::string::npos) dir.erase(slash);
    Url = "file://" + dir + "/" + t;
  }
  return Url;
}

// ------------------------------------------------------------ Page setup

bool CfgPageSetup::differs(const CfgPageSetup& o) const {
  return flags != o.flags || PageHeader != o.PageHeader || PageFooter != o.PageFooter || LeftMargin != o.LeftMargin ||
         RightMargin != o.RightMargin || TopMargin != o.TopMargin || BottomMargin != o.BottomMargin ||
         FontSize != o.FontSize;
}

namespace {

const CfgField<CfgPageSetup> kPageSetupFields[] = {
    cfg_on_off("BoldFont", &CfgPageSetup::flags, CfgPageSetup::BoldFont),
    cfg_on_off("LineNumbers", &CfgPageSetup::flags, CfgPageSetup::LineNumbers),
    cfg_string("PageHeader", &CfgPageSetup::PageHeader),
    cfg_string("PageFooter", &CfgPageSetup::PageFooter),
    cfg_int("LeftMargin", &CfgPageSetup::LeftMargin),
    cfg_int("RightMargin", &CfgPageSetup::RightMargin),
    cfg_int("TopMargin", &CfgPageSetup::TopMargin),
    cfg_int("BottomMargin", &CfgPageSetup::BottomMargin),
    cfg_int("FontSize", &CfgPageSetup::FontSize),
};

}  // namespace

void CfgPageSetup::Load() {
  cfg_load_fields(kPageSetup, this, kPageSetupFields);
  modified = 0;
}

void CfgPageSetup::Save() {
  if (!modified) return;
  CfgProfileBatch batch;
  cfg_save_fields(kPageSetup, *this, kPageSetupFields);
  modified = 0;
}

// ------------------------------------------------------------ Windows

void CfgWindowPos::Save(CfgWindow* pWnd) {
  SYS_ASSERT(pWnd);
  CfgPlacement taken;
  taken.length = sizeof(CfgPlacement);
  valid = pWnd->GetPlacement(&taken) ? 1 : 0;
  if (!valid) return;
  if (pWnd->IsMaximized()) taken.flags |= CFG_WPF_RESTORETOMAXIMIZED;
  placement = taken;
}

void CfgWindowPos::Restore(CfgWindow* pWnd, bool show) const {
  SYS_ASSERT(pWnd);
  if (!valid) return;
  CfgPlacement p = placement;
  if (!show)
    p.showCmd = CFG_SW_HIDE;
  else if (p.showCmd == CFG_SW_HIDE)
    p.showCmd = CFG_SW_SHOW;
  pWnd->SetPlacement(p);
}

void CfgWindowPositions::Load() {
  for (int i = 0; i < CfgTotalWindows; ++i) {
    CfgPlacement p;
    if (Cfg_GetPlacement(kWindowPositions, CfgWindowKeys[i], &p)) {
      entries[i].placement = p;
      entries[i].valid = 1;
    }
  }
  modified = 0;
}

void CfgWindowPositions::Save() {
  if (!modified) return;
  CfgProfileBatch batch;
  for (int i = 0; i < CfgTotalWindows; ++i)
    if (entries[i].valid) Cfg_PutPlacement(kWindowPositions, CfgWindowKeys[i], entries[i].placement);
  modified = 0;
}

// ------------------------------------------------------------ Settings

void CfgSettings::Load(int screen_width, int screen_height) {
  CfgProfileBatch batch;
  Migrate(screen_width, screen_height);
  General.Load();
  Edit.Load();
  Program.Load();
  Debug.Load();
  Colors.Load();
  Help.Load();
  PageSetup.Load();
  WindowPositions.Load();
}

void CfgSettings::SetModified(bool flag) {
  uint32_t m = flag ? 1 : 0;
  General.modified = m;
  Edit.modified = m;
  Program.modified = m;
  Debug.modified = m;
  Colors.modified = m;
  Help.modified = m;
  PageSetup.modified = m;
  WindowPositions.modified = m;
}

void CfgSettings::InitFileDefaults() {
  File.flags = General.flags & CfgGeneral::AutoSave;
  File.FileMode = General.NewFileMode;
  File.Codepage = General.Codepage;
}

namespace {

// Drops a stored bar layout: the summary section, then "<prefix>0",
// "<prefix>1", ... up to and including the first whose "barID" is 0 or
// missing.
void drop_bar_layout(const char* summary, const char* prefix) {
  Cfg_DeleteSection(summary);
  for (int i = 0; i < 100000; ++i) {
    std::string section = prefix + std::to_string(i);
    int id = Cfg_GetInt(section.c_str(), "barID");
    Cfg_DeleteSection(section.c_str());
    if (id == 0) break;
  }
}

void move_string(const char* from, const char* key, const char* to, const char* new_key) {
  std::string value = Cfg_GetString(from, key);
  if (!value.empty()) Cfg_PutString(to, new_key, value.c_str());
  Cfg_DeleteValue(from, key);
}

void migrate_old_layout() {
  Cfg_DeleteSection("Recent File List");
  Cfg_DeleteSection("Settings\\Debug");
  for (const char* key :
       {"FgColor_INVERSE_TEXT", "BgColor_INVERSE_TEXT", "FgColor_HALFBRIGHT_TEXT", "BgColor_HALFBRIGHT_TEXT"})
    Cfg_DeleteValue(kColors, key);

  // Help settings moved from the profile to the installation key. Only a
  // configured file counts: the lookup's html-directory fallback is not a
  // setting of the user. Were the fallback taken for one, an installation
  // with an html directory would drop the user's own file with the section
  // below.
  char probe[1024];
  if (Sys_RegQuery("Manuals", "ConfigFile", probe, sizeof probe) <= 0) {
    std::string location = Cfg_GetString("Settings\\Help", "ConfigLocation");
    if (!location.empty()) Sys_SetHelpConfigFile(location.c_str());
  }
  const char* url = Sys_GetHelpUrl();
  if (url == nullptr || *url == '\0') {
    std::string old_url = Cfg_GetString("Settings\\Help", "ConfigURL");
    if (!old_url.empty()) Sys_SetHelpUrl(old_url.c_str());
  }
  Cfg_DeleteSection("Settings\\Help");

  move_string(kGeneral, "SyntaxCheck", kProgram, "SyntaxCheck");
  move_string(kColors, "SyntaxColoring", kProgram, "SyntaxColor");
  Cfg_DeleteValue(kGeneral, "ReloadWorkspace");
  Cfg_DeleteValue(kGeneral, "SaveModifications");

  const char* const edit = "Settings\\Edit";
  const char* const items[] = {"Settings\\Edit\\ProgramFiles", "Settings\\Edit\\TextFiles"};
  for (const char* key : {"InsertCursorShape", "OverwriteCursorShape", "Overwrite", "LineWrap"}) {
    std::string value = Cfg_GetString(edit, key);
    if (!value.empty())
      for (const char* item : items) Cfg_PutString(item, key, value.c_str());
    Cfg_DeleteValue(edit, key);
  }
  for (const char* key : {"TabSize", "IndentSize"}) {
    int value = Cfg_GetInt(edit, key);
    if (value > 0)
      for (const char* item : items) Cfg_PutInt(item, key, value);
    Cfg_DeleteValue(edit, key);
  }

  int servers = Cfg_ListTotal("Server");
  for (int i = 0; i < servers; ++i) {
    std::string entry = Cfg_ListGet("Server", i);
    if (entry.empty()) continue;
    Cfg_DeleteValue(entry.c_str(), "Password");
    Cfg_DeleteValue(entry.c_str(), "PswdMD5");
  }
  int passwords = Cfg_ListTotal("Passwords");
  for (int i = 0; i < passwords; ++i) {
    std::string entry = Cfg_ListGet("Passwords", i);
    if (!entry.empty()) move_string(entry.c_str(), "Password", entry.c_str(), "PswdMD5");
  }

  for (const char* key : {"LogFlags", "LogFile"})
    if (Cfg_GetString("Diagnostics", key).empty()) Cfg_PutString("Diagnostics", key, "");
  Cfg_PutInt(kConfiguration, "Version", CFG_VERSION);
}

}  // namespace

void CfgSettings::Migrate(int screen_width, int screen_height) {
  CfgProfileBatch batch;
  bool old = Cfg_GetInt(kConfiguration, "Version") != CFG_VERSION;
  int32_t stored_width = 0, stored_height = 0;
  Cfg_GetPair(kConfiguration, "ScreenResolution", &stored_width, &stored_height);
  bool changed = stored_width != screen_width || stored_height != screen_height;
  bool smaller = screen_width < stored_width || screen_height < stored_height;
  if (old || smaller) {
    drop_bar_layout("ToolBars-Summary", "ToolBars-Bar");
    drop_bar_layout("WindowPositions\\ControlBars-Summary", "WindowPositions\\ControlBars-Bar");
    Cfg_DeleteSection(kWindowPositions);
  }
  if (old) migrate_old_layout();
  if (changed) Cfg_PutPair(kConfiguration, "ScreenResolution", screen_width, screen_height);
}

std::optional<std::string> Cfg_GetEnvironmentValue(const char* name) {
  if (name == nullptr) return std::nullopt;
  int total = Cfg_ListTotal("Environment");
  for (int i = 0; i < total; ++i) {
    std::string entry = Cfg_ListGet("Environment", i);
    if (Cfg_EntryName(entry.c_str()) == name) return Cfg_GetString(entry.c_str(), "Value");
  }
  return std::nullopt;
}
