// The program context of the environment: the one compile context and the
// one listing context that every program document shares, one call at a
// time from the GUI thread. Each document keeps its own segment list and
// swaps it into the compile context around a call (YqApiProgram).
//
// Start-up (once per process, on first use): the statement and element
// keyword tables, the list options reset, then the colour table below. The
// output character set stays unset.
#pragma once

#include "language/compile.h"
#include "language/lister.h"

// Colour escapes of listed text: every token starts with ESC and the code of
// its kind and ends with ESC 0x01; the editor turns them into colours.
inline constexpr char kColourEsc = '\x1b';
enum : char {
  COLOUR_END = 0x01,
  COLOUR_COMMENT = 0x05,
  COLOUR_STRING = 0x0D,
  COLOUR_KEYWORD = 0x09,
  COLOUR_FUNCTION = 0x0A,
  COLOUR_OPERATOR = 0x0B,
  COLOUR_NUMBER = 0x0C,
  COLOUR_VARIABLE = 0x0E,
  COLOUR_LABEL = 0x07,
  COLOUR_LINE = 0x08,
  COLOUR_NAME = 0x06,
  COLOUR_OTHER = 0x04,
};

// Lister flags of the environment: no line number (the editor shows line
// numbers itself) and no character-set conversion.
enum { PROG_LIST_FLAGS = LIST_NO_LINE_NUMBER | LIST_NO_CONVERSION };

struct ProgContext {
  CompileContext cc;
  ListContext lc;
};

// The context, started on first use.
ProgContext& Prog_Context();

// The markup table of the colour escapes (23 texts: the default end, then a
// start and an end per token kind; every end is unset).
const char* const* Prog_ColourTable();
