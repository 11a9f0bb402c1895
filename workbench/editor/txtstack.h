// One undo or redo stack of a text object: a chain of records grouped into
// actions.
#pragma once

#include <cstdint>
#include <memory>

class TextUndoRecord;

// The undo and redo stacks.
constexpr uint32_t TextStack_IN_ACTION = 1;
constexpr uint32_t TextStack_END_MODIFIED = 2;

class TextStack {
 public:
  TextUndoRecord* head = nullptr;
  TextUndoRecord* tail = nullptr;
  uint32_t flags = TextStack_END_MODIFIED;
  uint32_t action_line = 0;
  uint32_t action_col = 0;
  uint32_t action_count = 0;

  TextStack() = default;
  ~TextStack() { Clear(); }
  TextStack(const TextStack&) = delete;
  TextStack& operator=(const TextStack&) = delete;

  bool TestFlag(uint32_t f) const { return (flags & f) != 0; }
  void Clear();
  void BeginAction(uint32_t line, uint32_t col);
  bool EndAction();
  void Append(TextUndoRecord* item);
  void MoveHere(TextUndoRecord* item);
  // Takes the newest record off the stack (null when empty): the caller owns it.
  std::unique_ptr<TextUndoRecord> TakeTail();
  uint32_t Count() const;
};
