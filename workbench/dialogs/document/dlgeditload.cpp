// The reader callbacks of a load: the plug-in builds the document's model
// through them while its Load entry runs.
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/dlgnotify.h"
#include "workbench/dialogs/document/dlgreader.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_container.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/programs/dirutil.h"
#include "workbench/base/diag.h"
#include "workbench/base/settings/config.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

namespace {

std::string g_source;  // the source to edit after a failed load
int g_source_line = 0;
bool g_last_was_text = false;
int g_pending_blanks = 0;
int g_progress = 0;
bool g_offer_made = false;  // the offer to edit was made in this load
bool g_quiet_open = false;  // an Open whose failure the plug-in handles itself

// While it lives, the boxes of a quiet Open are not shown (the log keeps
// their lines).
class QuietOpen {
 public:
  explicit QuietOpen(bool quiet) : quiet_(quiet), diag_(Diag_GetQuiet()) {
    if (!quiet_) return;
    g_quiet_open = true;
    Diag_SetQuiet(1);
  }
  ~QuietOpen() {
    if (!quiet_) return;
    g_quiet_open = false;
    Diag_SetQuiet(diag_);
  }
  QuietOpen(const QuietOpen&) = delete;
  QuietOpen& operator=(const QuietOpen&) = delete;

 private:
  bool quiet_;
  int diag_;
};

constexpr size_t kEnvNameMax = 80;

CDlgEditDoc& Doc() {
  if (!CDlgEditDoc::m_currDoc) SYS_ASSERT(!"CDlgEditDoc::m_currDoc");
  return *CDlgEditDoc::m_currDoc;
}

void CheckCtx(pload* ctx) {
  if (!ctx) SYS_ASSERT(!"pload");
}

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The value of an environment variable: the environment's configured ones
// first, then the process's own.
bool EnvValue(const std::string& name, std::string* value) {
  if (std::optional<std::string> v = Cfg_GetEnvironmentValue(name.c_str())) {
    *value = *v;
    return true;
  }
  if (const char* e = std::getenv(name.c_str())) {
    *value = e;
    return true;
  }
  return false;
}

}  // namespace

void DlgLoad_Begin(const std::string& path) {
  DlgDoc_Notify().StatusText(("Opening " + path).c_str());
  DlgDoc_Notify().ProgressShow(100);
  g_progress = 0;
  DlgDoc_Notify().WaitCursor(true);
  g_source.clear();
  g_source_line = 0;
  g_offer_made = false;
  DlgLoad_ResetKept();
}

void DlgLoad_SetSource(const std::string& path, int line) {
  g_source = path;
  g_source_line = line;
}

void DlgLoad_ResetKept() {
  // Blank lines that no text line followed are dropped: the plug-in's writer
  // puts its own blank lines before objects.
  g_last_was_text = false;
  g_pending_blanks = 0;
}

const std::string& CDlgEditDoc::SourceToEdit() { return g_source; }
int CDlgEditDoc::SourceLine() { return g_source_line; }

struct DlgReader {
  static void Error(pload* ctx, const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    CheckCtx(ctx);
    SYS_ASSERT(fmt);
    char msg[DIAG_MESSAGE_MAX];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(msg, sizeof msg, fmt, ap);
    va_end(ap);
    std::string text;
    bool located = ctx->FileName[0] != '\0' && ctx->Line > 0;
    if (located) {
      char head[PLOAD_FILENAME_MAX + 32];
      std::snprintf(head, sizeof head, "%s, line %d:\n", ctx->FileName, ctx->Line);
      text = head;
    }
    text += msg;
    if (g_quiet_open) {
      for (char& c : text)
        if (c == '\n') c = ' ';
      Diag_Trace('P', 1, "%s", text.c_str());
      return;
    }
    if (!located || g_offer_made) {
      Diag_ErrorBox("Dialog Plug-In", "%s", text.c_str());
      return;
    }
    std::string traced = text;
    for (char& c : traced)
      if (c == '\n') c = ' ';
    Diag_Trace('P', 0, "%s", traced.c_str());
    text += "\n\nDo you want to edit the source code?";
    g_offer_made = true;
    if (Shell_Sink().message_box(Shell_OwnerWindow(), "Dialog Plug-In", text.c_str(),
                                 SHELL_MB_YESNO | SHELL_MB_ICONSTOP | SHELL_MB_DEFBUTTON2) == SHELL_IDYES)
      DlgLoad_SetSource(ctx->FileName, ctx->Line);
  }

  // Reads one resolved name into the context.
  static int OpenName(pload* ctx, const char* filename) {
    std::string name = filename;
    DirUtil_NormalizePath(name);
    if (name[0] != '$' && !DirUtil_IsAbsolute(name.c_str()) && ctx->FileName[0] != '\0') {
      std::string dir = DirUtil_GetDir(ctx->FileName);
      if (!dir.empty()) {
        DirUtil_AppendPath(dir, name.c_str());
        name = dir;
      }
    }
    std::string expanded;
    for (size_t i = 0; i < name.size();) {
      if (name[i] != '$') {
        expanded += name[i++];
        continue;
      }
      size_t j = i + 1;
      while (j < name.size() && std::isalnum(static_cast<unsigned char>(name[j])) && j - i - 1 < kEnvNameMax - 1) ++j;
      std::string var = name.substr(i + 1, j - i - 1);
      std::string value;
      if (var.empty()) {
        Error(ctx, "Bad environment variable:\n%s", name.c_str());
        return -1;
      }
      if (!EnvValue(var, &value)) {
        Error(ctx, "Environment variable not defined:\n%s", var.c_str());
        return -1;
      }
      expanded += value;
      i = j;
    }
    DirUtil_NormalizePath(expanded);
    if (expanded.size() >= PLOAD_FILENAME_MAX) {
      Error(ctx, "File name is too long:\n%.80s", expanded.c_str());
      return -1;
    }
    std::unique_ptr<FileBuffer> file = DirUtil_OpenFile(expanded.c_str());
    if (!file) return -1;
    const char* data = nullptr;
    uint32_t size = 0;
    file->GetData(&data, &size);
    if (size > static_cast<uint32_t>(INT32_MAX)) return -1;
    char* text = new char[size + 1];
    std::memcpy(text, data, size);
    text[size] = '\0';
    delete[] ctx->Text;
    ctx->Text = text;
    ctx->Size = static_cast<int32_t>(size);
    std::memcpy(ctx->FileName, expanded.c_str(), expanded.size() + 1);
    ctx->Line = 0;
    CDlgEditDoc& doc = Doc();
    DlgRootAnchor& root = doc.Root();
    uint32_t flags = root.Flags();
    uint32_t kept = 0;
    if (ctx->Options & 0x01) {
      flags |= F_CASE_NAMES;
      kept |= 1;
      root.Consts().SetOptions(root.Consts().Options() | DLG_CONST_CASE);
    }
    if (ctx->Options & 0x02) kept |= 2;
    if (ctx->Options & 0x04) kept |= 4;
    if (ctx->Options & 0x08) flags |= 16;
    if (ctx->Options & 0x10) flags |= 32;
    if (ctx->Options & 0x20) flags |= 64;
    root.SetFlags(flags);
    root.SetLevels(ctx->Levels);
    doc.m_TextLineFlags |= kept;
    return 0;
  }

  static int Open(pload* ctx, const char* filename) {
    CheckCtx(ctx);
    Doc();
    QuietOpen quiet((ctx->Options & PLOAD_OPTION_QUIET_OPEN) != 0);
    if (!filename || !*filename) {
      Error(ctx, "File name expected");
      return -1;
    }
    const char* colon = std::strchr(filename, ':');
    if (colon && colon - filename >= 2 && colon[1] != '/' && colon[1] != '\\') {
      bool all_name = true;
      for (const char* p = filename; p < colon; ++p) all_name = all_name && IsNameChar(*p);
      if (all_name) {
        size_t len = static_cast<size_t>(colon - filename);
        if (len >= kEnvNameMax) {
          Error(ctx, "Environment variable name is too long:\n%.80s", colon);
          return -1;
        }
        std::string var(filename, len);
        std::optional<std::string> list = Cfg_GetEnvironmentValue(var.c_str());
        if (!list || list->empty()) {
          Error(ctx, "Environment variable not defined:\n%s", var.c_str());
          return -1;
        }
        const char* rest = colon + 1;
        size_t start = 0;
        while (start <= list->size()) {
          size_t semi = list->find(';', start);
          if (semi == std::string::npos) semi = list->size();
          std::string dir = list->substr(start, semi - start);
          start = semi + 1;
          if (dir.empty()) continue;
          std::string candidate = dir + "/" + rest;
          DirUtil_NormalizePath(candidate);
          if (DirUtil_FileExists(candidate.c_str())) return OpenName(ctx, candidate.c_str());
        }
      }
    }
    return OpenName(ctx, filename);
  }

  static void Close(pload* ctx) {
    CheckCtx(ctx);
    delete[] ctx->Text;
    ctx->Text = nullptr;
    ctx->Size = 0;
  }

  static int RefFont(pload* ctx, int32_t font_id, int* width, int* height) {
    CheckCtx(ctx);
    DlgRootAnchor& root = Doc().Root();
    if (font_id != 0) {
      DlgFontEntry* f = root.Fonts().FindFont(static_cast<uint32_t>(font_id));
      if (!f) {
        Error(ctx, "Reference font not found");
        return -1;
      }
      return root.SetUnits(f->CharWidth(), f->LineHeight()) ? 0 : -1;
    }
    int32_t w = width ? *width : root.UnitX();
    int32_t h = height ? *height : root.UnitY();
    return root.SetUnits(w, h) ? 0 : -1;
  }

  static int TextLine(pload* ctx, const char* text, int blank) {
    CheckCtx(ctx);
    DlgKeptLines& kept = Doc().Root().Kept();
    bool same_line = kept.tail && kept.tail->position == ctx->Line;
    if (blank) {
      if (!same_line) {
        ++g_pending_blanks;
      }
      return 0;
    }
    if (!text) text = "";
    if (same_line) {
      kept.tail->AppendText(text);
      Diag_Trace('P', 3, "TextLine %d (chg) [%s]", ctx->Line, text);
    } else {
      uint32_t flags = 0;
      if (g_last_was_text) flags |= KEPT_CONTINUES;
      if (ctx->Nesting != 0) flags |= KEPT_INSIDE;
      for (int i = 0; i < g_pending_blanks; ++i) Diag_Trace('P', 3, "TextLine %d (add) []", ctx->Line);
      new DlgKeptLine(&kept, text, g_pending_blanks, ctx->Line, flags);
      Diag_Trace('P', 3, "TextLine %d (add) [%s]", ctx->Line, text);
    }
    g_last_was_text = true;
    g_pending_blanks = 0;
    return 0;
  }

  static obj_hndl BeginObject(pload* ctx, obj_create* info) {
    CheckCtx(ctx);
    SYS_ASSERT(info);
    if (!info->path) SYS_ASSERT(!"info->path");
    CDlgEditDoc& doc = Doc();
    const char* name = info->name ? info->name : "";
    DlgObject* parent = static_cast<DlgObject*>(info->parent.data);
    DlgAnchor* anchor = nullptr;
    if (!parent) {
      anchor = new DlgAnchor(&doc.Root());
    } else {
      if (!parent->IsContainer()) {
        Error(ctx, "Unable to create new object:\nParent object cannot contain child objects.\nPath=\"%.80s\"",
              info->path);
        return obj_hndl{nullptr};
      }
      anchor = parent->Anchor();
    }
    DlgObject* obj = nullptr;
    if (info->tmpl.data) {
      DlgObject* tmpl = static_cast<DlgObject*>(info->tmpl.data);
      obj = tmpl->Clone(anchor, parent, DLG_LINK_LAST_CHILD, name);
      tmpl->InstantiateChildren(anchor, obj);
      obj->SetTemplate(tmpl);
    } else if (info->clone.data) {
      DlgObject* cls = static_cast<DlgObject*>(info->clone.data);
      obj = cls->Clone(anchor, parent, DLG_LINK_LAST_CHILD, name);
      DlgPropList::CopyGeometryValues(cls->Props(), obj->Props());
    } else {
      if (info->flags & OBJ_CREATE_CONTAINER)
        obj = new DlgContainer(anchor, parent, DLG_LINK_LAST_CHILD, name);
      else
        obj = new DlgObject(anchor, parent, DLG_LINK_LAST_CHILD, name);
      obj->SetClassRec(info->cls);
      gui_info g{};
      g.wc = info->gui.wc;
      g.setws = info->gui.setws;
      g.setws_ex = info->gui.setws_ex;
      g.data = info->gui.data;
      g.setflags = info->gui.setflags;
      obj->SetGuiInfo(&g);
      obj->SetFlags(obj->Flags() & ~DLG_F_GUI_APPLIED);
    }
    uint32_t f = obj->Flags() | DLG_F_SHOWN | DLG_F_SELECTABLE;
    if (info->flags & OBJ_CREATE_ROOT) f |= 1u << 16;
    if (info->flags & OBJ_CREATE_ROOT_REQ) f |= 1u << 17;
    if (info->flags & OBJ_CREATE_SECONDARY) f |= 1u << 18;
    if (info->flags & OBJ_CREATE_TEMPORARY) f |= DLG_F_TEMPORARY;
    if (info->flags & OBJ_CREATE_F19) f |= 1u << 19;
    if (info->flags & OBJ_CREATE_NOWND_F19) f = (f & ~DLG_F_SELECTABLE) | (1u << 19);
    if (info->flags & OBJ_CREATE_NOWND_F21) f = (f & ~DLG_F_SELECTABLE) | (1u << 21);
    if (ctx->IncludeDepth == 0) {
      obj->SetLines(ctx->Line, 0);
      DlgLoad_ResetKept();
    } else {
      f &= ~DLG_F_SELECTABLE;
    }
    obj->SetFlags(f);
    if (ctx->IncludeDepth == 0)
      Diag_Trace('P', 3, "BeginObject \"%s\", line=%d", info->path, ctx->Line);
    else
      Diag_Trace('P', 3, "BeginObject \"%s\"", info->path);
    if (++g_progress > 100) g_progress = 10;
    DlgDoc_Notify().ProgressSet(g_progress);
    ++ctx->Nesting;
    return DlgObject_Handle(obj);
  }

  static int EndObject(pload* ctx, const char* path) {
    CheckCtx(ctx);
    DlgObject* obj = Doc().FindObject(path);
    if (!obj) return -1;
    if (ctx->IncludeDepth == 0 && obj->FirstLine() > 0) {
      obj->SetLines(obj->FirstLine(), ctx->Line);
      DlgLoad_ResetKept();
      Diag_Trace('P', 3, "EndObject \"%s\", line=%d", path, ctx->Line);
    } else {
      Diag_Trace('P', 3, "EndObject \"%s\"", path);
    }
    // The nesting never goes below 0, also for a plug-in that ends an object
    // it did not begin (a class default it only reopened).
    if (ctx->Nesting > 0) --ctx->Nesting;
    return 0;
  }

  static obj_hndl FindChild(pload* ctx, const char* path, obj_hndl* parent) {
    CheckCtx(ctx);
    if (!path) return obj_hndl{nullptr};
    CDlgEditDoc& doc = Doc();
    if (!parent || !parent->data) return obj_hndl{doc.FindObject(path)};
    if (std::strchr(path, '.')) return obj_hndl{nullptr};
    auto* p = dynamic_cast<DlgContainer*>(static_cast<DlgObject*>(parent->data));
    return obj_hndl{p ? p->FirstChildNamed(path) : nullptr};
  }

  static void DropTemporary(pload* ctx) {
    CheckCtx(ctx);
    Doc().Root().CleanUp();
  }

  static classrec* GetClassRec(pload* ctx, obj_hndl obj) {
    CheckCtx(ctx);
    Doc();
    return const_cast<classrec*>(DlgObject_FromHandle(obj)->ClassRec());
  }

  static void SetClassRec(pload* ctx, obj_hndl obj, classrec* cls) {
    CheckCtx(ctx);
    Doc();
    if (!obj.data) SYS_ASSERT(!"hndl.data");
    if (!cls) SYS_ASSERT(!"classrec");
    DlgObject_FromHandle(obj)->SetClassRec(cls);
  }

  static int SetProp(pload* ctx, prop_set* info);

  static int FindPropDef(pload* ctx, obj_hndl obj, const char* name, prop_def* def) {
    CheckCtx(ctx);
    Doc();
    if (!obj.data || !name || !def) return 1;
    auto search = [&](DlgObject* o) -> bool {
      for (DlgPropValue* v = o->Props().Head(); v; v = v->next) {
        if ((v->Def().flags & PROP_F_DECLARED) && v->Def().name && o->Props().NamesEqual(v->Def().name, name)) {
          *def = v->Def();
          return true;
        }
      }
      return false;
    };
    DlgObject* o = DlgObject_FromHandle(obj);
    for (DlgObject* a = o; a; a = a->Parent())
      if (search(a)) return 0;
    if (o->ClassRec() && o->ClassRec()->name && o->RootAnchor()) {
      std::string cls = std::string("~") + o->ClassRec()->name;
      if (DlgObject* c = o->RootAnchor()->FindRootObject(cls.c_str()))
        if (search(c)) return 0;
    }
    return 1;
  }

  static int DefConst(pload* ctx, int32_t group, const char* name, prop_val* value, int32_t index, int redefine) {
    CheckCtx(ctx);
    if (!name || !value) return -1;
    DlgConstTable& table = Doc().Root().Consts();
    table.SetOptions(table.Options() | DLG_CONST_REDEFINE);
    DlgConstEntry* existing = table.FindConstByName(static_cast<uint32_t>(group), name);
    if (existing && existing->Group()->Id() != static_cast<uint32_t>(group)) existing = nullptr;
    DlgConstGroup* g = table.GetGroup(static_cast<uint32_t>(group));
    DlgConstEntry* e = table.Define(g, name, value, index, existing);
    if (!e) return -1;
    if (existing && redefine) e->SetMarks(e->Marks() | DLG_CONST_MARK_REDEFINED);
    if (ctx->IncludeDepth == 0) {
      e->SetLine(ctx->Line);
      DlgLoad_ResetKept();
    }
    return 0;
  }

  static int NamedValue(pload* ctx, int32_t group, const char* name, prop_val* value) {
    CheckCtx(ctx);
    if (!name || !value) return -1;
    DlgConstEntry* e = Doc().Root().Consts().FindConstByName(static_cast<uint32_t>(group), name);
    if (!e) return -1;
    e->GetValue(value);
    return static_cast<int>(e->Serial());
  }

  static int DefFont(pload* ctx, font_info* font, int temporary) {
    CheckCtx(ctx);
    if (!font) return -1;
    // An empty description (a font statement none of whose variants was
    // chosen) stands for the system font rather than failing the load.
    if ((!font->text || !*font->text) && !font->hndl) {
      font_info system = *font;
      system.text = "SYSTEM_FONT";
      system.size = -1;
      system.style = 0;
      int rc = Doc().Root().Fonts().AddFont(&system, temporary != 0) ? 0 : -1;
      if (rc == 0) *font = system;
      return rc;
    }
    return Doc().Root().Fonts().AddFont(font, temporary != 0) ? 0 : -1;
  }
};

int DlgReader::SetProp(pload* ctx, prop_set* info) {
  CheckCtx(ctx);
  SYS_ASSERT(info);
  if (!info->obj.data) SYS_ASSERT(!"info->obj.data");
  if (!info->path) SYS_ASSERT(!"info->path");
  CDlgEditDoc& doc = Doc();
  DlgObject* obj = DlgObject_FromHandle(info->obj);
  const bool loading = CDlgEditDoc::m_bIsLoading;
  bool changed = false;
  int* raster_x = info->rasterX;
  int* raster_y = info->rasterY;
  int font_w = 0, font_h = 0;
  if (info->font != 0) {
    DlgFontEntry* f = doc.Root().Fonts().FindFont(static_cast<uint32_t>(info->font));
    if (!f) {
      Error(ctx, "Reference font not found");
      return -1;
    }
    font_w = f->CharWidth();
    font_h = f->LineHeight();
    raster_x = &font_w;
    raster_y = &font_h;
  }
  if (raster_x || raster_y) {
    if (!obj->IsContainer()) {
      Error(ctx, "Unable to set raster properties for a non-container object.\nPath=\"%.80s\"", info->path);
      return -1;
    }
    obj->SetUnit(raster_x ? *raster_x : obj->GetUnitX(), raster_y ? *raster_y : obj->GetUnitY());
    changed = true;
  }
  auto set_bit = [obj](int* v, uint32_t bit) {
    if (v) obj->SetFlags(*v ? (obj->Flags() | bit) : (obj->Flags() & ~bit));
  };
  set_bit(info->flag27, DLG_F_POS_UNITS);
  set_bit(info->flag28, DLG_F_SIZE_UNITS);
  if ((info->width && *info->width < 0) || (info->height && *info->height < 0)) {
    Error(ctx, "Unable to set negative object dimension.\nPath=\"%.80s\"", info->path);
    return -1;
  }
  bool geometry = info->xleft || info->ytop || info->xright || info->ybottom || info->width || info->height;
  if (geometry) {
    if (loading) {
      if (obj->HasFlag(1u << 21)) obj->SetFlags(obj->Flags() & ~DLG_F_GEOMETRY_TAKEN);
    } else {
      int32_t x, y, w, h;
      obj->GetGeometry(&x, &y, &w, &h);
      if (info->width) w = *info->width;
      if (info->height) h = *info->height;
      if (info->xleft) x = *info->xleft;
      if (info->ytop) y = *info->ytop;
      DlgObject* parent = obj->Parent();
      if (parent) {
        int32_t pw = obj->ToUnitX(parent->Rect().Width()), ph = obj->ToUnitY(parent->Rect().Height());
        if (info->xright) {
          if (info->xleft || (obj->Flags() & DLG_F_HATTACH_MASK) != 0)
            w = pw - *info->xright - x;
          else
            x = pw - *info->xright - w;
        }
        if (info->ybottom) {
          if (info->ytop || (obj->Flags() & DLG_F_VATTACH_MASK) != 0)
            h = ph - *info->ybottom - y;
          else
            y = ph - *info->ybottom - h;
        }
      }
      obj->SetGeometry(x, y, w < 0 ? 0 : w, h < 0 ? 0 : h);
      changed = true;
    }
  }
  if (info->hattach) {
    uint32_t v = *info->hattach < 0 ? 1u : (*info->hattach == 0 ? 2u : 3u);
    obj->SetFlags((obj->Flags() & ~DLG_F_HATTACH_MASK) | v);
    changed = true;
  }
  if (info->vattach) {
    uint32_t v = *info->vattach < 0 ? 4u : (*info->vattach == 0 ? 8u : 12u);
    obj->SetFlags((obj->Flags() & ~DLG_F_VATTACH_MASK) | v);
    changed = true;
  }
  if (info->name) {
    if (obj->SetName(info->name)) changed = true;
  }
  if (info->text) {
    obj->SetText(info->text);
    changed = true;
  }
  if (info->visible) {
    set_bit(info->visible, DLG_F_SHOWN);
    changed = true;
  }
  if (info->reclass.data) {
    if (!CDlgEditDoc::m_bIsLoading) SYS_ASSERT(!"CDlgEditDoc::m_bIsLoading");
    DlgObject* other = DlgObject_FromHandle(info->reclass);
    if (other->ClassRec() != obj->ClassRec()) {
      Error(ctx, "Unable to change object class\nfrom %s to %s.\nPath=\"%.80s\"", other->ClassName(), obj->ClassName(),
            info->path);
      return -1;
    }
    if (other != obj) {
      if (!other->Parent() && other->Anchor() && other->Anchor()->RootObject() == other)
        delete other->Anchor();  // a root goes with its anchor
      else
        delete other;
    }
  }
  if (info->def && info->val && info->def->native != PROP_NATIVE_RECLASS) {
    int32_t serial = info->index ? *info->index : -1;
    if (!doc.StoreValue(obj, info->def, info->val, serial, ctx)) {
      Error(ctx, "Property data type mismatch:\nPath=\"%.80s\"", info->path);
      return -1;
    }
    obj->SetFlags(obj->Flags() & ~DLG_F_GUI_APPLIED);
    changed = true;
    if (Diag_TraceEnabled('P', 3)) {
      std::string v = info->val->type == VAL_TEXT
                          ? "\"" + std::string(info->val->data.text ? info->val->data.text : "") + "\""
                          : (info->val->type == VAL_INT ? std::to_string(info->val->data.num) : "<unknown>");
      std::string chdl = serial >= 0 ? ", chdl=" + std::to_string(serial) : "";
      Diag_Trace('P', 3, "Property \"%s\" val=%s%s, line=%d", info->def->name ? info->def->name : "", v.c_str(),
                 chdl.c_str(), ctx->Line);
    }
  }
  if (!loading && changed) {
    doc.SetModifiedFlag(true);
    DlgDoc_Notify().UpdateViews(&doc);
  }
  return 0;
}

void CDlgEditDoc::InitReader(pload* ctx) {
  *ctx = pload{};
  ctx->Open = &DlgReader::Open;
  ctx->Close = &DlgReader::Close;
  ctx->Error = &DlgReader::Error;
  ctx->RefFont = &DlgReader::RefFont;
  ctx->TextLine = &DlgReader::TextLine;
  ctx->BeginObject = &DlgReader::BeginObject;
  ctx->EndObject = &DlgReader::EndObject;
  ctx->FindChild = &DlgReader::FindChild;
  ctx->DropTemporary = &DlgReader::DropTemporary;
  ctx->GetClassRec = &DlgReader::GetClassRec;
  ctx->SetClassRec = &DlgReader::SetClassRec;
  ctx->SetProp = &DlgReader::SetProp;
  ctx->FindPropDef = &DlgReader::FindPropDef;
  ctx->DefConst = &DlgReader::DefConst;
  ctx->NamedValue = &DlgReader::NamedValue;
  ctx->DefFont = &DlgReader::DefFont;
}
