#include "workbench/dialogs/document/dlgnotify.h"

namespace {

DlgDocNotify silent;
DlgDocNotify* current = &silent;

}  // namespace

DlgDocNotify& DlgDoc_Notify() { return *current; }

DlgDocNotify* DlgDoc_SetNotify(DlgDocNotify* notify) {
  DlgDocNotify* previous = current == &silent ? nullptr : current;
  current = notify != nullptr ? notify : &silent;
  return previous;
}
