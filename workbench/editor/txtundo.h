// Undo records of the text object. Each record holds what is needed to make
// its change again and to reverse it exactly, byte for byte.
#pragma once

#include <string>

#include "workbench/editor/txtactionrecord.h"
#include "workbench/editor/txtarearecord.h"
#include "workbench/editor/txtchangerecord.h"
#include "workbench/editor/txtliferecord.h"
#include "workbench/editor/txtundorecord.h"

void Txt_TraceRecord(const TextUndoRecord* rec, const char* reason);
void Txt_Trace(int level, const std::string& text);
