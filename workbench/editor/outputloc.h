// Locations bound to text lines by ident: a line of the output pane or the
// call stack carries the place it is about. Because they name the line by its
// ident, locations stay with their line while the text around it is edited.
#pragma once

#include <cstdint>
#include <string>

class OutputLocList;

class OutputLoc {
 public:
  OutputLoc* prev = nullptr;
  OutputLoc* next = nullptr;
  OutputLocList* loc_link = nullptr;
  uint32_t handle = 0;  // ident of the text line the location belongs to
  uint32_t value = 0;   // e.g. ident of the source line a message is about
  uint16_t segment = 0;
  uint16_t line = 0;
  char* file = nullptr;  // owned; null: the list's default file applies

  OutputLoc() = default;
  OutputLoc(const OutputLoc&) = delete;
  OutputLoc& operator=(const OutputLoc&) = delete;
  ~OutputLoc();  // unlinks itself
  const char* File() const;
};
