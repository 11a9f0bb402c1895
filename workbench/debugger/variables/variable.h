// One node of the Variables window's tree: a variable of the stopped
// program as the target reported it (name, kind, value text, handle and
// element index), with its place among its siblings and under its parent.
// Scalars hold a value of their kind; containers (records and arrays) hold
// a title and own their children, which are fetched once and then kept.
//
// Ownership: a container owns its children; whoever holds a top-level
// variable owns it (the window's rows, the saved chain, or a caller that
// has not handed it on yet). Destroying a variable unlinks it from its
// parent and siblings and destroys its children.
//
// Broken invariants (a null name, appending a child that is already linked,
// removing a child of another container) are fatal failed checks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Variable flags.
enum : uint32_t {
  Variable_STALE = 0x01,     // not confirmed by the refresh in progress
  Variable_CHANGED = 0x02,   // value changed at the last refresh: drawn highlighted
  Variable_EDITING = 0x04,   // its value is being edited in place
  Variable_EXPANDED = 0x08,  // a container whose children are shown
};

// Kind codes of the target's elements; an array is 128 + its element kind.
enum : uint8_t {
  VARKIND_INTEGER = 'I',
  VARKIND_DINTEGER = 'D',
  VARKIND_SHORT = 'S',
  VARKIND_REAL = 'L',
  VARKIND_STRING = 'X',
  VARKIND_TYPE = 'T',
  VARKIND_ARRAY = 0x80,
};

// The longest text a REAL or SHORT takes as its value.
constexpr size_t VARIABLE_REAL_TEXT_MAX = 255;

class VariableContainer;

class Variable {
 public:
  virtual ~Variable();
  Variable(const Variable&) = delete;
  Variable& operator=(const Variable&) = delete;

  // Unlinks a child (containers only; nothing for scalars).
  virtual void RemoveChild(Variable* child_var);
  virtual bool IsContainer() const { return false; }
  // "INTEGER", "DINTEGER", "SHORT", "REAL", "STRING", "TYPE" or, for an
  // array, the name of its element kind.
  virtual const char* GetTypeName() const = 0;
  virtual std::string GetValueText() const = 0;
  // Sets the value from a text; false (value unchanged) when the kind
  // refuses it.
  virtual bool SetValue(const std::string& text) = 0;

  const std::string& GetName() const { return name_; }
  void SetName(const char* pName);

  uint32_t GetFlags() const { return flags_; }
  bool TestFlag(uint32_t flag) const { return (flags_ & flag) != 0; }
  void SetFlag(uint32_t flag) { flags_ |= flag; }
  void ClearFlag(uint32_t flag) { flags_ &= ~flag; }

  int32_t GetHandle() const { return handle_; }
  uint16_t GetIndex() const { return index_; }
  void SetHandle(int32_t handle) { handle_ = handle; }
  void SetIndex(uint16_t index) { index_ = index; }

  VariableContainer* GetParent() const { return parent; }
  Variable* GetPrev() const { return prev; }
  Variable* GetNext() const { return next; }

  // The number of ancestors (0 at the top level).
  int CountChildren() const;
  // The n-th ancestor, 1 being the parent; null for n 0 or when the chain of
  // ancestors is shorter.
  Variable* GetChild(int n) const;
  // The top-level ancestor; null for a top-level variable.
  Variable* GetRoot() const;
  // The level at which parent_var is an ancestor of this one (1: the
  // parent), 0 when it is none. parent_var must not be null.
  int GetAncestorLevel(const Variable* parent_var) const;

  // Link of the chain of saved rows while the window is closed; null
  // otherwise.
  Variable* pNextItem = nullptr;

 protected:
  Variable(const char* pName, int32_t handle, uint16_t index);

 private:
  friend class VariableContainer;
  VariableContainer* parent = nullptr;
  Variable* prev = nullptr;
  Variable* next = nullptr;
  std::string name_;
  uint32_t flags_ = 0;
  int32_t handle_ = 0;
  uint16_t index_ = 0;
};

// INTEGER and DINTEGER: a signed 32-bit value.
class VariableInteger : public Variable {
 public:
  VariableInteger(const char* pName, uint8_t kind, int32_t handle = 0, uint16_t index = 0);
  const char* GetTypeName() const override;
  std::string GetValueText() const override;
  bool SetValue(const std::string& text) override;
  int32_t GetValue() const { return value_; }

 private:
  uint8_t kind_;
  int32_t value_ = 0;
};

// SHORT and REAL: a double.
class VariableReal : public Variable {
 public:
  VariableReal(const char* pName, uint8_t kind, int32_t handle = 0, uint16_t index = 0);
  const char* GetTypeName() const override;
  std::string GetValueText() const override;
  bool SetValue(const std::string& text) override;
  double GetValue() const { return value_; }

 private:
  uint8_t kind_;
  double value_ = 0;
};

// STRING: any text.
class VariableString : public Variable {
 public:
  VariableString(const char* pName, int32_t handle = 0, uint16_t index = 0);
  const char* GetTypeName() const override { return "STRING"; }
  std::string GetValueText() const override { return text_; }
  bool SetValue(const std::string& text) override;

 private:
  std::string text_;
};

// TYPE records and arrays: a title and the children in order.
class VariableContainer : public Variable {
 public:
  // kind: VARKIND_TYPE or VARKIND_ARRAY + the element kind.
  VariableContainer(const char* pName, uint8_t kind, int32_t handle = 0, uint16_t index = 0);
  ~VariableContainer() override;
  void RemoveChild(Variable* child_var) override;
  bool IsContainer() const override { return true; }
  const char* GetTypeName() const override { return type_name_; }
  std::string GetValueText() const override { return title_; }
  bool SetValue(const std::string& text) override;

  // Appends a child that has no parent and no siblings; the container owns it.
  void AppendChild(std::unique_ptr<Variable> child_var);
  Variable* GetFirstChild() const { return head; }
  Variable* GetLastChild() const { return tail; }
  bool HasChildren() const { return head != nullptr; }
  // Destroys every child.
  void DeleteChildren();

 private:
  const char* type_name_;
  std::string title_;
  Variable* head = nullptr;
  Variable* tail = nullptr;
};

// The type name of a kind code ("INTEGER" ... "TYPE"; an array gives its
// element kind's name), or null for a code that names no kind.
const char* Variable_KindName(uint8_t kind);

// Makes the variable of one element the target reported, with its value
// text set. Null when the kind code names no kind or the value text does
// not fit the kind (the element is then unusable).
std::unique_ptr<Variable> Variable_Create(uint8_t kind, const char* name, const std::string& value_text, int32_t handle,
                                          uint16_t index);

// Value texts of the scalar kinds. Both read and write in the C locale,
// whatever locale the process runs in.
// INTEGER: the whole text as a decimal number of signed 32 bits (leading
// blanks and a sign allowed, nothing after the digits); false on overflow,
// on no digits or on characters left over.
bool Variable_ParseInteger(const std::string& text, int32_t* value);
// REAL: 1 to 255 characters; the first comma stands for the decimal point;
// false on overflow, on no number or on characters left over.
bool Variable_ParseReal(const std::string& text, double* value);
// "%.12g" of a REAL's value.
std::string Variable_FormatReal(double value);

// How the target addresses a variable: the handle of its top-level
// ancestor (its own at the top level) and the element indices from that
// ancestor down to the variable itself (depth + 1 of them). The top level
// of the scope (no variable) is handle 0 and no indices.
struct VariablePath {
  int32_t handle = 0;
  std::vector<uint16_t> indices;
};
VariablePath Variable_GetPath(const Variable* var);
