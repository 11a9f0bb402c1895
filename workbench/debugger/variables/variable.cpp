#include "workbench/debugger/variables/variable.h"

#include <locale.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "workbench/base/sysassert.h"

namespace {

// The C locale for reading numbers, made once.
locale_t CLocale() {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c_locale;
}

}  // namespace

// ---- Variable ----

Variable::Variable(const char* pName, int32_t handle, uint16_t index) : handle_(handle), index_(index) {
  SetName(pName);
}

Variable::~Variable() {
  if (parent) parent->RemoveChild(this);
}

void Variable::RemoveChild(Variable* child_var) { (void)child_var; }

void Variable::SetName(const char* pName) {
  SYS_ASSERT(pName);
  name_ = pName;
}

int Variable::CountChildren() const {
  int depth = 0;
  for (const Variable* v = parent; v; v = v->parent) ++depth;
  return depth;
}

Variable* Variable::GetChild(int n) const {
  if (n <= 0) return nullptr;
  Variable* v = parent;
  while (v && --n > 0) v = v->parent;
  return v;
}

Variable* Variable::GetRoot() const {
  if (!parent) return nullptr;
  Variable* v = parent;
  while (v->parent) v = v->parent;
  return v;
}

int Variable::GetAncestorLevel(const Variable* parent_var) const {
  SYS_ASSERT(parent_var);
  int level = 1;
  for (const Variable* v = parent; v; v = v->parent, ++level)
    if (v == parent_var) return level;
  return 0;
}

// ---- scalars ----

VariableInteger::VariableInteger(const char* pName, uint8_t kind, int32_t handle, uint16_t index)
    : Variable(pName, handle, index), kind_(kind) {}

const char* VariableInteger::GetTypeName() const { return kind_ == VARKIND_DINTEGER ? "DINTEGER" : "INTEGER"; }

std::string VariableInteger::GetValueText() const { return std::to_string(value_); }

bool VariableInteger::SetValue(const std::string& text) { return Variable_ParseInteger(text, &value_); }

VariableReal::VariableReal(const char* pName, uint8_t kind, int32_t handle, uint16_t index)
    : Variable(pName, handle, index), kind_(kind) {}

const char* VariableReal::GetTypeName() const { return kind_ == VARKIND_SHORT ? "SHORT" : "REAL"; }

std::string VariableReal::GetValueText() const { return Variable_FormatReal(value_); }

bool VariableReal::SetValue(const std::string& text) { return Variable_ParseReal(text, &value_); }

VariableString::VariableString(const char* pName, int32_t handle, uint16_t index) : Variable(pName, handle, index) {}

bool VariableString::SetValue(const std::string& text) {
  text_ = text;
  return true;
}

// ---- containers ----

VariableContainer::VariableContainer(const char* pName, uint8_t kind, int32_t handle, uint16_t index)
    : Variable(pName, handle, index) {
  const char* kind_name = Variable_KindName(kind);
  type_name_ = kind_name ? kind_name : "TYPE";
}

VariableContainer::~VariableContainer() { DeleteChildren(); }

void VariableContainer::DeleteChildren() {
  while (head) delete head;  // each child unlinks itself
}

bool VariableContainer::SetValue(const std::string& text) {
  title_ = text;
  return true;
}

void VariableContainer::AppendChild(std::unique_ptr<Variable> child_var) {
  SYS_ASSERT(child_var);
  SYS_ASSERT(!child_var->parent);
  SYS_ASSERT(!child_var->prev);
  SYS_ASSERT(!child_var->next);
  Variable* child = child_var.release();
  child->parent = this;
  if (tail) {
    tail->next = child;
    child->prev = tail;
  } else {
    SYS_ASSERT(!head);
    head = child;
  }
  tail = child;
}

void VariableContainer::RemoveChild(Variable* child_var) {
  SYS_ASSERT(child_var);
  SYS_ASSERT(child_var->parent == this);
  if (child_var->prev) {
    child_var->prev->next = child_var->next;
  } else {
    SYS_ASSERT(head == child_var);
    head = child_var->next;
  }
  if (child_var->next) {
    child_var->next->prev = child_var->prev;
  } else {
    SYS_ASSERT(tail == child_var);
    tail = child_var->prev;
  }
  child_var->parent = nullptr;
  child_var->prev = nullptr;
  child_var->next = nullptr;
}

// ---- kinds, values, paths ----

const char* Variable_KindName(uint8_t kind) {
  if (kind >= VARKIND_ARRAY) kind = static_cast<uint8_t>(kind - VARKIND_ARRAY);
  switch (kind) {
    case VARKIND_INTEGER: return "INTEGER";
    case VARKIND_DINTEGER: return "DINTEGER";
    case VARKIND_SHORT: return "SHORT";
    case VARKIND_REAL: return "REAL";
    case VARKIND_STRING: return "STRING";
    case VARKIND_TYPE: return "TYPE";
    default: return nullptr;
  }
}

std::unique_ptr<Variable> Variable_Create(uint8_t kind, const char* name, const std::string& value_text, int32_t handle,
                                          uint16_t index) {
  if (!Variable_KindName(kind) || !name) return nullptr;
  std::unique_ptr<Variable> var;
  if (kind >= VARKIND_ARRAY || kind == VARKIND_TYPE) {
    var = std::make_unique<VariableContainer>(name, kind, handle, index);
  } else if (kind == VARKIND_INTEGER || kind == VARKIND_DINTEGER) {
    var = std::make_unique<VariableInteger>(name, kind, handle, index);
  } else if (kind == VARKIND_SHORT || kind == VARKIND_REAL) {
    var = std::make_unique<VariableReal>(name, kind, handle, index);
  } else {
    var = std::make_unique<VariableString>(name, handle, index);
  }
  if (!var->SetValue(value_text)) return nullptr;
  return var;
}

bool Variable_ParseInteger(const std::string& text, int32_t* value) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  long long number = strtoll_l(start, &end, 10, CLocale());
  if (end == start || *end != '\0' || end != start + text.size()) return false;
  if (errno == ERANGE || number < INT32_MIN || number > INT32_MAX) return false;
  *value = static_cast<int32_t>(number);
  return true;
}

bool Variable_ParseReal(const std::string& text, double* value) {
  if (text.empty() || text.size() > VARIABLE_REAL_TEXT_MAX) return false;
  std::string number_text = text;
  size_t comma = number_text.find(',');
  if (comma != std::string::npos) number_text[comma] = '.';
  const char* start = number_text.c_str();
  char* end = nullptr;
  errno = 0;
  double number = strtod_l(start, &end, CLocale());
  if (end == start || end != start + number_text.size()) return false;
  // Overflow, and the infinities and not-a-numbers that no program variable holds.
  if (!std::isfinite(number)) return false;
  *value = number;
  return true;
}

std::string Variable_FormatReal(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 12);
  return std::string(buffer, result.ptr);
}

VariablePath Variable_GetPath(const Variable* var) {
  VariablePath path;
  if (!var) return path;
  int depth = var->CountChildren();
  path.indices.resize(static_cast<size_t>(depth) + 1);
  const Variable* v = var;
  for (int i = depth; i >= 0; --i) {
    path.indices[static_cast<size_t>(i)] = v->GetIndex();
    if (i == 0) path.handle = v->GetHandle();
    v = v->GetParent();
  }
  return path;
}
