// The named constants of one dialog: named texts and integers that a plug-in
// defines while it loads, grouped by a group id of its choice. Property
// values may refer to them by serial.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "workbench/dialogs/document/dlgplugin.h"

class DlgConstGroup;
class DlgConstTable;

// Options of the table.
enum : uint32_t {
  DLG_CONST_CASE = 0x1,       // names compare case-sensitively
  DLG_CONST_REDEFINE = 0x2,   // a name may be defined again
  DLG_CONST_KEEP_FIRST = 0x4  // (with REDEFINE) a second definition keeps the first
};

// Mark bits of an entry.
enum : uint32_t { DLG_CONST_MARK_REDEFINED = 0x1 };

class DlgConstEntry {
 public:
  virtual ~DlgConstEntry();
  DlgConstEntry(const DlgConstEntry&) = delete;
  DlgConstEntry& operator=(const DlgConstEntry&) = delete;

  // The value as a typed value that does not own its text.
  virtual void GetValue(prop_val* out) const = 0;
  virtual const char* GetText() const { return text_; }
  // Byte-for-byte comparison of the text; a missing text never matches.
  virtual bool MatchesText(const char* text) const;

  DlgConstGroup* Group() const { return group_; }
  uint32_t Serial() const { return serial_; }
  const char* Name() const { return name_; }
  int32_t ClassHandle() const { return class_handle_; }
  int32_t Line() const { return line_; }
  void SetLine(int32_t line) { line_ = line; }
  uint32_t Marks() const { return marks_; }
  void SetMarks(uint32_t marks) { marks_ = marks; }

  DlgConstEntry* prev = nullptr;
  DlgConstEntry* next = nullptr;

 protected:
  // Appends to `group` with a new serial.
  DlgConstEntry(DlgConstGroup* group, const char* name, const char* text);

 private:
  friend class DlgConstTable;
  DlgConstGroup* group_;
  uint32_t serial_;
  char* name_;
  int32_t class_handle_ = -1;
  int32_t line_ = 0;
  uint32_t marks_ = 0;
  char* text_;
};

class DlgTextConst : public DlgConstEntry {
 public:
  DlgTextConst(DlgConstGroup* group, const char* name, const char* text);
  void GetValue(prop_val* out) const override;
};

class DlgIntConst : public DlgConstEntry {
 public:
  DlgIntConst(DlgConstGroup* group, const char* name, int32_t value);
  void GetValue(prop_val* out) const override;
  int32_t Value() const { return value_; }

 private:
  int32_t value_;
};

class DlgConstGroup {
 public:
  DlgConstGroup(DlgConstTable* table, uint32_t id);
  ~DlgConstGroup();
  DlgConstGroup(const DlgConstGroup&) = delete;
  DlgConstGroup& operator=(const DlgConstGroup&) = delete;

  DlgConstTable* Table() const { return table_; }
  uint32_t Id() const { return id_; }

  DlgConstGroup* prev = nullptr;
  DlgConstGroup* next = nullptr;
  DlgConstEntry* head = nullptr;
  DlgConstEntry* tail = nullptr;

 private:
  DlgConstTable* table_;
  uint32_t id_;
};

class DlgConstTable {
 public:
  DlgConstTable() = default;
  ~DlgConstTable();
  DlgConstTable(const DlgConstTable&) = delete;
  DlgConstTable& operator=(const DlgConstTable&) = delete;

  uint32_t Options() const { return options_; }
  void SetOptions(uint32_t options) { options_ = options; }

  DlgConstGroup* FindGroup(uint32_t id) const;
  // The group, made and appended when missing.
  DlgConstGroup* GetGroup(uint32_t id);

  // Defines `name` in `group` with a value of kind VAL_TEXT or VAL_INT.
  // With an existing entry: refused (null) unless the table allows
  // redefinition; with KEEP_FIRST, or the same class handle and an equal
  // value, the existing entry; otherwise it is replaced and the new entry
  // keeps its serial. A class handle below 0 means none.
  DlgConstEntry* Define(DlgConstGroup* group, const char* name, const prop_val* value, int32_t class_handle,
                        DlgConstEntry* existing);

  // Group id 0 searches all groups, in order.
  DlgConstEntry* FindConstByName(uint32_t group_id, const char* name) const;
  DlgConstEntry* FindConstBySerial(uint32_t serial) const;
  DlgConstEntry* FindConstByText(uint32_t group_id, const char* text) const;
  // Deletes in every group the entries marked as defined again.
  void DeleteMarked();

  DlgConstGroup* head = nullptr;
  DlgConstGroup* tail = nullptr;

 private:
  friend class DlgConstEntry;
  bool NamesEqual(const char* a, const char* b) const;
  uint32_t options_ = 0;
  // Every entry of every group by its serial.
  std::unordered_map<uint32_t, DlgConstEntry*> by_serial_;
};
