// The layout of the plug-in records as one table, so that the C and the C++
// compilation of dlgplugin.h can be compared field by field.
#pragma once

// Each ROW: record, field, expected offset; each SIZE: record, expected size.
#define DLGPLUGIN_LAYOUT(ROW, SIZE)                \
  ROW(obj_hndl, data, 0)                           \
  SIZE(obj_hndl, 8)                                \
  ROW(prop_val, type, 0)                           \
  ROW(prop_val, data, 8)                           \
  SIZE(prop_val, 16)                               \
  ROW(prop_def, name, 0)                           \
  ROW(prop_def, category, 8)                       \
  ROW(prop_def, kind, 16)                          \
  ROW(prop_def, type, 20)                          \
  ROW(prop_def, flags, 24)                         \
  ROW(prop_def, group, 28)                         \
  ROW(prop_def, native, 32)                        \
  ROW(prop_def, gui, 40)                           \
  ROW(prop_def, count, 48)                         \
  ROW(prop_def, index, 52)                         \
  ROW(prop_def, defval, 56)                        \
  SIZE(prop_def, 64)                               \
  ROW(classrec, name, 0)                           \
  ROW(classrec, flags, 8)                          \
  ROW(classrec, w_char_offset, 12)                 \
  ROW(classrec, w_edge_offset, 16)                 \
  ROW(classrec, class_section, 24)                 \
  ROW(classrec, attr_section, 32)                  \
  SIZE(classrec, 40)                               \
  ROW(font_info, id, 0)                            \
  ROW(font_info, text, 8)                          \
  ROW(font_info, size, 16)                         \
  ROW(font_info, style, 20)                        \
  ROW(font_info, sample, 24)                       \
  ROW(font_info, wexpr, 32)                        \
  ROW(font_info, hexpr, 40)                        \
  ROW(font_info, hndl, 48)                         \
  ROW(font_info, cx, 56)                           \
  ROW(font_info, cy, 60)                           \
  SIZE(font_info, 64)                              \
  ROW(gui_info, wc, 0)                             \
  ROW(gui_info, setws, 8)                          \
  ROW(gui_info, clrws, 16)                         \
  ROW(gui_info, setws_ex, 24)                      \
  ROW(gui_info, clrws_ex, 32)                      \
  ROW(gui_info, data, 40)                          \
  ROW(gui_info, setflags, 48)                      \
  ROW(gui_info, clrflags, 56)                      \
  SIZE(gui_info, 64)                               \
  ROW(obj_create, name, 0)                         \
  ROW(obj_create, path, 8)                         \
  ROW(obj_create, parent, 16)                      \
  ROW(obj_create, clone, 24)                       \
  ROW(obj_create, tmpl, 32)                        \
  ROW(obj_create, cls, 40)                         \
  ROW(obj_create, flags, 48)                       \
  ROW(obj_create, gui, 56)                         \
  SIZE(obj_create, 120)                            \
  ROW(prop_set, obj, 0)                            \
  ROW(prop_set, path, 8)                           \
  ROW(prop_set, def, 16)                           \
  ROW(prop_set, val, 24)                           \
  ROW(prop_set, index, 32)                         \
  ROW(prop_set, flag27, 40)                        \
  ROW(prop_set, flag28, 48)                        \
  ROW(prop_set, font, 56)                          \
  ROW(prop_set, rasterX, 64)                       \
  ROW(prop_set, rasterY, 72)                       \
  ROW(prop_set, xleft, 80)                         \
  ROW(prop_set, ytop, 88)                          \
  ROW(prop_set, xright, 96)                        \
  ROW(prop_set, ybottom, 104)                      \
  ROW(prop_set, width, 112)                        \
  ROW(prop_set, height, 120)                       \
  ROW(prop_set, hattach, 128)                      \
  ROW(prop_set, vattach, 136)                      \
  ROW(prop_set, name, 144)                         \
  ROW(prop_set, text, 152)                         \
  ROW(prop_set, visible, 160)                      \
  ROW(prop_set, reclass, 168)                      \
  SIZE(prop_set, 176)                              \
  ROW(pload, FileName, 0)                          \
  ROW(pload, Text, 1024)                           \
  ROW(pload, Size, 1032)                           \
  ROW(pload, Line, 1036)                           \
  ROW(pload, IncludeDepth, 1040)                   \
  ROW(pload, Nesting, 1044)                        \
  ROW(pload, Options, 1048)                        \
  ROW(pload, Lexer, 1056)                          \
  ROW(pload, Levels, 1064)                         \
  ROW(pload, Open, 1072)                           \
  ROW(pload, Close, 1080)                          \
  ROW(pload, Error, 1088)                          \
  ROW(pload, RefFont, 1096)                        \
  ROW(pload, TextLine, 1104)                       \
  ROW(pload, BeginObject, 1112)                    \
  ROW(pload, EndObject, 1120)                      \
  ROW(pload, FindChild, 1128)                      \
  ROW(pload, DropTemporary, 1136)                  \
  ROW(pload, GetClassRec, 1144)                    \
  ROW(pload, SetClassRec, 1152)                    \
  ROW(pload, SetProp, 1160)                        \
  ROW(pload, FindPropDef, 1168)                    \
  ROW(pload, DefConst, 1176)                       \
  ROW(pload, NamedValue, 1184)                     \
  ROW(pload, DefFont, 1192)                        \
  SIZE(pload, 1200)                                \
  ROW(psave, Depth, 0)                             \
  ROW(psave, WriteLine, 8)                         \
  ROW(psave, Error, 16)                            \
  SIZE(psave, 24)                                  \
  ROW(PluginFileType, Name, 0)                     \
  ROW(PluginFileType, Ext, 8)                      \
  ROW(PluginFileType, Kind, 16)                    \
  ROW(PluginFileType, Load, 24)                    \
  ROW(PluginFileType, BeginObj, 32)                \
  ROW(PluginFileType, EndObj, 40)                  \
  ROW(PluginFileType, WriteAttr, 48)               \
  ROW(PluginFileType, WriteLine, 56)               \
  SIZE(PluginFileType, 64)                         \
  ROW(PluginCallbacks, CheckPath, 0)               \
  ROW(PluginCallbacks, CheckIdentifier, 8)         \
  ROW(PluginCallbacks, SetAttrValue, 16)           \
  ROW(PluginCallbacks, ValueText, 24)              \
  ROW(PluginCallbacks, MaxRootSize, 32)            \
  ROW(PluginCallbacks, DefaultSize, 40)            \
  ROW(PluginCallbacks, FirstAttrDef, 48)           \
  ROW(PluginCallbacks, NextAttrDef, 56)            \
  SIZE(PluginCallbacks, 64)                        \
  ROW(PluginHostCallbacks, Failure, 0)             \
  ROW(PluginHostCallbacks, Trace, 8)               \
  ROW(PluginHostCallbacks, FindObjProp, 16)        \
  ROW(PluginHostCallbacks, FindClassProp, 24)      \
  ROW(PluginHostCallbacks, GetProp, 32)            \
  ROW(PluginHostCallbacks, SetGuiInfo, 40)         \
  ROW(PluginHostCallbacks, ConvertCharset, 48)     \
  ROW(PluginHostCallbacks, FileExists, 56)         \
  ROW(PluginHostCallbacks, GetProfileString, 64)   \
  ROW(PluginHostCallbacks, GetProfileInt, 72)      \
  ROW(PluginHostCallbacks, WriteProfileString, 80) \
  ROW(PluginHostCallbacks, WriteProfileInt, 88)    \
  SIZE(PluginHostCallbacks, 96)                    \
  ROW(PluginDesc, Version, 0)                      \
  ROW(PluginDesc, Number, 4)                       \
  ROW(PluginDesc, Category, 8)                     \
  ROW(PluginDesc, Ident, 16)                       \
  ROW(PluginDesc, Description, 24)                 \
  ROW(PluginDesc, Revision, 32)                    \
  ROW(PluginDesc, Date, 40)                        \
  ROW(PluginDesc, Module, 48)                      \
  ROW(PluginDesc, FilterTitle, 56)                 \
  ROW(PluginDesc, DefaultType, 64)                 \
  ROW(PluginDesc, FileTypes, 72)                   \
  ROW(PluginDesc, NumFileTypes, 80)                \
  ROW(PluginDesc, Plugin, 88)                      \
  ROW(PluginDesc, Host, 152)                       \
  SIZE(PluginDesc, 248)
