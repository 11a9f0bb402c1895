// Interactive editing of the dialog document: property setting with the
// plug-in's checks and undo, the geometry properties kept in step with an
// object's rectangle, the visibility toggle, and the designer views of the
// document.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/dlgnotify.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_const.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_prop.h"
#include "workbench/base/diag.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

namespace {

bool g_setting = false;  // SetPropValue at work

const char* const kGeometryNames[6] = {"xleft", "ytop", "xright", "ybottom", "width", "height"};

// What a stored default text means as an integer.
int32_t PlainDecimal(const char* text) {
  long v = std::strtol(text ? text : "", nullptr, 10);
  return static_cast<int32_t>(std::clamp<long>(v, INT32_MIN, INT32_MAX));
}

bool IsEmpty(const prop_val* v) {
  return !v || v->type == VAL_NONE || (v->type == VAL_TEXT && (!v->data.text || !*v->data.text));
}

bool SameValue(const prop_val& a, const prop_val& b) {
  if (IsEmpty(&a) && IsEmpty(&b)) return true;
  if (a.type != b.type) return false;
  if (a.type == VAL_INT) return a.data.num == b.data.num;
  if (a.type == VAL_TEXT) return std::strcmp(a.data.text ? a.data.text : "", b.data.text ? b.data.text : "") == 0;
  return true;
}

// The value as the text a default is compared with.
std::string ValueAsText(const prop_val& v) {
  if (v.type == VAL_TEXT) return v.data.text ? v.data.text : "";
  if (v.type == VAL_INT) return std::to_string(v.data.num);
  return "";
}

bool IsAttachment(const prop_def* def) {
  return def->kind == PROP_KIND_NATIVE && (def->native == 12 || def->native == 13);
}

// Holds the class-wide "setting" flag for one call.
class SettingScope {
 public:
  SettingScope() : was_(g_setting) { g_setting = true; }
  ~SettingScope() { g_setting = was_; }
  SettingScope(const SettingScope&) = delete;
  SettingScope& operator=(const SettingScope&) = delete;

 private:
  bool was_;
};

}  // namespace

bool CDlgEditDoc::SettingProperty() { return g_setting; }

const char* CDlgEditDoc::ValueText(DlgObject* obj, const prop_def* def) {
  const PluginCallbacks& cb = m_Plugin->Desc()->Plugin;
  if (!cb.ValueText || !obj || !def) return nullptr;
  return cb.ValueText(DlgObject_Handle(obj), const_cast<prop_def*>(def));
}

void CDlgEditDoc::StatusText(const char* text) { DlgDoc_Notify().StatusText(text); }
void CDlgEditDoc::StatusError(const char* text) { DlgDoc_Notify().StatusError(text); }
void CDlgEditDoc::Beep() { Shell_Sink().beep(SHELL_MB_ICONEXCLAMATION); }
void CDlgEditDoc::ShowProperty(DlgObject* obj, const prop_def* def) { DlgDoc_Notify().ShowProperties(this, obj, def); }
void CDlgEditDoc::PropertiesDrop(DlgObject* obj) {
  DlgDoc_Notify().ObjectRemoved(this, obj);
  DlgDoc_Notify().ShowProperties(this, nullptr, nullptr);
}
void CDlgEditDoc::ObjectGoing(DlgObject* obj) {
  DlgDoc_Notify().ObjectRemoved(this, obj);
  DlgDoc_Notify().ObjectDestroyed(this, obj);
}
void CDlgEditDoc::XrefAdd(DlgObject* obj) { DlgDoc_Notify().XrefAdd(this, obj); }
void CDlgEditDoc::XrefSelect(DlgObject* obj) { DlgDoc_Notify().XrefSelect(this, obj); }
void CDlgEditDoc::XrefRemove(DlgObject* obj) { DlgDoc_Notify().XrefRemove(this, obj); }
void CDlgEditDoc::PropertiesChanged(DlgObject* obj) { DlgDoc_Notify().PropertiesChanged(this, obj, 0); }
void CDlgEditDoc::PropertyChanged(int native) { DlgDoc_Notify().PropertiesChanged(this, nullptr, native); }

int CDlgEditDoc::SetPropValue(DlgObject* obj, const prop_def* def, const prop_val* val, int32_t serial) {
  SYS_ASSERT(obj);
  if (!def) SYS_ASSERT(!"prop_def");
  SettingScope setting;
  DlgRootAnchor& root = *m_pRoot;
  const PluginCallbacks& cb = m_Plugin->Desc()->Plugin;
  const bool can_undo = root.ClearRedo() == 1;

  // The old value for the undo record.
  prop_val* old_val = nullptr;
  int32_t old_serial = -1;
  if (can_undo) {
    m_State |= STATE_FROZEN;
    DlgPropValue* node = nullptr;
    for (DlgObject* o = obj; o && !node; o = o->TemplateObject()) node = o->Props().FindByName(def->name, def->index);
    if (node) {
      old_val = PropVal_NewCopy(&node->Val());
      old_serial = node->Serial();
    } else {
      const char* text = ValueText(obj, def);
      if (!text) text = def->defval;
      if (text) {
        prop_val v = def->type == PROP_TYPE_INT ? PropVal_Int(PlainDecimal(text)) : PropVal_Text(text);
        old_val = PropVal_NewCopy(&v);
        if (def->group > 0) {
          if (DlgConstEntry* e = root.Consts().FindConstByText(static_cast<uint32_t>(def->group), text))
            old_serial = static_cast<int32_t>(e->Serial());
        }
      }
    }
  }
  auto finish = [&](int result) {
    if (old_val) PropVal_Delete(old_val);
    if (can_undo) m_State &= ~STATE_FROZEN;
    return result;
  };
  auto record = [&](const prop_val* new_val, int32_t new_serial) {
    if (!can_undo || root.BeginUndo() != 1) return;
    new DlgUndoItem_PROP(&root.UndoList(), obj, def, old_val, old_serial, new_val, new_serial);
    m_State &= ~STATE_FROZEN;
    SetModifiedFlag(true);
    root.EndUndo();
  };

  // Clearing an attachment clears its bits and the value.
  if (IsEmpty(val) && IsAttachment(def)) {
    obj->SetFlags(obj->Flags() & ~(def->native == 12 ? DLG_F_HATTACH_MASK : DLG_F_VATTACH_MASK));
    obj->StoreGeometryProps();
    record(nullptr, -1);
    delete obj->Props().FindByName(def->name, def->index);
    if (can_undo) {
      m_State &= ~STATE_FROZEN;
      SetModifiedFlag(true);
    }
    return finish(1);
  }

  // The value to set, with a text of its own that the checks may change.
  std::string text;
  prop_val work{};
  if (IsEmpty(val)) {
    work = def->type == PROP_TYPE_INT ? PropVal_Int(0) : PropVal_Text("");
  } else {
    work = *val;
  }
  if (work.type == VAL_TEXT) {
    text = work.data.text ? work.data.text : "";
    work.data.text = text.data();
    const int length = static_cast<int>(text.size());
    if (def->type == PROP_TYPE_PATH && cb.CheckPath && cb.CheckPath(text.data(), length) != 0) {
      Diag_ErrorBox("Dialog Plug-In", "\"%s\" is not a valid path.", text.c_str());
      return finish(0);
    }
    if (def->type == PROP_TYPE_IDENT && cb.CheckIdentifier && cb.CheckIdentifier(text.data(), length) != 0) {
      Diag_ErrorBox("Dialog Plug-In", "\"%s\" is not a valid identifier.", text.c_str());
      return finish(0);
    }
    text.resize(std::strlen(text.c_str()));
    work.data.text = text.data();
    if (def->kind == PROP_KIND_NATIVE && def->native == PROP_NATIVE_NAME && !obj->CheckName(text.c_str())) {
      Diag_ErrorBox("Dialog Plug-In", "\"%s\" is not unique.", text.c_str());
      return finish(0);
    }
  }

  // The plug-in stores it through a fresh reader context.
  ActivateAnchorView(obj->Anchor(), 0);
  pload ctx;
  InitReader(&ctx);
  CDlgEditDoc* previous = m_currDoc;
  m_currDoc = this;
  const std::string path = obj->GetPath();
  prop_def d = *def;
  const int rc = cb.SetAttrValue ? cb.SetAttrValue(&ctx, DlgObject_Handle(obj), path.c_str(), &d, &work, serial) : -1;
  m_currDoc = previous;
  if (rc != 0) return finish(0);
  // The typed store keeps a node unchanged for an empty text; clearing a
  // text property stores the empty text.
  if (work.type == VAL_TEXT && text.empty()) {
    if (DlgPropValue* own = obj->Props().FindByName(def->name, def->index)) own->SetValue(&work, serial);
  }

  // A value equal to the inherited one is dropped; a cleared text stays as
  // the empty text.
  const bool cleared_text = work.type == VAL_TEXT && text.empty();
  if (!IsAttachment(def) && !cleared_text) {
    if (DlgPropValue* own = obj->Props().FindByName(def->name, def->index)) {
      DlgPropValue* inherited = nullptr;
      for (DlgObject* t = obj->TemplateObject(); t && !inherited; t = t->TemplateObject())
        inherited = t->Props().FindByName(def->name, def->index);
      if (inherited) {
        if (SameValue(own->Val(), inherited->Val())) delete own;
      } else {
        bool compared = false;
        if (!obj->HasFlag(1u << 21)) {
          if (const char* vt = ValueText(obj, def)) {
            compared = true;
            if (ValueAsText(own->Val()) == vt) delete own;
          }
        }
        if (!compared) {
          const char* dv = def->defval ? def->defval : "";
          bool same =
              own->Val().type == VAL_INT ? own->Val().data.num == PlainDecimal(dv) : ValueAsText(own->Val()) == dv;
          if (same) delete own;
        }
      }
    }
  }

  record(&work, serial);
  if (def->kind == PROP_KIND_NATIVE && def->native == 15) SyncGeometryProps(obj);
  if (can_undo) {
    m_State &= ~STATE_FROZEN;
    SetModifiedFlag(true);
  }
  return finish(1);
}

void CDlgEditDoc::SyncGeometryProps(DlgObject* obj) {
  SYS_ASSERT(obj);
  if (m_bIsLoading || m_bMoving) return;
  int32_t x = 0, y = 0, w = 0, h = 0;
  obj->GetGeometry(&x, &y, &w, &h);
  int32_t xright = 0, ybottom = 0;
  if (DlgObject* parent = obj->Parent()) {
    xright = obj->ToUnitX(parent->Rect().Width() - obj->Rect().right);
    ybottom = obj->ToUnitY(parent->Rect().Height() - obj->Rect().bottom);
  }
  const int32_t values[6] = {x, y, xright, ybottom, w, h};
  const PluginCallbacks& cb = m_Plugin->Desc()->Plugin;
  for (int i = 0; i < 6; ++i) {
    const int32_t native = PROP_NATIVE_XLEFT + i;
    auto drop = [&]() {
      delete obj->Props().FindNative(native, false);
      DlgDoc_Notify().ShowProperties(this, obj, nullptr);
    };
    if (!obj->HasFlag(DLG_F_USE_XLEFT << i)) {
      drop();
      continue;
    }
    prop_def def{};
    if (!FindNativeDef(obj, native, &def)) {
      Diag_GeneralFailure("Unable to locate property definition for \"%s\".", kGeometryNames[i]);
      return;
    }
    if (DlgPropValue* tmp_prop =
            obj->TemplateObject() ? obj->TemplateObject()->Props().FindNative(native, true) : nullptr) {
      SYS_ASSERT(tmp_prop->Val().type == VAL_INT);
      if (tmp_prop->Val().data.num == values[i]) {
        drop();
        continue;
      }
    } else {
      const char* vt = nullptr;
      if (!obj->HasFlag(1u << 21) && cb.ValueText) {
        vt = cb.ValueText(DlgObject_Handle(obj), &def);
        if (vt && PlainDecimal(vt) == values[i]) {
          drop();
          continue;
        }
      }
      // A left or top edge that the object does not hold and that has no
      // default reads back as 0: at 0 there is nothing to write. Without
      // this a dialog shown and saved unchanged would gain ".x = 0" and
      // ".y = 0", which its source never had.
      if ((native == PROP_NATIVE_XLEFT || native == PROP_NATIVE_YTOP) && values[i] == 0 && vt == nullptr &&
          obj->Props().FindNative(native, false) == nullptr)
        continue;
      if (native == PROP_NATIVE_WIDTH && values[i] == std::max(1, obj->SizeToUnitX(obj->DefaultWidth()))) {
        drop();
        continue;
      }
      if (native == PROP_NATIVE_HEIGHT && values[i] == 1) {
        drop();
        continue;
      }
    }
    // A value the object holds already stays as it is written: the named
    // constant of a source file keeps its name when the rectangle did not
    // change that side.
    if (const DlgPropValue* own = obj->Props().FindNative(native, false);
        own && own->Val().type == VAL_INT && own->Val().data.num == values[i])
      continue;
    if (def.type != PROP_TYPE_INT) {
      Diag_GeneralFailure("Invalid datatype for property definition of \"%s\".", kGeometryNames[i]);
      return;
    }
    def.index = -1;
    prop_val v = PropVal_Int(values[i]);
    if (!StoreValue(obj, &def, &v, -1, nullptr)) {
      Diag_GeneralFailure("Unable to set value [%d] for property \"%s\".", values[i], kGeometryNames[i]);
      return;
    }
    DlgDoc_Notify().ShowProperties(this, obj, nullptr);
  }
  SetModifiedFlag(true);
}

void CDlgEditDoc::ToggleVisible(DlgObject* obj) {
  SYS_ASSERT(obj);
  prop_def def{};
  if (!FindNativeDef(obj, 17, &def)) {
    Diag_ErrorBox("Warning", "Unable to locate property definition for \"%s\".", "visible");
    return;
  }
  if (def.type != PROP_TYPE_INT) {
    Diag_ErrorBox("Warning", "Invalid datatype for property definition of \"%s\".", "visible");
    return;
  }
  def.index = -1;
  const int32_t value = obj->HasFlag(DLG_F_SHOWN) ? 0 : 1;
  int32_t handle = -1;
  if (def.group > 0) {
    const std::string text = std::to_string(value);
    if (DlgConstEntry* e = m_pRoot->Consts().FindConstByText(static_cast<uint32_t>(def.group), text.c_str()))
      handle = static_cast<int32_t>(e->Serial());
  }
  prop_val v = PropVal_Int(value);
  if (SetPropValue(obj, &def, &v, handle)) {
    obj->Invalidate();
    SetModifiedFlag(true);
  } else {
    Diag_ErrorBox("Warning", "Unable to set value [%d] for property \"%s\".", value, "visible");
  }
}

void CDlgEditDoc::AddView(DlgView* view) {
  SYS_ASSERT(view);
  if (std::find(m_Views.begin(), m_Views.end(), view) == m_Views.end()) m_Views.push_back(view);
}

void CDlgEditDoc::RemoveView(DlgView* view) {
  m_Views.erase(std::remove(m_Views.begin(), m_Views.end(), view), m_Views.end());
}

DlgView* CDlgEditDoc::ActivateAnchorView(DlgAnchor* pAnchor, int create) {
  SYS_ASSERT(pAnchor);
  DlgView* found = nullptr;
  for (DlgView* v : m_Views) {
    if (v->Anchor() == pAnchor) found = v;
  }
  if (found || !create) return found;
  return DlgDoc_Notify().OpenAnchorView(this, pAnchor);
}

void CDlgEditDoc::CloseAnchorViews(DlgAnchor* anchor) {
  std::vector<DlgView*> views = m_Views;
  for (DlgView* v : views) {
    if (v->Anchor() == anchor) v->Close();
  }
}
