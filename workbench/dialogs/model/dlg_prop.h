// Property definitions as the host keeps them, typed values and the list of
// property values of one dialog object, with every look-up the callbacks, the
// geometry code and the property grid use.
//
// Names compare byte for byte when the list's option bit 0 is set, else
// without regard to case.
#pragma once

#include <cstdint>

#include "workbench/dialogs/document/dlgplugin.h"
#include "workbench/dialogs/model/dlg_types.h"

// Typed values (prop_val). A value owns its text.
// Copies `src` into the empty `dst`, duplicating a text.
void PropVal_Copy(prop_val* dst, const prop_val* src);
// A copy on the heap; delete it with PropVal_Delete.
prop_val* PropVal_NewCopy(const prop_val* src);
// Frees a text; leaves kind VAL_NONE.
void PropVal_Clear(prop_val* val);
void PropVal_Delete(prop_val* val);
// Same kind and same text or integer.
bool PropVal_Equal(const prop_val* a, const prop_val* b);
// A value of kind VAL_TEXT or VAL_INT, not owning anything (for callers).
prop_val PropVal_Text(const char* text);
prop_val PropVal_Int(int32_t value);

class DlgPropList;

// State bits of a value node.
enum : uint32_t { DLG_PROP_COPIED = 0x1 };

// One property value of an object.
class DlgPropValue {
 public:
  // Copies the definition (name, category and GUI section as owned copies;
  // the default text stays the plug-in's) and appends the node to `list`.
  DlgPropValue(DlgPropList* list, const prop_def* def);
  virtual ~DlgPropValue();
  DlgPropValue(const DlgPropValue&) = delete;
  DlgPropValue& operator=(const DlgPropValue&) = delete;

  // Accepts a value by the definition's type: any takes text or integer;
  // path, ident and string take text; int takes integer. Returns 0 and
  // changes nothing otherwise. Stores the serial of the named constant the
  // value was given as (-1: none) and clears the copied mark.
  int SetValue(const prop_val* val, int32_t serial);
  void ClearValue();
  // Copies a value that was stored before, without the type check.
  void Assign(const prop_val* val, int32_t serial);
  // Moves the node to the tail of its list.
  void MoveToEnd();

  const prop_val& Val() const { return value_; }
  prop_val* ValPtr() { return &value_; }
  const prop_def& Def() const { return def_; }
  DlgPropList* List() const { return list_; }
  int32_t Serial() const { return serial_; }
  uint32_t State() const { return state_; }
  void SetState(uint32_t state) { state_ = state; }
  // Source line of the value (0: none); the save walk puts kept lines by it.
  int32_t Line() const { return line_; }
  void SetLine(int32_t line) { line_ = line; }

  DlgPropValue* prev = nullptr;
  DlgPropValue* next = nullptr;

 private:
  DlgPropList* list_;
  prop_def def_;
  prop_val value_{};
  int32_t serial_ = -1;
  int32_t line_ = 0;
  uint32_t state_ = 0;
};

// The property values of one object, in the order they were set.
class DlgPropList {
 public:
  explicit DlgPropList(DlgObject* owner) : owner_(owner) {}
  ~DlgPropList();
  DlgPropList(const DlgPropList&) = delete;
  DlgPropList& operator=(const DlgPropList&) = delete;

  DlgObject* Owner() const { return owner_; }
  uint32_t Options() const { return options_; }
  void SetOptions(uint32_t options) { options_ = options; }
  DlgPropValue* Head() const { return head; }
  DlgPropValue* Tail() const { return tail; }

  bool NamesEqual(const char* a, const char* b) const;

  // The first node whose definition index equals `index` and whose name
  // matches.
  DlgPropValue* FindByName(const char* name, int32_t index) const;
  // The first native node with that native number; with `follow` the search
  // goes on in the owner's template object, its template, and so on.
  DlgPropValue* FindNative(int32_t native, bool follow) const;
  // From `from` onward, the next array node (flag 0x02, index 0 or more)
  // whose name matches.
  DlgPropValue* FindNextArrayElement(DlgPropValue* from, const char* name) const;
  // Appends to `target` a copy of every native node 6 to 11 of `source`,
  // host flag 0x04 turned into 0x08, marked as copied.
  static void CopyGeometryValues(const DlgPropList& source, DlgPropList& target);

  DlgPropValue* head = nullptr;
  DlgPropValue* tail = nullptr;

 private:
  DlgObject* owner_;
  uint32_t options_ = 0;
};
