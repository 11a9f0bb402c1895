#include "workbench/dialogs/views/win/dlgdragdata.h"

#include <cstring>
#include <random>

#include <QByteArray>
#include <QMimeData>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"

const char* const kDlgDragMime = "application/x-qx.yq.dlgobj.local";

namespace {

// The token of this process: a drop of data made by another one is refused.
uint32_t ProcessToken() {
  static const uint32_t token = [] {
    std::random_device rd;
    uint32_t t = rd();
    return t ? t : 1u;
  }();
  return token;
}

// The payload: token, object id, both little-endian u32.
constexpr int kPayloadSize = 8;

void PutU32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t GetU32(const char* p) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
  return v;
}

struct Pick {
  bool pending = false;
  uint32_t id = 0;
};

Pick& ThePick() {
  static Pick pick;
  return pick;
}

}  // namespace

QMimeData* DlgDragData_Encode(const DlgObject* obj) {
  auto* data = new QMimeData;
  char buf[kPayloadSize];
  PutU32(buf, ProcessToken());
  PutU32(buf + 4, obj ? obj->Id() : 0);
  data->setData(QString::fromLatin1(kDlgDragMime), QByteArray(buf, kPayloadSize));
  return data;
}

DlgObject* DlgDoc_FindObjectById(CDlgEditDoc* doc, uint32_t id) {
  if (!doc || !id) return nullptr;
  for (DlgAnchor* a = doc->Root().head; a; a = a->next)
    if (DlgObject* r = a->RootObject())
      if (DlgObject* found = r->FindById(id)) return found;
  return nullptr;
}

DlgObject* DlgDragData_Decode(const QMimeData* data, CDlgEditDoc* doc) {
  if (!data || !doc) return nullptr;
  const QByteArray bytes = data->data(QString::fromLatin1(kDlgDragMime));
  if (bytes.size() != kPayloadSize) return nullptr;
  if (GetU32(bytes.constData()) != ProcessToken()) return nullptr;
  return DlgDoc_FindObjectById(doc, GetU32(bytes.constData() + 4));
}

DlgDropDecision DlgDropSource_Query(bool escape, unsigned buttons, unsigned cancel_mask, unsigned drop_mask,
                                    bool started) {
  if (escape || (buttons & cancel_mask)) return DlgDropDecision::Cancel;
  const bool ends = drop_mask ? !(buttons & drop_mask) : (buttons & (DLG_BUTTON_LEFT | DLG_BUTTON_RIGHT)) != 0;
  if (!ends) return DlgDropDecision::Continue;
  return started ? DlgDropDecision::Drop : DlgDropDecision::Cancel;
}

void DlgPick_Set(const DlgObject* obj) {
  ThePick().pending = obj != nullptr;
  ThePick().id = obj ? obj->Id() : 0;
}

void DlgPick_Clear() { ThePick() = Pick{}; }

bool DlgPick_Pending() { return ThePick().pending; }

DlgObject* DlgPick_Take(CDlgEditDoc* doc) {
  if (!ThePick().pending) return nullptr;
  const uint32_t id = ThePick().id;
  DlgPick_Clear();
  return DlgDoc_FindObjectById(doc, id);
}
