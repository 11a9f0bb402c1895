#include "workbench/framework/fwmessage.h"

#include <QCoreApplication>

#include "workbench/base/sysassert.h"

FwMessage::FwMessage(int id, intptr_t wp, intptr_t lp)
    : QEvent(static_cast<QEvent::Type>(id)), wparam(wp), lparam(lp) {}

FwMessage::FwMessage(int id, intptr_t wp, std::string data)
    : QEvent(static_cast<QEvent::Type>(id)), wparam(wp), lparam(0), has_block(true), block(std::move(data)) {}

void Fw_RegisterMessages() {
  static bool done = false;
  if (done) return;
  done = true;
  for (int id = FW_MSG_FIRST; id <= FW_MSG_LAST; ++id) {
    int got = QEvent::registerEventType(id);
    SYS_ASSERT(got == id);
  }
}

void Fw_PostMessage(QObject* target, int id, intptr_t wparam, intptr_t lparam) {
  if (target != nullptr) QCoreApplication::postEvent(target, new FwMessage(id, wparam, lparam));
}

void Fw_PostBlock(QObject* target, int id, std::string block) {
  if (target != nullptr) QCoreApplication::postEvent(target, new FwMessage(id, 0, std::move(block)));
}

bool Fw_SendMessage(QObject* target, int id, intptr_t wparam, intptr_t lparam) {
  if (target == nullptr) return false;
  FwMessage m(id, wparam, lparam);
  return QCoreApplication::sendEvent(target, &m);
}
