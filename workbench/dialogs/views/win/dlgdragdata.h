// What a drag of a dialog object carries between the palette and the
// canvas: the object's id and a token of this process, under the format
// "QX.YQ.DLGOBJ.LOCAL". A drop finds the template by id in its own document
// or refuses; no address is ever taken from the data. A click on a palette
// entry leaves a pending pick of the same kind that the next press on a
// canvas drops.
#pragma once

#include <cstdint>

class CDlgEditDoc;
class DlgObject;
class QMimeData;

// Template flags of the objects the palette lists.
enum : uint32_t {
  DLG_TMPL_CAN_BE_ROOT = 1u << 16,    // may be a dialog of its own
  DLG_TMPL_ALWAYS_ROOT = 1u << 17,    // makes only dialogs
  DLG_TMPL_TEMPLATE = 1u << 19,       // a template object
  DLG_TMPL_CLASS_DEFAULT = 1u << 21,  // a class default object ("~" name)
  DLG_TMPL_EXPANDED = 1u << 24,       // its palette entry is expanded
};

// The MIME type of the format.
extern const char* const kDlgDragMime;

// Mime data for a drag of the object.
QMimeData* DlgDragData_Encode(const DlgObject* obj);
// The template the data names in the document, or null (another process,
// another document, malformed data).
DlgObject* DlgDragData_Decode(const QMimeData* data, CDlgEditDoc* doc);
// The object of an id in a document, or null.
DlgObject* DlgDoc_FindObjectById(CDlgEditDoc* doc, uint32_t id);

// What a drag source decides at each turn of a drag: go on, drop or
// cancel. `buttons` are the mouse buttons down now; `drop_mask` the buttons
// whose release drops (0 when the drag began with no button held: then the
// next press of the left or right button ends it); a drag that has not
// started yet is cancelled where it would drop.
enum class DlgDropDecision { Continue, Drop, Cancel };
enum : unsigned { DLG_BUTTON_LEFT = 0x1, DLG_BUTTON_RIGHT = 0x2, DLG_BUTTON_MIDDLE = 0x10 };
DlgDropDecision DlgDropSource_Query(bool escape, unsigned buttons, unsigned cancel_mask, unsigned drop_mask,
                                    bool started);

// The pending pick: set by a click on a palette entry, taken (and cleared)
// by the next press on a canvas of the same document. Escape or a press
// elsewhere clears it.
void DlgPick_Set(const DlgObject* obj);
void DlgPick_Clear();
bool DlgPick_Pending();
DlgObject* DlgPick_Take(CDlgEditDoc* doc);
