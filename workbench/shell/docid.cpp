#include "workbench/shell/docid.h"

#include "workbench/base/sysassert.h"

DocID::DocID(DocIdList* frame, AutoSaveDoc* document) : frame_link(frame), doc_link(document) {
  SYS_ASSERT(frame_link);
  SYS_ASSERT(doc_link);
  if (frame_link->doc_tail == nullptr) {
    SYS_ASSERT(!frame_link->doc_head);
    frame_link->doc_head = this;
  } else {
    frame_link->doc_tail->next = this;
    prev = frame_link->doc_tail;
  }
  frame_link->doc_tail = this;
}

DocID::~DocID() {
  if (prev != nullptr)
    prev->next = next;
  else {
    SYS_ASSERT(frame_link->doc_head == this);
    frame_link->doc_head = next;
  }
  if (next != nullptr)
    next->prev = prev;
  else {
    SYS_ASSERT(frame_link->doc_tail == this);
    frame_link->doc_tail = prev;
  }
}

void DocID::SetAutoSaveInterval(int minutes) {
  interval = minutes * 6;
  countdown = interval;
}

DocIdList::~DocIdList() {
  while (doc_head != nullptr) delete doc_head;
}

DocID* DocIdList::Find(AutoSaveDoc* document) const {
  for (DocID* d = doc_head; d != nullptr; d = d->next)
    if (d->doc_link == document) return d;
  return nullptr;
}

DocID* DocIdList::GetDocID(AutoSaveDoc* document) {
  if (DocID* d = Find(document)) return d;
  return new DocID(this, document);
}

void DocIdList::Remove(AutoSaveDoc* document) { delete Find(document); }

void DocIdList::Tick() {
  for (DocID* d = doc_head; d != nullptr; d = d->next) {
    if (d->doc_link == nullptr || d->interval == 0) continue;
    if (!d->doc_link->NeedsAutoSave()) {
      d->countdown = d->interval;
    } else if (d->countdown >= 1) {
      --d->countdown;
    } else {
      // A tick that arrives during the save (a nested wait) skips it.
      int32_t keep = d->interval;
      d->interval = 0;
      d->doc_link->OnAutoSave();
      d->interval = keep;
      d->countdown = keep;
    }
  }
}
