#include "workbench/editor/outputloclist.h"

#include <cstdlib>
#include <cstring>

#include "workbench/base/chain.h"
#include "workbench/base/sysassert.h"

namespace {

char* CopyString(const char* s) {
  if (!s) return nullptr;
  size_t n = std::strlen(s) + 1;
  char* p = static_cast<char*>(std::malloc(n));
  SYS_ASSERT(p);
  std::memcpy(p, s, n);
  return p;
}

}  // namespace

OutputLoc::~OutputLoc() {
  std::free(file);
  if (loc_link) chain_unlink(loc_link->head, loc_link->tail, this);
}

const char* OutputLoc::File() const {
  if (file) return file;
  return loc_link ? loc_link->default_file : nullptr;
}

OutputLoc* OutputLocList::Add(uint32_t handle, uint32_t value, uint16_t segment, uint16_t line, const char* file) {
  SYS_ASSERT(handle);
  auto* loc = new OutputLoc;
  loc->handle = handle;
  loc->value = value;
  loc->segment = segment;
  loc->line = line;
  loc->file = CopyString(file);
  loc->loc_link = this;
  chain_insert_after(head, tail, tail, loc);
  return loc;
}

OutputLoc* OutputLocList::Find(uint32_t handle) const {
  for (OutputLoc* loc = head; loc; loc = loc->next)
    if (loc->handle == handle) return loc;
  return nullptr;
}

void OutputLocList::SetDefaultFile(const char* name) {
  char* copy = CopyString(name);
  std::free(default_file);
  default_file = copy;
}

void OutputLocList::Clear() {
  while (head) delete head;
  SYS_ASSERT(!head);
  SYS_ASSERT(!tail);
  std::free(default_file);
  default_file = nullptr;
}
