// Import of FORM files: one dialog "Untitled1" as large as the form plus a
// border, a static text per run of text on a line and an edit field per
// input and output field, made through the class model like the objects of
// a ".dlg" file, so that the dialog can be saved as one.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "dialogs/plugins/classmodel/classmodel.h"
#include "dialogs/plugins/plugtext/formfile.h"
#include "dialogs/plugins/plugtext/plugtext.h"

namespace {

const char kDialog[] = "Untitled1";

int make(pload* ctx, const std::string& path, const char* cls) {
  obj_hndl made{};
  int rc = var_create_object(ctx, path.c_str(), cls, VAR_CREATE_TEXT, &made);
  if (rc == 1) var_path_error(ctx, "Unable to locate object", path.c_str());
  if (rc != 0) return -1;
  classrec* r = ctx->GetClassRec != nullptr ? ctx->GetClassRec(ctx, made) : nullptr;
  return text_object_made(ctx, made, r, path.c_str());
}

int set_int(pload* ctx, const std::string& path, const char* attr, int value) {
  prop_val v{};
  v.type = VAL_INT;
  v.data.num = value;
  return var_assign_attr(ctx, (path + "." + attr).c_str(), &v, false, -1, VAR_ASSIGN_CONFIG_ONLY);
}

int set_text(pload* ctx, const std::string& path, const char* attr, std::string text) {
  if (!text_from_file(ctx, text)) return -1;
  prop_val v{};
  v.type = VAL_TEXT;
  v.data.text = text.data();
  return var_assign_attr(ctx, (path + "." + attr).c_str(), &v, false, -1, VAR_ASSIGN_CONFIG_ONLY);
}

int finish(pload* ctx, const std::string& path) {
  if (ctx->EndObject(ctx, path.c_str()) != 0) {
    ctx->Error(ctx, "Unable to locate object:\n%s", path.c_str());
    return -1;
  }
  return var_set_default_attrs(ctx, path.c_str());
}

std::string child(const char* prefix, size_t n) {
  char name[64];
  std::snprintf(name, sizeof name, "%s.%s_%zu", kDialog, prefix, n);
  return name;
}

int build(pload* ctx, const Form& form) {
  std::vector<FormText> texts;
  std::vector<FormEdit> inputs, outputs;
  form_layout(form, texts, inputs, outputs);
  const std::string dialog = kDialog;
  if (make(ctx, dialog, "Dialog") != 0 || set_int(ctx, dialog, "w", static_cast<int>(form.width) + 2) != 0 ||
      set_int(ctx, dialog, "h", static_cast<int>(form.lines.size()) + 2) != 0)
    return -1;
  for (size_t i = 0; i < texts.size(); ++i) {
    std::string path = child("St", i + 1);
    if (make(ctx, path, "StaticText") != 0 || set_int(ctx, path, "x", texts[i].x) != 0 ||
        set_int(ctx, path, "y", texts[i].y) != 0 || set_text(ctx, path, "text", texts[i].text) != 0 ||
        finish(ctx, path) != 0)
      return -1;
  }
  for (size_t i = 0; i < inputs.size(); ++i) {
    std::string path = child("If", i + 1);
    const FormEdit& e = inputs[i];
    if (make(ctx, path, "EditText") != 0 || set_int(ctx, path, "x", e.x) != 0 || set_int(ctx, path, "y", e.y) != 0 ||
        set_int(ctx, path, "w", e.width) != 0 || set_int(ctx, path, "maxchars", e.width) != 0 ||
        set_int(ctx, path, "fgc", 1) != 0 || finish(ctx, path) != 0)
      return -1;
  }
  for (size_t i = 0; i < outputs.size(); ++i) {
    std::string path = child("Of", i + 1);
    const FormEdit& e = outputs[i];
    if (make(ctx, path, "EditText") != 0 || set_int(ctx, path, "x", e.x) != 0 || set_int(ctx, path, "y", e.y) != 0 ||
        set_int(ctx, path, "w", e.width) != 0 || set_int(ctx, path, "fgc", 1) != 0 || finish(ctx, path) != 0)
      return -1;
  }
  return finish(ctx, dialog);
}

}  // namespace

int form_load(pload* ctx, const char* filename) {
  ctx->Options = 22;
  ctx->Levels = 1;
  std::string bytes;
  if (text_open(ctx, filename, bytes) != 0) return -1;
  if (text_reference_font(ctx) != 0) return -1;
  if (var_load_prologue(ctx, VAR_CREATE_TEXT, text_object_made) != 0) return -1;
  ctx->Line = 1;
  Form form;
  switch (form_parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), form)) {
    case FORM_OK: break;
    case FORM_NO_MEMORY: ctx->Error(ctx, "Unable to open FORM file,\nerror code = %d", 2); return -1;
    default: ctx->Error(ctx, "This is not a FORM file."); return -1;
  }
  try {
    return build(ctx, form);
  } catch (const std::bad_alloc&) {
    ctx->Error(ctx, "Unable to open FORM file,\nerror code = %d", 2);
    return -1;
  }
}
