// The main frame's list of open text-bearing documents (DocID records) and
// the auto-save countdown that its 10-second timer drives.
#pragma once

#include <cstdint>

// What the list needs of a document: whether it has changes to auto-save,
// and the auto-save itself.
class AutoSaveDoc {
 public:
  virtual ~AutoSaveDoc() = default;
  virtual bool NeedsAutoSave() = 0;
  virtual void OnAutoSave() = 0;
};

class DocIdList;

struct DocID {
  DocID(DocIdList* frame, AutoSaveDoc* document);
  ~DocID();
  DocID(const DocID&) = delete;
  DocID& operator=(const DocID&) = delete;

  // Interval and countdown become minutes x 6 ticks.
  void SetAutoSaveInterval(int minutes);

  DocID* prev = nullptr;
  DocID* next = nullptr;
  DocIdList* frame_link;
  AutoSaveDoc* doc_link;
  int32_t interval = 0;
  int32_t countdown = 0;
};

class DocIdList {
 public:
  DocIdList() = default;
  ~DocIdList();
  DocIdList(const DocIdList&) = delete;
  DocIdList& operator=(const DocIdList&) = delete;

  // The document's record, made when it has none.
  DocID* GetDocID(AutoSaveDoc* document);
  DocID* Find(AutoSaveDoc* document) const;
  // Forgets a document (its record goes).
  void Remove(AutoSaveDoc* document);
  // One timer tick: count down, auto-save the documents whose time came.
  void Tick();

  DocID* doc_head = nullptr;
  DocID* doc_tail = nullptr;
};
