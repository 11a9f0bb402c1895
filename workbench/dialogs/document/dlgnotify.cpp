#include "workbench/dialogs/document/dlgnotify.h"

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/pluginid.h"

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

CDlgEditDoc* DlgDocNotify::OpenDocument(const char* path) {
  return path ? CDlgEditDoc::OpenFile(path) : CDlgEditDoc::NewFile(PluginID::Pending());
}
