// The root of everything the designer knows about one dialog file: the
// anchors (one per root object), the default units of root objects, the
// named constants, the fonts, the source lines kept from the load, and the
// save walk that writes the tree through a plug-in file type's writers and
// puts each kept line back at its place.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/dialogs/document/dlgplugin.h"
#include "workbench/dialogs/model/dlg_const.h"
#include "workbench/dialogs/model/dlg_font.h"
#include "workbench/dialogs/model/dlg_types.h"
#include "workbench/dialogs/undo/dlg_undo.h"

// Flag bits of the root anchor.
enum : uint32_t {
  F_READ_ONLY = 0x1,
  F_UNDO_BUSY = 0x2,
  F_UNDO_TRUNCATED = 0x4,
  F_CASE_NAMES = 0x8,    // object names compare case-sensitively
  F_ATTACHMENTS = 0x40,  // attachments are applied to geometry
};

// The most actions the undo list holds.
constexpr int32_t DLG_UNDO_LIMIT = 100;

// Flag bits of a kept line.
enum : uint32_t { KEPT_INSIDE = 0x1, KEPT_CONTINUES = 0x2, KEPT_WRITTEN = 0x4 };

class DlgKeptLines;

// A source line that is not an object or attribute (a comment, text between
// objects), kept to be written back where it stood.
class DlgKeptLine {
 public:
  // Appends to `list`.
  DlgKeptLine(DlgKeptLines* list, const char* text, int32_t blanks, int32_t position, uint32_t flags);
  virtual ~DlgKeptLine();
  DlgKeptLine(const DlgKeptLine&) = delete;
  DlgKeptLine& operator=(const DlgKeptLine&) = delete;

  const std::string& Text() const { return text_; }
  void SetText(const char* text) { text_ = text ? text : ""; }
  void AppendText(const char* text) { text_ += text ? text : ""; }

  DlgKeptLines* list;
  DlgKeptLine* prev = nullptr;
  DlgKeptLine* next = nullptr;
  int32_t blanks;    // empty lines written before the text
  int32_t position;  // source line it belongs to
  uint32_t flags;    // KEPT_*

 private:
  std::string text_;
};

class DlgKeptLines {
 public:
  DlgKeptLines() = default;
  ~DlgKeptLines();
  DlgKeptLines(const DlgKeptLines&) = delete;
  DlgKeptLines& operator=(const DlgKeptLines&) = delete;
  DlgKeptLine* head = nullptr;
  DlgKeptLine* tail = nullptr;
};

class DlgRootAnchor {
 public:
  // `measurer` measures the fonts (null: the one in force).
  explicit DlgRootAnchor(DlgFontMeasurer* measurer = nullptr);
  // Deletes every anchor (and its tree), the redo and the undo list, then
  // the fonts, kept lines and constants.
  ~DlgRootAnchor();
  DlgRootAnchor(const DlgRootAnchor&) = delete;
  DlgRootAnchor& operator=(const DlgRootAnchor&) = delete;

  DlgDocument* Document() const { return doc_; }
  void SetDocument(DlgDocument* doc) { doc_ = doc; }
  int32_t UnitX() const { return unit_x_; }
  int32_t UnitY() const { return unit_y_; }
  // Default units of root objects; 0 for a unit below 1.
  int SetUnits(int32_t x, int32_t y);
  uint32_t Flags() const { return flags_; }
  void SetFlags(uint32_t flags) { flags_ = flags; }
  int32_t Levels() const { return levels_; }
  void SetLevels(int32_t levels) { levels_ = levels; }
  DlgConstTable& Consts() { return consts_; }
  DlgFontTable& Fonts() { return fonts_; }
  DlgKeptLines& Kept() { return kept_; }
  int32_t ActionCount() const { return action_count_; }

  // Undo. Every edit records in this order: ClearRedo and BeginUndo (both
  // must answer 1), the records, the document's modified flag, EndUndo. A
  // read-only dialog records nothing; while an undo or redo runs (busy)
  // ClearRedo, BeginUndo and EndUndo do nothing either.
  int BeginUndo();
  // Closes the group; when it made an action, the oldest actions beyond the
  // limit go first.
  int EndUndo();
  int ClearRedo();
  // 1 while a group is open.
  int IsRecording() const;
  int CanUndo() const;
  int CanRedo() const;
  void Undo();
  void Redo();
  // Drops the oldest actions while there are DLG_UNDO_LIMIT or more.
  void TrimUndo();
  DlgUndoAnchor& UndoList() { return undo_; }
  DlgUndoAnchor& RedoList() { return redo_; }

  DlgAnchor* FindAnchor(uint32_t id) const;
  // The first root object of that name among the anchors, in order.
  DlgObject* FindRootObject(const char* name) const;
  // Each anchor's temporary objects, the constants defined again and the
  // temporary fonts go.
  void CleanUp();

  // Counts for the save's progress display.
  int32_t CountSavedObjects() const;
  int32_t CountOutputLines() const;

  // Writes the dialog through a writable file type; 1 on success, 0 when a
  // writer failed. `ctx` must have its two callbacks set; its Depth starts
  // at 0 and ends at 0.
  int Save(const PluginFileType* type, psave* ctx);

  DlgAnchor* head = nullptr;
  DlgAnchor* tail = nullptr;

 private:
  DlgDocument* doc_ = nullptr;
  int32_t unit_x_ = 1;
  int32_t unit_y_ = 1;
  DlgConstTable consts_;
  DlgKeptLines kept_;
  DlgFontTable fonts_;
  DlgUndoAnchor undo_;
  DlgUndoAnchor redo_;
  int32_t action_count_ = 0;
  uint32_t flags_ = 0;
  int32_t levels_ = 0;
};
