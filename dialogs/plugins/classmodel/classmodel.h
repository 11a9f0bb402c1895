// The class model of a dialog plug-in (module `var`): the configuration file
// that lies beside the plug-in module, the class table built from it, the
// attribute definitions, the GUI modifiers of attributes, and the steps every
// file reader takes to build objects from it (load prologue, object creation,
// attribute assignment with native attributes).
//
// This static library is linked into each plug-in module; each module has its
// own copy of the state below (the module is built with hidden visibility, so
// two plug-ins in one host never share it). Everything runs on the host's GUI
// thread; nothing is locked.
//
// Messages go to the host's Failure callback (initialisation, enumeration) or
// to the reader context's Error (loads and edits), formatted like printf; the
// operation then returns -1 (the enumerations return null).
#ifndef VARNICA_PLUGINS_CLASSMODEL_H
#define VARNICA_PLUGINS_CLASSMODEL_H

#include <deque>
#include <string>
#include <vector>

#include "workbench/dialogs/document/dlgplugin.h"

struct VarEntry {
  std::string key;
  std::string value;
};
using VarEntryList = std::vector<VarEntry>;

struct VarSection {
  std::string name;
  VarEntryList entries;
};

// A configuration: sections in file order (a deque, so that a section never
// moves once made: class records point into it).
struct VarConfig {
  std::string path;
  std::deque<VarSection> sections;
  const VarSection* find(const std::string& name) const;
};

// Parses configuration text. Lines are read whole at any length. On a syntax
// error `error` holds "Syntax error in configuration file:\n<path>, line <n>"
// and the result is -1.
int var_cfg_parse(const std::string& text, const std::string& path, VarConfig& out, std::string& error);
// The canonical text of a configuration: each section as "[name]" and its
// "key=value" lines, sections separated by one empty line. Entries of the
// section "attributes" and of every class's attribute section are written
// through var_format_attr_def when they parse, so writing, reading and writing
// again gives the same text.
std::string var_cfg_write(const VarConfig& cfg);
// The configuration path of a module: cut before the last "." of the file
// name and extended by ".cfg".
std::string var_cfg_path(const std::string& module);

// Module state.
int var_init(PluginDesc* desc);
// Same, with the configuration given as text (tests and tools).
int var_init_text(PluginDesc* desc, const std::string& text, const std::string& path);
void var_exit();
PluginDesc* var_desc();
const VarConfig& var_config();

classrec* var_find_class(const char* name);
// Iterates the class records in table order; `reset` starts again.
classrec* var_next_class(bool reset);
size_t var_class_count();

// The first entry of the section (the first with that key when `key` is not
// null); starts an entry iteration there that var_cfg_next_entry continues.
const VarEntry* var_cfg_find(const char* section, const char* key);
const VarEntry* var_cfg_next_entry();
const VarEntry* var_cfg_find_entry(const VarEntryList* list, const char* key);

classrec* var_object_class(pload* ctx, obj_hndl obj, const char* path);
const VarEntry* var_find_attr(pload* ctx, obj_hndl obj, const char* path, const char* name);

// Parses one attribute definition (key "=" value). Texts handed out in `out`
// live until var_exit. 0 or -1.
int var_parse_attr_def(prop_def* out, const char* key, const char* value);
// The definition text that parses back to `def` (the value side of an entry).
std::string var_format_attr_def(const prop_def& def);

int var_apply_gui_modifiers(pload* ctx, obj_hndl obj, const char* path, const prop_def* def, const prop_val* value);
int var_set_default_attrs(pload* ctx, const char* path);

// Plug-in callbacks served by the class model.
extern "C" {
void var_DefaultSize(const char* cls, int* width, int* height);
void* var_FirstAttrDef(const char* cls, prop_def* def);
void* var_NextAttrDef(const char* cls, void* cursor, prop_def* def);
const char* var_ValueText(obj_hndl obj, prop_def* def);
int var_SetAttrValue(pload* ctx, obj_hndl obj, const char* path, prop_def* def, prop_val* val, int index);
// Values of path attributes: a letter first (made upper case), then letters,
// digits, "_" and ".". 0 or -1.
int var_CheckPath(char* text, int length);
// Values of identifier attributes: a letter first (made upper case), white
// space made "_", then letters, digits and "_". 0 or -1.
int var_CheckIdentifier(char* text, int length);
}

// Reader object building.

enum {
  VAR_CREATE_CLASSDEFAULT = 1,  // the class default object "~class"
  VAR_CREATE_MODEL = 2,         // inside a "model" block
  VAR_CREATE_PRIVATE = 4,       // from an imported file, not exported
  // An object of a text dialog file: creation flag 32, no secondary roots,
  // and an object of the same name is an error even in an included file.
  VAR_CREATE_TEXT = 8,
};
// Called for every object the load prologue makes (after BeginObject,
// before EndObject): 0 to go on, -1 after a reported error.
using VarObjectMade = int (*)(pload* ctx, obj_hndl obj, classrec* cls, const char* path);
// Defines the configured constants and makes the class default objects;
// `mode` is added to each creation's mode.
int var_load_prologue(pload* ctx, int mode = 0, VarObjectMade made = nullptr);

// Creates the object `path` of class `cls` (a class name, or the path of a
// template object). 0 on success (also when an included file's object is
// reused), 1 when `cls` is neither a class nor an existing object (nothing
// reported), -1 after a reported error. `made` receives the new object (null
// when none was made).
int var_create_object(pload* ctx, const char* path, const char* cls, int mode, obj_hndl* made = nullptr);

enum {
  // Only attributes of the configuration are taken: any other is "Attribute
  // not recognized".
  VAR_ASSIGN_CONFIG_ONLY = 1,
  // An index past the end of a fixed-size array attribute is refused with VAR_ASSIGN_BAD_INDEX, nothing reported: the
  // reader names
  // it with its own message.
  VAR_ASSIGN_INDEX_IN_ARRAY = 2,
};
const int VAR_ASSIGN_BAD_INDEX = -2;
// Assigns `value` to the attribute `path` (object path, ".", attribute, and
// "[]" behind it when an index was written; `element` is that index or -1).
// A symbolic value comes as text (kind VAL_TEXT) with `symbolic` set, and is
// resolved in the definition's group; a value the caller resolved itself
// comes with its constant's handle in `serial` (-1 for a literal). 0, -1 or
// VAR_ASSIGN_BAD_INDEX.
int var_assign_attr(pload* ctx, const char* path, const prop_val* value, bool symbolic, int element, int mode = 0,
                    int serial = -1);

// The native attribute numbers a plug-in's files may use, as a bit mask
// (bit n for native n); by default every native from 1 to 18. Any other
// native is "could not be recognized".
void var_set_natives(uint32_t mask);

// The module that holds the class model (the plug-in itself): its full path
// (at most 1,024 characters) and its name without directory and extension.
void var_module_names(std::string& module, std::string& ident);
// An integer setting in the plug-in's own profile section; negative or
// absent gives `def`.
int var_profile_int(const char* key, int def);
// Stores an integer setting in the plug-in's own profile section.
void var_profile_write_int(const char* key, int value);

// The reader context's Error with the "%s:\nPath=\"%.80s\"" form.
void var_path_error(pload* ctx, const char* text, const char* path);

#endif
