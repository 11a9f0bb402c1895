#include "workbench/dialogs/dlghost/dlgdump.h"

#include <cstdio>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_const.h"
#include "workbench/dialogs/model/dlg_font.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_prop.h"

namespace {

std::string ValueText(const prop_val& v) {
  if (v.type == VAL_TEXT) return std::string("\"") + (v.data.text ? v.data.text : "") + "\"";
  if (v.type == VAL_INT) return std::to_string(v.data.num);
  return "<none>";
}

void DumpObject(const DlgObject* obj, int depth, std::string& out) {
  char buf[160];
  std::string pad(static_cast<size_t>(depth) * 2, ' ');
  std::snprintf(buf, sizeof buf, " class=%s flags=0x%08x lines=%d-%d", obj->ClassName(), obj->Flags(), obj->FirstLine(),
                obj->LastLine());
  out += pad + "object " + obj->GetPath() + buf;
  if (obj->TemplateObject()) out += " template=" + obj->TemplateObject()->GetPath();
  out += "\n";
  for (const DlgPropValue* v = obj->Props().Head(); v; v = v->next) {
    const prop_def& d = v->Def();
    std::string name = d.name ? d.name : "";
    if (d.index >= 0) name += "[" + std::to_string(d.index) + "]";
    std::snprintf(buf, sizeof buf, " serial=%d line=%d", v->Serial(), v->Line());
    out += pad + "  value " + name + " = " + ValueText(v->Val()) + buf + "\n";
  }
  for (const DlgObject* c = obj->GetHead(); c; c = c->next) DumpObject(c, depth + 1, out);
}

}  // namespace

std::string DlgDump_Document(CDlgEditDoc& doc) {
  std::string out;
  DlgRootAnchor& root = doc.Root();
  char buf[200];
  std::snprintf(buf, sizeof buf, "dialog flags=0x%x levels=%d raster=%dx%d\n", root.Flags(), root.Levels(),
                root.UnitX(), root.UnitY());
  out += buf;
  for (DlgAnchor* a = root.head; a; a = a->next)
    if (a->RootObject()) DumpObject(a->RootObject(), 0, out);
  for (DlgConstGroup* g = root.Consts().head; g; g = g->next) {
    for (DlgConstEntry* e = g->head; e; e = e->next) {
      prop_val v{};
      e->GetValue(&v);
      std::snprintf(buf, sizeof buf, "const group=%u serial=%u line=%d ", g->Id(), e->Serial(), e->Line());
      out += buf + std::string(e->Name()) + " = " + ValueText(v) + "\n";
    }
  }
  for (DlgFontEntry* f = root.Fonts().head; f; f = f->next) {
    std::snprintf(buf, sizeof buf, "font id=%u size=%d style=%d cx=%d cy=%d ", f->Id(), f->PointSize(), f->Style(),
                  f->CharWidth(), f->LineHeight());
    out += buf + std::string(f->Text() ? f->Text() : "") + "\n";
  }
  for (DlgKeptLine* l = root.Kept().head; l; l = l->next) {
    std::snprintf(buf, sizeof buf, "kept line=%d blanks=%d flags=%u [", l->position, l->blanks, l->flags);
    out += buf + l->Text() + "]\n";
  }
  return out;
}
