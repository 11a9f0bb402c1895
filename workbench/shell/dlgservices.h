// What the shell uses of the dialog designer and its plug-in manager, as
// stand-ins until the designer is built: no plug-ins are loaded, saving all
// dialog documents succeeds, and nothing is shown.
#pragma once

#include <string>

struct PluginFileType {
  const char* description;
  const char* extension;
  int extension_length;
  const char* default_extension;
  int writable;
};

struct PluginDescriptor {
  const char* texts[6];  // shown in the plug-in information dialog
  const char* filter;    // the explorer's file-type entry
  const char* open_as;   // the explorer's open-as entry
};

struct PluginRecord {
  PluginRecord* next;
  void* module;
  const char* type_name;  // the File/New menu text
  void (*new_document)(int, int);
  PluginDescriptor* descriptor;
  int filetype_idx;  // the file-type cursor, -1 until reset
};

class DlgObject;
class CDlgEditDoc;
class CDlgEditView;

namespace PluginID {
void Initialize();
PluginRecord* GetHead();
PluginFileType* FirstFileType(PluginRecord* plugin);
PluginFileType* NextFileType(PluginRecord* plugin);
bool OpenFile(const char* path, PluginFileType* type);
}  // namespace PluginID

class CPluginInfoDlg {
 public:
  explicit CPluginInfoDlg(void* parent);
  std::string fields[7];
  int DoModal() { return 0; }
};

class CPluginList {
 public:
  static bool Init(void* list);
  static std::string OnGetDispInfo(PluginRecord* plugin, int column);
};

class CDlgEditDoc {
 public:
  static bool SaveAll();
  static CDlgEditView* ActivateAnchorView(CDlgEditDoc* doc, void* anchor, bool create, bool other_anchor);
  static void ToggleVisible(DlgObject* object);
};

class CDlgEditView {
 public:
  static void SelectObject(CDlgEditView* view, DlgObject* object);
  static void ToggleHidden(CDlgEditView* view, DlgObject* object);
  static void DeleteObject(CDlgEditView* view, DlgObject* object);
  static void ReorderObject(CDlgEditView* view, DlgObject* object, DlgObject* sibling, bool after);
  static void SetCoord(CDlgEditView* view, int value, int index);
};

class DlgObject {
 public:
  static std::string GetDisplayName(const DlgObject* object);
};

class CDlgPropDoc {
 public:
  static void ShowProperties(int flag);
  static int IsOpen();
  static void SetObject(DlgObject* object);
};

class CDlgPaletDoc {
 public:
  static void ShowPalette(int flag);
  static void SetDialog(DlgObject* root, void* anchor);
};
