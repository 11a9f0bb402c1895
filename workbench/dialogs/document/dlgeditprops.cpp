// The typed property store of the dialog document: the effective value of a
// property as text, the low-level typed store of loads and geometry, and
// the look-up of a class's definition by native number.
#include <cstdio>
#include <cstring>
#include <string>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/dlgreader.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/dialogs/model/dlg_const.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_prop.h"
#include "workbench/base/diag.h"
#include "workbench/base/sysassert.h"

namespace {

std::string g_text;  // the result of GetPropText

CDlgEditDoc* DocOf(const DlgObject* obj) {
  DlgRootAnchor* root = obj->RootAnchor();
  CDlgEditDoc* pDoc = root ? dynamic_cast<CDlgEditDoc*>(root->Document()) : nullptr;
  SYS_ASSERT(pDoc);
  return pDoc;
}

// The text of a stored value: the constant it was given as, else the value.
std::string NodeText(const DlgPropValue* v, const DlgRootAnchor* root) {
  if (v->Serial() >= 0 && root) {
    if (DlgConstEntry* e =
            const_cast<DlgRootAnchor*>(root)->Consts().FindConstBySerial(static_cast<uint32_t>(v->Serial())))
      return e->Name();
  }
  const prop_val& val = v->Val();
  if (val.type == VAL_TEXT) return val.data.text ? val.data.text : "";
  if (val.type == VAL_INT) return std::to_string(val.data.num);
  return "";
}

}  // namespace

const char* CDlgEditDoc::GetPropText(DlgObject* obj, const prop_def* def, int* mark) {
  SYS_ASSERT(obj);
  if (!def) SYS_ASSERT(!"prop_def");
  g_text.clear();
  if (def->kind == PROP_KIND_NATIVE && def->native == PROP_NATIVE_NAME) {
    g_text = obj->Name();
    return g_text.c_str();
  }
  DlgRootAnchor* root = obj->RootAnchor();
  const int entry_mark = mark ? *mark : 0;
  if (DlgPropValue* own = obj->Props().FindByName(def->name, def->index)) {
    g_text = NodeText(own, root);
    if (mark) *mark = 0;
    return g_text.c_str();
  }
  if (!mark) return g_text.c_str();
  if (def->kind == PROP_KIND_NATIVE && def->native >= PROP_NATIVE_XLEFT && def->native <= PROP_NATIVE_HEIGHT) {
    uint32_t bit = DLG_F_USE_XLEFT << (def->native - PROP_NATIVE_XLEFT);
    if (!obj->HasFlag(bit)) {
      *mark = 0;
      return g_text.c_str();
    }
  }
  std::string source;
  bool found = false;
  DlgObject* last = obj;
  for (DlgObject* t = obj->TemplateObject(); t; t = t->TemplateObject()) {
    last = t;
    if (DlgPropValue* v = t->Props().FindByName(def->name, def->index)) {
      g_text = NodeText(v, root);
      source = (v->State() & DLG_PROP_COPIED) ? std::string("default") : t->GetPath();
      found = true;
      break;
    }
  }
  if (!found) {
    CDlgEditDoc* doc = DocOf(obj);
    const PluginCallbacks& cb = doc->m_Plugin->Desc()->Plugin;
    const char* text = cb.ValueText ? cb.ValueText(DlgObject_Handle(last), const_cast<prop_def*>(def)) : nullptr;
    if (!text) text = def->defval;
    if (!text) {
      *mark = 0;
      return g_text.c_str();
    }
    g_text = text;
    if (def->group > 0 && root) {
      if (DlgConstEntry* e = root->Consts().FindConstByText(static_cast<uint32_t>(def->group), text))
        g_text = e->Name();
    }
    source = "default";
  }
  *mark = 1;
  if (entry_mark == 0) g_text += " (" + source + ")";
  return g_text.c_str();
}

DlgPropValue* CDlgEditDoc::StoreValue(DlgObject* obj, const prop_def* def, const prop_val* val, int32_t serial,
                                      pload* ctx) {
  SYS_ASSERT(obj);
  if (!def) SYS_ASSERT(!"prop_def");
  SYS_ASSERT(val);
  prop_def resolved = *def;
  const PluginCallbacks& cb = m_Plugin->Desc()->Plugin;
  bool symbolic = (def->flags & PROP_F_STAR_GROUP) && serial < 0;
  if (def->flags & PROP_F_ALIAS) {
    bool found = false;
    const char* cls = obj->ClassName();
    if (cb.FirstAttrDef && cb.NextAttrDef) {
      prop_def d{};
      for (void* cur = cb.FirstAttrDef(cls, &d); cur; cur = cb.NextAttrDef(cls, cur, &d)) {
        if (d.name && def->name && std::strcmp(d.name, def->name) == 0) {
          resolved = d;
          resolved.index = def->index;
          found = true;
          break;
        }
      }
    }
    if (!found) {
      Diag_GeneralFailure("Unable to resolve alias-property \"%s\".", def->name ? def->name : "");
      return nullptr;
    }
    if (serial >= 0) symbolic = true;
  }
  if (symbolic) {
    serial = -1;
    if (val->type == VAL_TEXT || val->type == VAL_INT) {
      std::string text = val->type == VAL_TEXT ? (val->data.text ? val->data.text : "") : std::to_string(val->data.num);
      if (!text.empty() || val->type == VAL_INT) {
        if (DlgConstEntry* e = m_pRoot->Consts().FindConstByText(static_cast<uint32_t>(resolved.group), text.c_str()))
          serial = static_cast<int32_t>(e->Serial());
      }
    }
  }
  DlgPropValue* node = obj->Props().FindByName(resolved.name, resolved.index);
  bool made = false;
  if (!node) {
    node = new DlgPropValue(&obj->Props(), &resolved);
    made = true;
  }
  bool empty = val->type == VAL_NONE || (val->type == VAL_TEXT && (!val->data.text || !*val->data.text));
  if (!empty && !node->SetValue(val, serial)) {
    if (made) delete node;
    return nullptr;
  }
  if (ctx && made && ctx->IncludeDepth == 0) {
    node->SetLine(ctx->Line);
    DlgLoad_ResetKept();
  }
  return node;
}

int CDlgEditDoc::FindNativeDef(DlgObject* obj, int32_t native, prop_def* def) {
  SYS_ASSERT(obj);
  SYS_ASSERT(def);
  const PluginCallbacks& cb = m_Plugin->Desc()->Plugin;
  if (!cb.FirstAttrDef || !cb.NextAttrDef) return 0;
  const char* cls = obj->ClassName();
  prop_def d{};
  for (void* cur = cb.FirstAttrDef(cls, &d); cur; cur = cb.NextAttrDef(cls, cur, &d)) {
    if (d.native == native) {
      *def = d;
      return 1;
    }
  }
  return 0;
}
