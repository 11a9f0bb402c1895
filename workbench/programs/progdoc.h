// The program document without windows: the text of a program file or a
// plain text file in a text object, read and written through the file
// access layer (local or program-server paths alike), with the program it
// compiles into, its segment table, breakpoint marks, auto-save copy and
// titles. The windowed document wraps it; everything it needs of the
// windows around it (status bar, Build tab, password dialogs, Save As,
// the debugger's path names) goes through ProgDocHost.
//
// File modes: 1 to 3 program files (revision 0, 1, 2 of the program file),
// 4 to 6 text with CR LF, LF or CR line ends; 0 asks for the mode by name
// (".PROG" is a program file, anything else text with CR LF).
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "workbench/base/settings/config.h"
#include "workbench/editor/txtobj.h"
#include "workbench/programs/yqapi.h"

class CfgBreakpoints;
class FileBuffer;

class ProgDocHost {
 public:
  virtual ~ProgDocHost() = default;
  virtual void StatusText(const std::string& text) { (void)text; }
  virtual void StatusError(const std::string& text) { (void)text; }
  // The Build tab of the output pane: cleared for a file name, a line with
  // the ident of the text line it is about (0 for none), brought forward.
  virtual void BuildClear(const std::string& file_name) { (void)file_name; }
  virtual void BuildAppend(const std::string& text, uint32_t line_ident) {
    (void)text;
    (void)line_ident;
  }
  virtual void BuildShow() {}
  // Asks for the password of the program in `file_name`: false when
  // cancelled, else its digest text and whether to keep it in the password
  // list.
  virtual bool AskPassword(const std::string& file_name, std::string* digest, bool* remember) {
    (void)file_name;
    (void)digest;
    (void)remember;
    return false;
  }
  virtual void RememberPassword(const std::string& digest) { (void)digest; }
  // The explorer's Save As window: the chosen path, or "" when cancelled.
  virtual std::string SaveAs(const std::string& directory, const std::string& title) {
    (void)directory;
    (void)title;
    return std::string();
  }
  // A file's name as the debug target knows it.
  virtual std::string TranslatePath(const std::string& path) { return path; }
  // The segment table was rebuilt (the cross reference shows it).
  virtual void SegmentsChanged() {}
};

// One segment of the compiled or loaded program.
struct ProgDocSegment {
  uint16_t number = 0;      // 0 the main segment
  std::string name;         // "main", "SUB name", ...
  uint32_t start_line = 0;  // index of its first text line
};

class ProgDoc {
 public:
  // `config` is the global configuration the document copies.
  ProgDoc(ProgDocHost* host, const CfgSettings& config);
  ~ProgDoc();  // deletes the auto-save copy
  ProgDoc(const ProgDoc&) = delete;
  ProgDoc& operator=(const ProgDoc&) = delete;

  // ---- life ----
  // An empty document (one empty line) of the mode asked for (0: the
  // configured new-file mode, or by name when `path` is given), titled
  // "Prog%d" or "Text%d" from one count shared by both kinds.
  void NewDocument(int mode, const char* path = nullptr);
  // Reads a file in the mode asked for (0: by name); false after the reason
  // was shown (the document then holds nothing of it).
  bool Open(const char* path, int mode);
  // Reads the debugged program's file through the debug session's exchange
  // as a program file; `debug_name` is how the target names it.
  bool OpenDebugFile(class SrvQueue* debug, const char* debug_name);
  // Puts the lines of a text (LF separated, a CR before the LF dropped) in
  // place of the document's, clean and without undo: the text a test or a
  // benchmark works on.
  void SetText(const std::string& text);
  // Saves under `path` (empty: asks through Save As); false when it failed
  // or was cancelled, the document then stays modified.
  bool Save(const std::string& path);
  // Writes the auto-save copy (all lines with CR LF) when a location is set.
  void OnAutoSave();
  void DeleteAutosaveFile();

  // ---- program ----
  // Compiles the text into the program; the number of errors.
  int Compile();
  // Checks a line the caret left after it was changed (program files with
  // the syntax check on): a refused line shows "line N: text" as a status
  // error and gets the error mark; an accepted one loses the mark and takes
  // its listed form as one undoable change. False for a refused line.
  bool CheckLine(uint32_t line_idx);
  // The program line number of the debug stop shown (0: none).
  void SetStopLine(uint32_t line_number) { stop_line_ = line_number; }
  uint32_t StopLine() const { return stop_line_; }
  // Fills the file record that the document information shows: the name
  // ("(New File)" without one), "%u Bytes (%u Lines)", the status
  // ("Initial", "Read-only", "Saved: time", "Modified" with ", Auto-Saved:
  // time") and the read-only flag of the text.
  void FillFileRecord();
  // Takes the document's settings again (after the document information or
  // the Application Properties): the edit settings of the mode, and the
  // file record's read-only flag on the text. Gives the auto-save interval
  // in minutes: the configured time-out when auto-save is on in both the
  // General and the file record, else 0.
  int ApplySettings();
  // Follows the application's auto-save settings (on or off, folder and
  // time-out) after the Application Properties changed them.
  void TakeAutoSaveSettings(const CfgGeneral& general);
  // The segment table of the last load or compile.
  const std::vector<ProgDocSegment>& Segments() const { return segments_; }

  // ---- breakpoints ----
  // True when a breakpoint may sit on the line: a program file's line that
  // holds a stored program line.
  bool CanToggleBreakpoint(uint32_t line_idx) const;
  // Flips the line's mark and marks the stored list changed.
  bool ToggleBreakpoint(uint32_t line_idx, CfgBreakpoints* stored);
  // Where Run to Cursor stops for a line: the line itself when it holds a
  // stored program line; for a line typed since (not stored yet) the next
  // stored line, when the stored lines around it are of one segment (or
  // none comes before it). Null when there is no such place.
  TextLine* RunToLine(uint32_t line_idx);
  // Marks the lines of the stored breakpoints of this file; breakpoints
  // whose line no longer exists leave the list.
  void MarkBreakpoints(CfgBreakpoints* stored);
  // Adds one breakpoint per marked line to the list (program files with a
  // name only), with the debug target's name and the segment's name; a
  // line marked for Run to Cursor alone gives a temporary one.
  void CollectBreakpoints(CfgBreakpoints* list);
  // Brings the list up to date with this file's marks: its entries for the
  // file go and one per marked line comes back (program files with a name
  // only; the list of another kind of document stays as it is).
  void StoreBreakpoints(CfgBreakpoints* list);
  // The text line of a segment's program line, or null.
  TextLine* FindLine(uint16_t segment, uint16_t line_number);

  // ---- names and state ----
  int FileMode() const { return config_.File.FileMode; }
  void SetFileMode(int mode);
  bool IsProgramFile() const { return Cfg_IsBinaryFileMode(config_.File.FileMode); }
  const std::string& PathName() const { return path_; }
  const std::string& DebugName() const { return debug_name_; }
  // How the debug target names this document's file (a stop in it).
  void SetDebugName(const std::string& name) { debug_name_ = name; }
  const std::string& Title() const { return title_; }
  // The title, and " *" while modified.
  std::string FrameTitle() const;
  bool IsModified() const { return text_.IsModified(); }
  TextObj& Text() { return text_; }
  CfgSettings& Config() { return config_; }
  YqApiProgram* Program() { return program_.get(); }
  const std::string& AutoSaveName() const { return autosave_name_; }
  time_t SaveTime() const { return save_time_; }

 private:
  bool LoadProgram(FileBuffer& file, const std::string& path);
  bool LoadText(FileBuffer& file);
  bool Read(std::unique_ptr<FileBuffer> file, const std::string& path, int mode);
  bool UnlockProgram(const std::string& path);
  void SetTextLines(const std::vector<std::string>& lines);
  void RebuildSegments();
  std::string PlainLine(const TextLine* line, bool trim) const;
  // The text the compiler takes of a line (in QX Roman-8), and a listed
  // line in the document's code page.
  std::string CompileText(const TextLine* line) const;
  void ListedText(std::string& listed) const;
  // The whole line, colour switches included, gives way to its listed form.
  static void PutListed(TextLine* line, const std::string& listed);
  // Hands the program the indentation of the document's settings, at level 0.
  void SetUpIndentation();

  ProgDocHost* host_;
  CfgSettings config_;
  std::string path_, debug_name_, title_;
  TextObj text_;
  std::unique_ptr<YqApiProgram> program_;
  YqApiIndent indent_;
  std::vector<ProgDocSegment> segments_;
  unsigned long identity_;
  time_t save_time_ = 0, autosave_time_ = 0;
  std::string autosave_name_;
  uint32_t stop_line_ = 0;
};
