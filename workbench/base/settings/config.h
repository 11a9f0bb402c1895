// The environment's settings object and its records, kept in the application
// profile. The application holds one CfgSettings, loaded at start-up; every
// text-bearing document holds a copy; the Application Properties pages edit
// copies of single records and write them back on Apply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "workbench/base/settings/cfgprofile.h"

// The configuration layout version written by this environment.
enum { CFG_VERSION = 11 };

enum CfgFileMode {
  CfgFileMode_Auto = 0,
  CfgFileMode_BinaryPROG = 1,
  CfgFileMode_BinaryPROGv5 = 2,
  CfgFileMode_BinaryPROGv6 = 3,
  CfgFileMode_Text_CRLF = 4,
  CfgFileMode_Text_LF = 5,
  CfgFileMode_Text_CR = 6,
  CfgFileMode_PlugIn = 100,
};

enum CfgCursorShape { CfgCursor_Caret = 0, CfgCursor_Block = 1, CfgCursor_Underline = 2 };

extern const CfgEnumEntry CfgFileModeTable[];
extern const CfgEnumEntry CfgCodepageTable[];
extern const CfgEnumEntry CfgCursorShapeTable[];

inline bool Cfg_IsBinaryFileMode(int mode) {
  return mode >= CfgFileMode_BinaryPROG && mode <= CfgFileMode_BinaryPROGv6;
}

// ------------------------------------------------------------ General

class CfgGeneral {
 public:
  enum : uint32_t { AutoSave = 1 };

  uint32_t flags = AutoSave;
  uint32_t modified = 0;
  int32_t NewFileMode = CfgFileMode_BinaryPROGv6;
  int32_t Codepage = 0;
  std::string AutoSaveLocation;  // the temporary directory by default
  int32_t AutoSaveTimeout = 5;   // minutes

  CfgGeneral();
  bool differs(const CfgGeneral& other) const;
  void Load();
  void Save();
  bool IsBinaryFileMode() const { return Cfg_IsBinaryFileMode(NewFileMode); }

  // The auto-save file of a document: AutoSaveLocation, "/", the last
  // component of the path (or "NewFile"), ".", the identity in upper-case
  // hex and ".AutoSave". Empty when there is no location.
  std::string GetAutoSaveFile(const char* document_path, unsigned long identity) const;
  // A new document identity, unique for the life of the process.
  static unsigned long NewDocumentIdentity();
};

// ------------------------------------------------------------ File

class CfgFile {
 public:
  enum : uint32_t { AutoSave = 1, ReadOnly = 2, Locked = 4, Changed = 8 };

  uint32_t flags = 0;
  std::string FileName;
  std::string FileSize;
  std::string FileStatus;
  int32_t FileMode = CfgFileMode_BinaryPROG;
  int32_t Codepage = 0;
  std::string PasswordDigest;

  bool differs(const CfgFile& other) const;
  bool IsBinaryFileMode() const { return Cfg_IsBinaryFileMode(FileMode); }
  // Convert a document's bytes to and from ISO 8859-1 when the document is
  // in Roman-8; false (bytes untouched) when it is already ISO 8859-1.
  bool ToIso(void* buffer, size_t length) const;
  bool FromIso(void* buffer, size_t length) const;
};

// ------------------------------------------------------------ Edit

class CfgEditItem {
 public:
  enum : uint32_t { Overwrite = 1, LineWrap = 2, AutoIndent = 4, UseEnhancements = 8 };

  uint32_t flags = 0;
  uint32_t reserved = 0;
  const char* regname = nullptr;
  int32_t InsertCursorShape = CfgCursor_Caret;
  int32_t OverwriteCursorShape = CfgCursor_Block;
  uint32_t TabSize = 8;
  uint32_t IndentSize = 0;

  // Live items, for the shared blank buffer.
  static int ref_count;

  CfgEditItem(const char* regname, uint32_t flags, uint32_t tab_size, uint32_t indent_size);
  CfgEditItem(const CfgEditItem& other);
  CfgEditItem& operator=(const CfgEditItem& other);
  ~CfgEditItem();

  bool differs(const CfgEditItem& other) const;
  std::string Section() const;
  void Load();
  void Save() const;

  // Indent stops: the first stop is IndentSize - 1, then every TabSize.
  uint32_t NextStop(uint32_t col) const;
  uint32_t PrevStop(uint32_t col) const;
  // Blanks from `col` to the next stop; the text lives in a buffer shared
  // by all items, valid until the next call.
  const char* GetIndentBlanks(uint32_t col, uint32_t* length) const;
  static const char* Blanks(uint32_t n);
};

class CfgFile;

class CfgEdit {
 public:
  CfgEditItem items[2] = {
      CfgEditItem("ProgramFiles", CfgEditItem::AutoIndent | CfgEditItem::UseEnhancements, 3, 10),
      CfgEditItem("TextFiles", CfgEditItem::AutoIndent, 8, 0),
  };
  uint32_t modified = 0;

  bool differs(const CfgEdit& other) const;
  CfgEditItem* GetItem(int i);
  const CfgEditItem* GetItem(int i) const;
  // The ProgramFiles item for binary file modes, else TextFiles.
  CfgEditItem* GetItemFor(const CfgFile& file);
  void Load();
  void Save();
};

// ------------------------------------------------------------ Program

class CfgProgram {
 public:
  enum : uint32_t {
    SyntaxCheck = 1,
    SyntaxColor = 2,
    SpaceDepend = 4,
    AutoIndent = 8,
    ReIndent = 16,
    ShowLineNumber = 32,
  };

  uint32_t options = 0x3B;
  uint32_t modified = 0;
  uint16_t StartLine = 1;
  uint16_t LineIncrement = 1;

  bool differs(const CfgProgram& other) const;
  void Load();
  void Save();
};

// ------------------------------------------------------------ Debug

enum { CFG_WORD_MAX = 1023, CFG_ENV_WORD_MAX = 8191 };

class CfgDebug {
 public:
  std::vector<std::string> words;
  std::string environment = std::string(2, '\0');  // the two-NUL empty block
  uint32_t reserved = 0;
  uint32_t modified = 0;
  int32_t CurrentSession = -1;

  CfgDebug() = default;
  // Copies only reserved, modified and CurrentSession; the words and the
  // block stay with their owner.
  CfgDebug(const CfgDebug& other);
  CfgDebug& operator=(const CfgDebug& other);

  bool differs(const CfgDebug& other) const;
  void Load();
  void Save();

  // Splits a command line into words (blank, tab, line feed and NUL
  // separate; quotes group; a backslash takes the next character). Words
  // longer than CFG_WORD_MAX are cut.
  void SplitWords(const char* text);
  // Builds the environment block of a debugged process from our own
  // environment and the NAME=value words of `text`; the block becomes
  // word 0.
  void BuildEnvironment(const char* text);
  const std::string* GetWord(int i) const;
  int WordCount() const { return static_cast<int>(words.size()); }
  void FreeWords();
  uint32_t EnvironmentSize() const { return static_cast<uint32_t>(environment.size()); }
};

// ------------------------------------------------------------ Colors

enum { CfgTotalColors = 14 };

struct CfgColorEntry {
  const char* regname;
  CfgColor fg;
  CfgColor bg;
  const char* label;
  const char* sample;
};

class CfgColors {
 public:
  uint32_t modified = 0;
  CfgColorEntry entries[CfgTotalColors];

  CfgColors();
  bool differs(const CfgColors& other) const;
  void Load();
  void Save();
};

// The colours of half-bright text (see the editor view).
void Cfg_HalfBright(CfgColor* first, CfgColor* second);

// ------------------------------------------------------------ Help

class CfgHelp {
 public:
  uint32_t reserved = 0;
  uint32_t modified = 0;
  std::string Url;             // the last topic URL built
  std::string ConfigLocation;  // the help configuration file
  std::string ConfigURL;       // base URL of the manuals

  bool differs(const CfgHelp& other) const;
  void Load();
  void Save();
  const std::string& BuildUrl(const char* topic);
};

// ------------------------------------------------------------ Page setup

// What the header renderer draws on: one line of text in a rectangle,
// vertically centred, aligned left (1), centred (0) or right (2).
class CfgHeaderPainter {
 public:
  virtual ~CfgHeaderPainter() = default;
  virtual void DrawLine(const CfgRect& rect, const std::string& text, int alignment) = 0;
};

// The page a header is rendered for.
struct CfgPageState {
  std::string file_name;
  uint32_t page = 0;
  uint32_t pages = 0;
  int alignment = 0;  // 0 centre, 1 left, 2 right
  // The date and time the codes &D and &T show (empty: now, in the user's
  // formats).
  std::string date;
  std::string time;
};

class CfgPageSetup {
 public:
  enum : uint32_t { BoldFont = 1, LineNumbers = 2 };

  uint32_t flags = 0;
  uint32_t modified = 0;
  std::string PageHeader = "&F";
  std::string PageFooter = "&L&D &T&RPage &P of &A";
  int32_t LeftMargin = 0, RightMargin = 0, TopMargin = 0, BottomMargin = 0;
  int32_t FontSize = 100;

  bool differs(const CfgPageSetup& other) const;
  void Load();
  void Save();

  // Expands the codes of a header or footer text (&F file, &P page, &A
  // pages, &D date, &T time; &L, &C and &R draw what came before and set
  // the alignment of what follows) and draws its segments.
  static void RenderHeader(CfgHeaderPainter* painter, const CfgRect& rect, const std::string& text,
                           CfgPageState* state);
  // The font size limits in tenths of a point.
  static int32_t ClampFontSize(int32_t size) { return size < 60 ? 60 : size > 240 ? 240 : size; }
};

// ------------------------------------------------------------ Windows

// What a window offers to have its placement kept.
class CfgWindow {
 public:
  virtual ~CfgWindow() = default;
  virtual bool GetPlacement(CfgPlacement* placement) = 0;
  virtual bool IsMaximized() = 0;
  virtual bool SetPlacement(const CfgPlacement& placement) = 0;
};

class CfgWindowPos {
 public:
  CfgPlacement placement;
  uint32_t valid = 0;

  void Save(CfgWindow* pWnd);
  void Restore(CfgWindow* pWnd, bool show) const;
};

enum CfgWindowIndex {
  CfgWnd_MainFrame,
  CfgWnd_FindDialog,
  CfgWnd_ReplaceDialog,
  CfgWnd_LinedrawDialog,
  CfgWnd_OutputWindow,
  CfgWnd_WatchWindow,
  CfgWnd_VariableWindow,
  CfgWnd_CallstackWindow,
  CfgWnd_ExploreWindow,
  CfgWnd_DialogPropertyWindow,
  CfgWnd_DialogPaletteWindow,
  CfgTotalWindows
};

extern const char* const CfgWindowKeys[CfgTotalWindows];

class CfgWindowPositions {
 public:
  uint32_t modified = 0;
  CfgWindowPos entries[CfgTotalWindows];

  void Load();
  void Save();
};

// ------------------------------------------------------------ Settings

class CfgSettings {
 public:
  CfgGeneral General;
  CfgFile File;
  CfgEdit Edit;
  CfgProgram Program;
  CfgDebug Debug;
  CfgColors Colors;
  CfgHelp Help;
  CfgPageSetup PageSetup;
  CfgWindowPositions WindowPositions;

  // Migrates older layouts (comparing the stored screen resolution with
  // the current one), then loads every record but File.
  void Load(int screen_width, int screen_height);
  void SetModified(bool flag);
  void InitFileDefaults();

  // The migration step of Load on its own.
  static void Migrate(int screen_width, int screen_height);
};

// The value configured for an environment variable on the Environment page,
// or nothing when the name is not listed.
std::optional<std::string> Cfg_GetEnvironmentValue(const char* name);
