// The program library facade: the only way in which the environment uses the
// language library. A program document opens, checks, compiles, stores and
// lists its program through a YqApiProgram; the password pages make digest
// texts with YqApi_PasswordDigest.
//
// The library keeps its program in work in the one program context
// (Prog_Context); every call here swaps this program's segment list in and
// takes it back afterwards. Every failure of the library is shown here, as
// "%s\nFile %s, Line %u" (message, library module and line) in a box with the
// error icon, a warning with the warning icon, through the shell's sink.
// Calls in the wrong state are failed checks of the environment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "language/progfile.h"
#include "language/progseg.h"

class YqApiProgram;

// A position in a program: a segment and a line of it; a null line stands
// before the segment's first line.
struct YqApiIter {
  ProgSegment* seg = nullptr;
  const uint16_t* lp = nullptr;

  // The first segment of the program, before its first line; false when the
  // program has none.
  bool First(const YqApiProgram& prog);
  // A segment, at its first line (null when it has no code).
  void Begin(ProgSegment* segment);
  void Set(ProgSegment* segment, const uint16_t* line);
  // The next segment, before its first line; false at the end.
  bool NextSegment();
  // The next line, on into the following segments; false after the last.
  bool NextLine();
  // The line's number (word 0 without bit 15); 0 at the end of the program.
  unsigned LineNumber() const;
  // The statement row's flags of the line (0 for an unknown statement).
  int KeywordFlags() const;
  // Display name of the segment ("main", "SUB name", ...).
  std::string SegmentName(const YqApiProgram& prog) const;
  bool OpensBlock() const;
  bool ClosesBlock() const;
};

// Indentation settings of a document: enabled, current level, base column,
// columns per level.
struct YqApiIndent {
  int enabled = 0;
  int level = 0;
  int base = 1;
  int per_level = 2;
};

class YqApiProgram {
 public:
  YqApiProgram();
  ~YqApiProgram();
  YqApiProgram(const YqApiProgram&) = delete;
  YqApiProgram& operator=(const YqApiProgram&) = delete;

  // ---- reading (the memory block of a whole file) ----
  // Drops the old state, info and segments and reads the header. 0; -1 after
  // an error box; a warning is shown and reading goes on.
  int ReadHeader(const void* block, size_t size);
  // The password flag of the program read.
  bool IsSecured() const;
  // 1 when the digest text opens the program (or it has no password), 0 not.
  int CheckPassword(const char* digest_text);
  // Reads every segment. 0; -1 after an error box, with the state and every
  // segment dropped.
  int ReadSegments();

  // ---- format kept for storing (no effect on a new program) ----
  int GetFormat() const;
  void SetFormat(int revision);
  int GetCharset() const;
  void SetCharset(int charset);
  // Digest text or null (no password). False, and the password kept, for a
  // text that is not 32 hexadecimal digits.
  bool SetPassword(const char* digest_text);
  // The program information of the file read, or null for a new program.
  const prog_options* Info() const { return info_.get(); }

  // ---- storing ----
  // Prepares the image: its size in bytes and 0; -1 after an error box.
  int PrepareStore(size_t* size);
  // Builds the image into a buffer of that size: 0; -1 after an error box.
  int Store(void* buffer);

  // ---- compiling and listing ----
  // Frees the segments and starts an empty program; true when it could.
  bool NewProgram();
  // Frees the segments; numbering starts again.
  void Reset();
  // First line number and step of the numbering (1 and 1 after construction).
  void SetNumbering(unsigned first, unsigned step);
  unsigned CurrentLine() const { return line_; }
  // The document's indentation settings (null: none).
  void SetIndentation(YqApiIndent* indent) { indent_ = indent; }
  // Compiles the line as the next line of the program. The compiler's
  // result: 1 stored, 0 nothing to store, -1 error (ErrorText). On success
  // the indentation rule is applied, *listed gets the listed line when
  // asked, *kwflags the statement's flags.
  int CompileLine(const char* text, std::string* listed, int* kwflags);
  // Applies the indentation rule to every stored line in order, the level
  // starting at 0 (a loaded program laid out as a compile would lay it out);
  // a line without a statement row keeps its column. Nothing while the
  // indentation is off.
  void Reindent();
  // Compiles the line alone for checking in a spelling (0 space-independent,
  // 1 space-dependent); when that fails and retry_mode is not -1, once more in
  // that spelling. The same results.
  int ParseLine(const char* text, int mode, int retry_mode, std::string* listed, int* kwflags);
  // The listed text of the line at the iterator (flags or-ed with 1).
  std::string ListLine(const YqApiIter& iter, int flags) const;
  // The message of the last failed CompileLine or ParseLine.
  std::string ErrorText() const;
  bool IsEmpty() const { return segments_.root == nullptr; }

  ProgList& Segments() { return segments_; }
  const ProgList& Segments() const { return segments_; }

 private:
  class Swap;
  void DropState();
  void ShowError(const prog_error* err, int result) const;
  int Indent(ProgSegment* seg, uint32_t pos, uint16_t* line);

  ProgList segments_;
  std::unique_ptr<prog_options> info_;
  std::unique_ptr<prog_reader> reader_;
  std::unique_ptr<prog_hdr> store_;
  std::vector<uint8_t> block_;  // the image being read
  unsigned line_ = 1;
  unsigned first_ = 1;
  unsigned step_ = 1;
  YqApiIndent* indent_ = nullptr;
  bool compiled_ = false;  // cleared by Reset
  std::string error_;
};

// The digest text of a password.
std::string YqApi_PasswordDigest(const char* password);

// The statement row's flags of a stored line (skipping its label and the
// statement prefix), or -1 when the statement is not in the table.
int YqApi_LineKeywordFlags(const uint16_t* line);
