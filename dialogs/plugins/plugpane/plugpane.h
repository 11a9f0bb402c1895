// Internals of the VUZ dialog plug-in: the file-type entries of ".idm" files
// and the settings the reader uses.
#ifndef VARNICA_PLUGINS_PLUGPANE_H
#define VARNICA_PLUGINS_PLUGPANE_H

#include "workbench/dialogs/document/dlgplugin.h"

// Font variant chosen by font blocks (profile "FontVariant", default 1).
extern int pane_font_variant;
// Colour variant (profile "ColorVariant", default 1); kept for the setup.
extern int pane_color_variant;

// Reads a VUZ source through the reader context: 0, or -1 after a message.
int pane_load(pload* ctx, const char* filename);

int pane_begin_obj(psave* ctx, const char* path, const char* name, const char* cls, const char* tmpl,
                   const char* sameline);
int pane_end_obj(psave* ctx, const char* path, const char* trailer);
int pane_write_attr(psave* ctx, const char* attr, const prop_def* def, const prop_val* val, const char* text,
                    const char* sameline);
int pane_write_line(psave* ctx, const char* line);

#endif
