// The reader of ASCII dialog files (".dlg"): the shared dialog language
// reader drives the host through the class model. Template files are read
// first, as included files; comments, blank lines, includes and defines of
// the file itself go to the host as text lines so that a save gives them back.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dialogs/language/dlgread.h"
#include "dialogs/plugins/classmodel/classmodel.h"
#include "dialogs/plugins/plugtext/plugtext.h"

namespace {

const DlgMessages kMessages = {
    "Not inside object",
    "Extra '}'",
    "Object name expected:\nUnexpected token 0x%02x",
    "Missing '}', level = %d",
    "Identifier expected:\nUnexpected token 0x%02x",
    "Nesting to deep, MAX_DEPTH is %d",
    "'{' expected",
    "Attribute expected",
    "Attribute index expected",
    "']' expected",
    "'=' expected",
    "Constant or symbolic value expected",
    "define: Constant or symbolic value expected",
    "include: File name expected",
    "include: File nesting too deep",
    "Missing quote",
    "Numeric constant is too large:\n%s",
    "Line is too long (more than %zu characters)",
    "Out of memory",
};

// Longest line read.
const size_t kMaxLine = 65536;

// A read ended by a message that the host has already been given.
const int kReported = 99;

void set_file_name(pload* ctx, const std::string& name) {
  size_t n = name.size() < PLOAD_FILENAME_MAX - 1 ? name.size() : PLOAD_FILENAME_MAX - 1;
  std::memcpy(ctx->FileName, name.data(), n);
  ctx->FileName[n] = '\0';
}

bool container_class(const classrec* cls) {
  if (cls == nullptr || cls->class_section == nullptr) return false;
  const VarEntry* e = var_cfg_find_entry(&static_cast<const VarSection*>(cls->class_section)->entries, "container");
  return e != nullptr && std::atol(e->value.c_str()) != 0;
}

// One file read with the statement loop, and everything it includes.
class TextRead : public DlgReaderUser {
 public:
  TextRead(pload* ctx, int depth) : ctx_(ctx), depth_(depth) {}

  int run(const DlgSource& source) {
    names_.assign(1, source.name);
    DlgReadOptions options;
    options.messages = &kMessages;
    options.ide_lines = DLG_IDE_AS_CONTENT;
    options.max_line = kMaxLine;
    options.keep_source = true;
    DlgReadResult result;
    int rc = dlg_read(*this, options, source, &result);
    ctx_->IncludeDepth = depth_;
    if (rc == DLG_OK) return 0;
    if (rc != kReported) {
      set_file_name(ctx_, result.file);
      ctx_->Line = result.line;
      ctx_->Error(ctx_, "%s", result.message.c_str());
    }
    return -1;
  }

  void line_read(int number, const std::string& /*line*/, int level) override {
    ctx_->Line = number;
    ctx_->IncludeDepth = depth_ + level;
    size_t l = static_cast<size_t>(level);
    if (l < names_.size()) {
      set_file_name(ctx_, names_[l]);
      names_.resize(l + 1);
    }
    level_ = level;
  }

  int text_line(DlgTextKind kind, const std::string& line, int level, std::string& /*message*/) override {
    if (depth_ + level != 0) return 0;
    int rc = kind == DLG_TEXT_BLANK ? ctx_->TextLine(ctx_, "", 1) : ctx_->TextLine(ctx_, line.c_str(), 0);
    if (rc == 0) return 0;
    ctx_->Error(ctx_, "Unable to create text line");
    return kReported;
  }

  int object(const DlgObject& o, std::string& /*message*/) override {
    std::string path = o.path, cls = o.cls;
    if (!text_from_file(ctx_, path) || !text_from_file(ctx_, cls)) return kReported;
    obj_hndl made{};
    int rc = var_create_object(ctx_, path.c_str(), cls.c_str(), VAR_CREATE_TEXT, &made);
    if (rc == 1) var_path_error(ctx_, "Unable to locate object", path.c_str());
    if (rc != 0) return kReported;
    classrec* r = ctx_->GetClassRec != nullptr ? ctx_->GetClassRec(ctx_, made) : nullptr;
    return text_object_made(ctx_, made, r, path.c_str()) == 0 ? 0 : kReported;
  }

  int object_end(const DlgObject& o, std::string& /*message*/) override {
    std::string path = o.path;
    if (!text_from_file(ctx_, path)) return kReported;
    if (ctx_->EndObject(ctx_, path.c_str()) != 0) {
      ctx_->Error(ctx_, "Unable to locate object:\n%s", path.c_str());
      return kReported;
    }
    return var_set_default_attrs(ctx_, path.c_str()) == 0 ? 0 : kReported;
  }

  int attribute(const DlgAttribute& a, std::string& message) override {
    std::string path = a.object->path + "." + a.name;
    if (!text_from_file(ctx_, path)) return kReported;
    if (a.has_index) path += "[]";
    std::string text = a.value.text;
    bool symbolic = !a.value.symbol.empty();
    if (a.value.kind == DLG_VALUE_TEXT && !symbolic && !text_from_file(ctx_, text)) return kReported;
    prop_val v{};
    if (a.value.kind == DLG_VALUE_TEXT) {
      v.type = VAL_TEXT;
      v.data.text = text.data();
    } else {
      v.type = VAL_INT;
      v.data.num = a.value.number;
    }
    if (a.has_index && a.index < 0) {
      message = kMessages.index_expected;
      return DLG_ERR_SYNTAX;
    }
    int rc = var_assign_attr(ctx_, path.c_str(), &v, false, a.has_index ? a.index : -1,
                             VAR_ASSIGN_CONFIG_ONLY | VAR_ASSIGN_INDEX_IN_ARRAY, symbolic ? a.value.handle : -1);
    if (rc == VAR_ASSIGN_BAD_INDEX) {
      message = kMessages.index_expected;
      return DLG_ERR_SYNTAX;
    }
    return rc == 0 ? 0 : kReported;
  }

  int define(const std::string& name_in, const DlgValue& value, std::string& /*message*/) override {
    std::string name = name_in, text = value.text;
    bool symbolic = !value.symbol.empty();
    if (!text_from_file(ctx_, name)) return kReported;
    if (value.kind == DLG_VALUE_TEXT && !symbolic && !text_from_file(ctx_, text)) return kReported;
    prop_val v{};
    int32_t group = 2;
    if (value.kind == DLG_VALUE_TEXT) {
      v.type = VAL_TEXT;
      v.data.text = text.data();
      group = 1;
    } else {
      v.type = VAL_INT;
      v.data.num = value.number;
    }
    if (ctx_->DefConst(ctx_, group, name.c_str(), &v, symbolic ? value.handle : -1, 0) != 0) {
      ctx_->Error(ctx_, "Unable to define symbolic value:\n%s", name.c_str());
      return kReported;
    }
    return 0;
  }

  int lookup(const std::string& name_in, DlgValue& value, std::string& /*message*/) override {
    std::string name = name_in;
    if (!text_from_file(ctx_, name)) return kReported;
    prop_val v{};
    int handle = ctx_->NamedValue(ctx_, 0, name.c_str(), &v);
    if (handle < 0 || (v.type != VAL_TEXT && v.type != VAL_INT)) {
      ctx_->Error(ctx_, "Symbolic value not found:\n%s", name.c_str());
      return kReported;
    }
    value.kind = v.type == VAL_TEXT ? DLG_VALUE_TEXT : DLG_VALUE_INTEGER;
    value.number = v.type == VAL_INT ? v.data.num : 0;
    value.text = v.type == VAL_TEXT && v.data.text != nullptr ? v.data.text : "";
    value.handle = handle;
    return 0;
  }

  int include_open(const std::string& name_in, bool optional, const DlgSource& /*from*/, DlgSource& source,
                   std::string& /*message*/) override {
    std::string name = name_in;
    if (!text_from_file(ctx_, name)) return kReported;
    std::string file_name = ctx_->FileName;
    int32_t line = ctx_->Line, depth = ctx_->IncludeDepth;
    ctx_->IncludeDepth = depth_ + level_ + 1;
    // A file that may be missing is opened without the host's boxes.
    const uint8_t options = ctx_->Options;
    if (optional) ctx_->Options = static_cast<uint8_t>(options | PLOAD_OPTION_QUIET_OPEN);
    int rc = text_open(ctx_, name.c_str(), source.text);
    ctx_->Options = options;
    if (rc == 0) source.name = ctx_->FileName;
    set_file_name(ctx_, file_name);
    ctx_->Line = line;
    ctx_->IncludeDepth = depth;
    if (rc == 0) {
      names_.resize(static_cast<size_t>(level_) + 1);
      names_.push_back(source.name);
      return 0;
    }
    if (optional) return 1;
    ctx_->Error(ctx_, "Unable to open include file:\n%s", name.c_str());
    return kReported;
  }

 private:
  pload* ctx_;
  int depth_;  // IncludeDepth of the file itself: 0 for the file loaded, 1 for a template
  int level_ = 0;
  std::vector<std::string> names_;  // file names by include level
};

}  // namespace

bool text_from_file(pload* ctx, std::string& text) {
  PluginDesc* d = var_desc();
  if (text.empty() || d == nullptr || d->Host.ConvertCharset == nullptr) return true;
  if (text.size() > 0x7fffffff || d->Host.ConvertCharset(0, 1, text.data(), static_cast<int>(text.size())) != 0) {
    ctx->Error(ctx, "Character set conversion failed");
    return false;
  }
  return true;
}

int text_open(pload* ctx, const char* filename, std::string& bytes) {
  ctx->Text = nullptr;
  ctx->Size = 0;
  if (ctx->Open(ctx, filename) != 0) return -1;
  bytes.assign(ctx->Text != nullptr ? ctx->Text : "",
               ctx->Text != nullptr && ctx->Size > 0 ? static_cast<size_t>(ctx->Size) : 0);
  ctx->Close(ctx);
  ctx->Line = 0;
  return 0;
}

int text_reference_font(pload* ctx) {
  font_info f{};
  f.text = "ANSI_FIXED_FONT";
  f.size = -1;
  f.hndl = reinterpret_cast<void*>(static_cast<uintptr_t>(text_ref_font_token));
  if (ctx->DefFont == nullptr || ctx->DefFont(ctx, &f, 0) != 0) {
    ctx->Error(ctx, "Unable to setup dialog reference font");
    return -1;
  }
  text_ref_font_id = f.id;
  return ctx->RefFont(ctx, f.id, nullptr, nullptr) == 0 ? 0 : -1;
}

int text_object_made(pload* ctx, obj_hndl obj, classrec* cls, const char* path) {
  if (obj.data == nullptr) return -1;
  int one = 1;
  prop_set ps{};
  ps.obj = obj;
  ps.path = path;
  ps.flag27 = &one;
  ps.flag28 = &one;
  if (container_class(cls)) ps.font = text_ref_font_id;
  return ctx->SetProp(ctx, &ps) == 0 ? 0 : -1;
}

int text_load(pload* ctx, const char* filename) {
  ctx->Options = 22;
  ctx->Levels = 1;
  DlgSource main;
  if (text_open(ctx, filename, main.text) != 0) return -1;
  main.name = ctx->FileName;
  if (text_reference_font(ctx) != 0) return -1;
  if (var_load_prologue(ctx, VAR_CREATE_TEXT, text_object_made) != 0) return -1;

  int templates = text_template_count();
  for (int i = 0; i < templates; ++i) {
    std::string name = text_template_name(i);
    pload copy = *ctx;
    copy.IncludeDepth = 1;
    DlgSource source;
    if (text_open(&copy, name.c_str(), source.text) != 0) {
      ctx->Error(ctx, "Unable to open dialog template file\n%s", name.c_str());
      return -1;
    }
    source.name = copy.FileName;
    TextRead read(&copy, 1);
    if (read.run(source) != 0) return -1;
  }

  set_file_name(ctx, main.name);
  ctx->Line = 0;
  TextRead read(ctx, 0);
  return read.run(main);
}
