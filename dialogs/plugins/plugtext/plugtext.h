// Internals of the ASCII dialog plug-in: the entries of its two file types
// (".dlg" read and written, ".form" imported), its settings and the list of
// template files that every load reads first.
#ifndef VARNICA_PLUGINS_PLUGTEXT_H
#define VARNICA_PLUGINS_PLUGTEXT_H

#include <string>
#include <vector>

#include "workbench/dialogs/document/dlgplugin.h"

// Blanks per nesting level when saving (profile "Indent", default 1).
extern int text_indent;
// Empty lines before each object when saving (profile "BlankLines", default 1).
extern int text_blank_lines;

// The reference font: a stock font token (fixed pitch), taken at module
// start, and the id the host gave it in the load under way.
extern int text_ref_font_token;
extern int32_t text_ref_font_id;

// Reads the settings from the profile; negative or absent values keep 1.
void text_read_settings();

// The template files, kept in the profile section "TemplateFiles" as
// "Total" and the entries "1" up to it.
int text_template_count();
// The name of entry `i`, counted from 0 (empty when there is none).
std::string text_template_name(int i);
void text_template_append(const char* name);
// Writes `names` as the list: the entries and "Total" first, then deletes
// the entries left over from a longer list.
void text_template_replace(const std::vector<std::string>& names);
// Deletes the entries and sets "Total" to 0.
void text_template_clear();

// Steps every reader of this plug-in shares.
// Options 22 and one level, the file opened through the host: 0 or -1.
int text_open(pload* ctx, const char* filename, std::string& bytes);
// Registers the reference font with the host and makes it the raster: 0 or
// -1 after a message.
int text_reference_font(pload* ctx);
// What follows every creation of an object: designer flags 27 and 28 set,
// and for containers the reference font's raster. 0 or -1.
int text_object_made(pload* ctx, obj_hndl obj, classrec* cls, const char* path);
// Converts `text` from QX Roman-8 to ISO 8859-1 through the host; false after
// the message "Character set conversion failed".
bool text_from_file(pload* ctx, std::string& text);

int text_load(pload* ctx, const char* filename);
int form_load(pload* ctx, const char* filename);

int text_begin_obj(psave* ctx, const char* path, const char* name, const char* cls, const char* tmpl,
                   const char* sameline);
int text_end_obj(psave* ctx, const char* path, const char* trailer);
int text_write_attr(psave* ctx, const char* attr, const prop_def* def, const prop_val* val, const char* text,
                    const char* sameline);
int text_write_line(psave* ctx, const char* line);

#endif
