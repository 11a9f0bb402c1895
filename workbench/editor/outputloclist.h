// The locations of one text (an output pane's messages, a call stack's
// frames), in the order they were added, with the file they default to.
#pragma once

#include <cstdint>

#include "workbench/editor/outputloc.h"

class OutputLocList {
 public:
  OutputLoc* head = nullptr;
  OutputLoc* tail = nullptr;
  char* default_file = nullptr;  // owned

  OutputLocList() = default;
  OutputLocList(const OutputLocList&) = delete;
  OutputLocList& operator=(const OutputLocList&) = delete;
  ~OutputLocList() { Clear(); }

  // Appends a location for the line with ident handle (never 0).
  OutputLoc* Add(uint32_t handle, uint32_t value, uint16_t segment = 0, uint16_t line = 0, const char* file = nullptr);
  // The first location of the line with ident handle, or null.
  OutputLoc* Find(uint32_t handle) const;
  void SetDefaultFile(const char* name);
  // Deletes every location and the default file name.
  void Clear();
};
