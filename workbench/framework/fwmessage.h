// Private window messages as Qt event types. The environment's messages keep
// their numbers (0x715 to 0x721) as event types, registered once. A message
// carries two numbers and, when it brings a memory block, an owned buffer:
// the event frees it with itself, whether or not the target still exists.
#pragma once

#include <cstdint>
#include <string>

#include <QEvent>

#include "workbench/framework/fwcommandids.h"

class QObject;

class FwMessage : public QEvent {
 public:
  FwMessage(int id, intptr_t wparam, intptr_t lparam);
  FwMessage(int id, intptr_t wparam, std::string block);

  int Id() const { return static_cast<int>(type()); }
  intptr_t wparam;
  intptr_t lparam;
  bool has_block = false;
  std::string block;  // owned memory block (text without its NUL)
};

// Registers the event types 0x715..0x721; a number already taken by
// someone else is a failed check. Safe to call again.
void Fw_RegisterMessages();
// Posts a message to an object of the GUI thread (from any thread).
void Fw_PostMessage(QObject* target, int id, intptr_t wparam = 0, intptr_t lparam = 0);
void Fw_PostBlock(QObject* target, int id, std::string block);
// Delivers a message at once (the classic send).
bool Fw_SendMessage(QObject* target, int id, intptr_t wparam = 0, intptr_t lparam = 0);
