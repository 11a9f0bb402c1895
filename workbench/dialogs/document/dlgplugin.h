/* The binary interface between the development environment (the host) and a
 * dialog plug-in: the records the two share in memory, the callback tables in
 * both directions and the exports of a plug-in module.
 *
 * Valid C11 and C++. The records are laid out for 64-bit Linux: a field that
 * is "one word" is an int32_t where it holds a number and a natural pointer
 * where it holds an address, so a record may contain padding; both sides are
 * always compiled by the same compiler for the same platform. The field order
 * is fixed: never insert, drop or reorder a field.
 *
 * A plug-in includes this header and the evaluator's (workbench/dialogs/
 * model/expr.h) and nothing else of the environment. */
#ifndef VARNICA_DLGPLUGIN_H
#define VARNICA_DLGPLUGIN_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define DLGPLUGIN_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define DLGPLUGIN_PRINTF(fmt, args)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Interface version that a descriptor must carry. */
#define PLUGIN_VERSION 8
/* The one plug-in category the host accepts. */
#define PLUGIN_CATEGORY_DLG "DLG"

/* File-type kinds. */
enum { PLUGIN_FT_SOURCE = 4, PLUGIN_FT_IMPORT = 5 };

/* An object of the host's dialog model, opaque to the plug-in. A null `data`
 * means no object. */
typedef struct obj_hndl {
  void* data;
} obj_hndl;

/* Kinds of a property value. */
enum { VAL_NONE = 0, VAL_TEXT = 1, VAL_INT = 2 };

/* A property value: a kind and its datum. For VAL_TEXT `data.text` points to
 * a NUL-terminated text (owned by whoever made the record); for VAL_INT
 * `data.num` is the integer. */
typedef struct prop_val {
  int32_t type;
  union {
    char* text;
    int32_t num;
  } data;
} prop_val;

/* Property kinds and value types of a definition. */
enum { PROP_KIND_ATTR = 0, PROP_KIND_NATIVE = 1 };
enum { PROP_TYPE_ANY = 0, PROP_TYPE_PATH = 1, PROP_TYPE_IDENT = 2, PROP_TYPE_STRING = 3, PROP_TYPE_INT = 4 };

/* Definition flags. 0x01, 0x02, 0x10, 0x40 and 0x80 come from the plug-in's
 * configuration; 0x04 marks a declared variable (may hold no value), 0x08
 * makes it written as an ordinary attribute, 0x20 an attribute written with
 * ":=". */
enum {
  PROP_F_PLUS = 0x01,
  PROP_F_ARRAY = 0x02,
  PROP_F_DECLARED = 0x04,
  PROP_F_ORDINARY = 0x08,
  PROP_F_ALIAS = 0x10,
  PROP_F_ASSIGN = 0x20,
  PROP_F_STAR_KIND = 0x40,
  PROP_F_STAR_GROUP = 0x80
};

/* Native numbers with a meaning to the host. */
enum {
  PROP_NATIVE_XLEFT = 6,
  PROP_NATIVE_YTOP = 7,
  PROP_NATIVE_XRIGHT = 8,
  PROP_NATIVE_YBOTTOM = 9,
  PROP_NATIVE_WIDTH = 10,
  PROP_NATIVE_HEIGHT = 11,
  PROP_NATIVE_NAME = 14,
  PROP_NATIVE_RECLASS = 18
};

/* A property definition. The texts belong to whoever filled the record. */
typedef struct prop_def {
  const char* name;     /* name it is looked up by (entry key or alias) */
  const char* category; /* the second name: the category shown to the user */
  int32_t kind;         /* PROP_KIND_* */
  int32_t type;         /* PROP_TYPE_* */
  uint32_t flags;       /* PROP_F_* */
  int32_t group;        /* group of the named constants its values may name */
  int32_t native;       /* native number, 0 for an attribute */
  const char* gui;      /* GUI modifier section, or null */
  int32_t count;        /* element count of an array, else 0 */
  int32_t index;        /* element index, -1 when none */
  const char* defval;   /* default value text, or null */
} prop_def;

/* A plug-in's class table entry. The host reads only `name`, and for default
 * widths `flags` bit 0 (CLASS_F_AMPERSAND), `w_char_offset` and
 * `w_edge_offset`; the two section pointers are the plug-in's own. */
typedef struct classrec {
  const char* name;
  uint32_t flags;
  int32_t w_char_offset;
  int32_t w_edge_offset;
  const void* class_section;
  const void* attr_section;
} classrec;

enum { CLASS_F_AMPERSAND = 0x01 };

/* Stock font tokens a plug-in may pass in font_info.hndl, written as
 * (void*)(uintptr_t)token. Any other non-null handle is the host's own. */
enum {
  FONT_STOCK_SYSTEM = 1,
  FONT_STOCK_SYSTEM_FIXED = 2,
  FONT_STOCK_ANSI_VAR = 3,
  FONT_STOCK_ANSI_FIXED = 4,
  FONT_STOCK_DEVICE_DEFAULT = 5,
  FONT_STOCK_DEFAULT_GUI = 6,
  FONT_STOCK_OEM_FIXED = 7,
  FONT_STOCK_LAST = 7
};

/* Font style bits. */
enum { FONT_BOLD = 0x01, FONT_ITALIC = 0x02 };

/* A font description exchanged when a plug-in registers a font. */
typedef struct font_info {
  int32_t id;         /* out: id of the table entry */
  const char* text;   /* in: [size "."] face; out: the entry's canonical text (host-owned) */
  int32_t size;       /* in/out: point size, -1 when none */
  int32_t style;      /* in/out: FONT_BOLD, FONT_ITALIC */
  const char* sample; /* in: text whose average width is the character width, or null */
  const char* wexpr;  /* in: expression for the character width, or null */
  const char* hexpr;  /* in: expression for the line height, or null */
  void* hndl;         /* in/out: font handle or stock token, or null */
  int32_t cx;         /* out: average character width in pixels */
  int32_t cy;         /* out: line height in pixels */
} font_info;

/* GUI modifiers; every member is optional (null leaves it unchanged). */
typedef struct gui_info {
  const char* wc;
  int* setws;
  int* clrws;
  int* setws_ex;
  int* clrws_ex;
  void* data;
  int* setflags;
  int* clrflags;
} gui_info;

/* Designer flags of gui_info.setflags and clrflags. */
enum { GUI_F_PLACEHOLDER = 1, GUI_F_VCENTER = 2, GUI_F_CHECK = 4, GUI_F_CHECK_INDETERMINATE = 8 };

/* Creation flags of obj_create.flags. */
enum {
  OBJ_CREATE_CONTAINER = 1,
  OBJ_CREATE_ROOT = 2,
  OBJ_CREATE_ROOT_REQ = 4,
  OBJ_CREATE_SECONDARY = 8,
  OBJ_CREATE_TEMPORARY = 16,
  OBJ_CREATE_F19 = 32,
  OBJ_CREATE_NOWND_F19 = 64,
  OBJ_CREATE_NOWND_F21 = 128
};

/* The record handed to pload.BeginObject. */
typedef struct obj_create {
  const char* name;
  const char* path; /* full dotted path; never null */
  obj_hndl parent;  /* null for a root object */
  obj_hndl clone;   /* class default object to copy, or null */
  obj_hndl tmpl;    /* template object, or null */
  classrec* cls;
  int32_t flags; /* OBJ_CREATE_* */
  gui_info gui;
} obj_create;

/* The record handed to pload.SetProp. Every member after `index` is
 * optional; null (or a font id of 0) leaves that part unchanged. */
typedef struct prop_set {
  obj_hndl obj;
  const char* path;
  prop_def* def;
  prop_val* val;
  int* index; /* serial of the named constant the value was given as */
  int* flag27;
  int* flag28;
  int32_t font; /* font id whose measures become rasterX and rasterY */
  int* rasterX;
  int* rasterY;
  int* xleft;
  int* ytop;
  int* xright;
  int* ybottom;
  int* width;
  int* height;
  int* hattach;
  int* vattach;
  const char* name;
  const char* text;
  int* visible;
  obj_hndl reclass;
} prop_set;

struct pload;
struct psave;
struct PluginDesc;

/* The reader context of a load, owned and zero-filled by the host. */
enum { PLOAD_FILENAME_MAX = 1024 };

/* Options bit 7, beside the format bits 0-5: set by a plug-in around an
 * Open whose failure it handles itself (an optional include, "?name"). The
 * host then shows nothing when the file cannot be opened or its name not
 * resolved; Open only returns -1. The host does not keep this bit. */
enum { PLOAD_OPTION_QUIET_OPEN = 0x80 };

typedef struct pload {
  char FileName[PLOAD_FILENAME_MAX];
  char* Text;
  int32_t Size;
  int32_t Line;
  int32_t IncludeDepth;
  int32_t Nesting;
  uint8_t Options;
  void* Lexer;
  int32_t Levels;
  int (*Open)(struct pload* ctx, const char* filename);
  void (*Close)(struct pload* ctx);
  void (*Error)(struct pload* ctx, const char* fmt, ...) DLGPLUGIN_PRINTF(2, 3);
  int (*RefFont)(struct pload* ctx, int32_t font_id, int* width, int* height);
  int (*TextLine)(struct pload* ctx, const char* text, int blank);
  obj_hndl (*BeginObject)(struct pload* ctx, obj_create* info);
  int (*EndObject)(struct pload* ctx, const char* path);
  obj_hndl (*FindChild)(struct pload* ctx, const char* path, obj_hndl* parent);
  void (*DropTemporary)(struct pload* ctx);
  classrec* (*GetClassRec)(struct pload* ctx, obj_hndl obj);
  void (*SetClassRec)(struct pload* ctx, obj_hndl obj, classrec* cls);
  int (*SetProp)(struct pload* ctx, prop_set* info);
  int (*FindPropDef)(struct pload* ctx, obj_hndl obj, const char* name, prop_def* def);
  int (*DefConst)(struct pload* ctx, int32_t group, const char* name, prop_val* value, int32_t index, int redefine);
  int (*NamedValue)(struct pload* ctx, int32_t group, const char* name, prop_val* value);
  int (*DefFont)(struct pload* ctx, font_info* font, int temporary);
} pload;

/* The writer context of a save, owned and zero-filled by the host. `Depth`
 * is the nesting of the line being written: the host raises it after each
 * successful BeginObj and lowers it before the matching EndObj. */
typedef struct psave {
  int32_t Depth;
  int (*WriteLine)(struct psave* ctx, const char* text);
  void (*Error)(struct psave* ctx, const char* fmt, ...) DLGPLUGIN_PRINTF(2, 3);
} psave;

/* One file type of a plug-in. Writable when BeginObj is not null. */
typedef struct PluginFileType {
  const char* Name;
  const char* Ext;
  int32_t Kind; /* PLUGIN_FT_* */
  int (*Load)(pload* ctx, const char* filename);
  int (*BeginObj)(psave* ctx, const char* path, const char* name, const char* cls, const char* tmpl,
                  const char* sameline);
  int (*EndObj)(psave* ctx, const char* path, const char* trailer);
  int (*WriteAttr)(psave* ctx, const char* attr, const prop_def* def, const prop_val* val, const char* text,
                   const char* sameline);
  int (*WriteLine)(psave* ctx, const char* line);
} PluginFileType;

/* What the plug-in serves; filled by the plug-in in GetPlugin. */
typedef struct PluginCallbacks {
  int (*CheckPath)(char* text, int length);
  int (*CheckIdentifier)(char* text, int length);
  int (*SetAttrValue)(pload* ctx, obj_hndl obj, const char* path, prop_def* def, prop_val* val, int index);
  const char* (*ValueText)(obj_hndl obj, prop_def* def);
  int (*MaxRootSize)(int* width, int* height);
  void (*DefaultSize)(const char* cls, int* width, int* height);
  void* (*FirstAttrDef)(const char* cls, prop_def* def);
  void* (*NextAttrDef)(const char* cls, void* cursor, prop_def* def);
} PluginCallbacks;

/* What the host serves; written by the host before InitPlugin. */
typedef struct PluginHostCallbacks {
  void (*Failure)(const char* fmt, ...) DLGPLUGIN_PRINTF(1, 2);
  void (*Trace)(int level, const char* fmt, ...) DLGPLUGIN_PRINTF(2, 3);
  prop_val* (*FindObjProp)(obj_hndl obj, const prop_def* def);
  prop_val* (*FindClassProp)(obj_hndl obj, const prop_def* def);
  const char* (*GetProp)(obj_hndl obj, const prop_def* def);
  int (*SetGuiInfo)(obj_hndl obj, const gui_info* info);
  int (*ConvertCharset)(int from, int to, char* buffer, int length);
  int (*FileExists)(const char* filename);
  char* (*GetProfileString)(struct PluginDesc* plugin, const char* section, const char* item, const char* def,
                            char* buffer, int size);
  int (*GetProfileInt)(struct PluginDesc* plugin, const char* section, const char* item, int def);
  void (*WriteProfileString)(struct PluginDesc* plugin, const char* section, const char* item, const char* text);
  void (*WriteProfileInt)(struct PluginDesc* plugin, const char* section, const char* item, int value);
} PluginHostCallbacks;

/* The plug-in's descriptor: static data of the module for its loaded life. */
typedef struct PluginDesc {
  int32_t Version; /* PLUGIN_VERSION */
  int32_t Number;  /* order key of the plug-in list */
  const char* Category;
  const char* Ident;
  const char* Description;
  const char* Revision;
  const char* Date;
  const char* Module;
  const char* FilterTitle;
  const char* DefaultType;
  PluginFileType* FileTypes;
  int32_t NumFileTypes;
  PluginCallbacks Plugin;
  PluginHostCallbacks Host;
} PluginDesc;

/* Exports of a plug-in module. GetPlugin is required; InitPlugin (0 on
 * success) and SetupPlugin are optional. */
PluginDesc* GetPlugin(void);
int InitPlugin(void);
void SetupPlugin(void);

typedef PluginDesc* (*GetPluginFn)(void);
typedef int (*InitPluginFn)(void);
typedef void (*SetupPluginFn)(void);

#ifdef __cplusplus
}
#endif

#endif
