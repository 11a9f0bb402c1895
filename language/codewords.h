// The code words of a stored program line.
//
// The grammar's actions emit them, the code generator wraps and rewrites
// them, the segment code walks lines and symbol entries by them and the lister
// turns them back into text. Every word that more than one of them knows is
// named here, once; statement and function codes that only the keyword tables
// carry stay in those tables.
//
// A stored line: the line-number word, the header word (keyword column in the
// high byte, the line's word count in the low byte), an optional label
// reference, the statement word and its argument words. Inside the arguments a
// word is a symbol reference (CW_SYMBOL_REF | offset), a string constant
// (CW_STRING | length, then the characters two to a word), an operation result
// (CW_OP_RESULT_BASE + 4 * k), a code word below, or a plain value that the
// statement's form places there.
#pragma once

#include <cstdint>

enum codeword : uint32_t {
  // Prefixes and word kinds.
  CW_EXTENSION_BIT = 0x8000,   // a statement or word of an extension module
  CW_STMT_PREFIX = 0x0932,     // precedes a statement code with bit 15 set
  CW_OP_PREFIX = 0x093A,       // precedes an operation code with bit 15 set
  CW_SYMBOL_REF = 0x8000,      // symbol reference: this bit | offset in the table
  CW_STRING = 0xFF00,          // string constant: this | length, then the characters
  CW_OP_RESULT_BASE = 0x79ED,  // result of operation k of the statement: this + 4 * k
  CW_PLAIN_LIMIT = 0x0100,     // words below this are plain values, not code words

  // Statement words the parser sets or the lister tells apart.
  CW_IMPLIED_LET = 0x06B4,         // assignment without LET
  CW_REM = 0x059F,                 // REM comment
  CW_BANG = 0x0227,                // "! " comment
  CW_COM = 0x029D,                 // COM declaration
  CW_IF_BLOCK = 0x0ABF,            // IF without THEN: opens a block
  CW_LOAD_START = 0x0433,          // LOAD with a start line
  CW_RESTORE_COMPATIBLE = 0x0564,  // RE-STORE in the compatible layout
  CW_STORE_PROTECTED = 0x0679,     // STORE with a protection word
  CW_TOTALS_COUNT = 0x8000,        // count of TOTALS ON items, bit 15 set

  // Punctuation.
  CW_END_STMT = 0x08C0,       // end of statement ("<EOL>")
  CW_OPEN_PAREN = 0x09DC,     // "(" of a parenthesised argument
  CW_CLOSE_PAREN = 0x08CC,    // ")"
  CW_CLOSE_BRACKET = 0x08D4,  // "]"
  CW_COMMA = 0x08D0,          // "," between arguments
  CW_SEMICOLON = 0x08C8,      // ";"
  CW_COLON = 0x08C4,          // ":"
  CW_PRINT_COMMA = 0x0968,    // "," between DISP and PRINT items
  CW_HASH = 0x09E2,           // "#" before a file number
  CW_FILE_NUMBER = 0x0A00,    // "#" before a file-number expression
  CW_FILE_PARAM = 0x0A05,     // "#" of a file parameter
  CW_CALL_ARGS = 0x9FED,      // "(" before the arguments of DLG CALL
  CW_PACK_SKIP = 0x8430,      // "X" of a PACKFMT skip item
  CW_CHAR_HASH = 0x0023,      // "#" of the further keys in ON KEY
  CW_CHAR_STAR = 0x002A,      // "*" of ASSIGN
  CW_CHAR_COMMA = 0x002C,     // "," between REDIM items

  // Keyword parts.
  CW_CALL = 0x06D1,      // "CALL" of a subprogram call
  CW_TO = 0x0825,        // " TO "
  CW_THEN = 0x081E,      // " THEN "
  CW_STEP = 0x0816,      // " STEP "
  CW_END = 0x06EF,       // "END"
  CW_ON = 0x07A1,        // " ON "
  CW_FN_VALUE = 0x09FC,  // "=" giving a function definition's value

  // Numeric operators.
  CW_NEGATE = 0x086A,    // "-" of one operand
  CW_SUBTRACT = 0x086E,  // "-"
  CW_ADD = 0x0872,       // "+"
  CW_MULTIPLY = 0x0876,  // "*"
  CW_DIVIDE = 0x087A,    // "/"
  CW_POWER = 0x089A,     // "^"
  CW_DIV = 0x06E0,       // " DIV "
  CW_MOD = 0x0785,       // " MOD "
  CW_LT = 0x087E,        // "<"
  CW_LE = 0x0882,        // "<="
  CW_GT = 0x0886,        // ">"
  CW_GE = 0x088A,        // ">="
  CW_EQ = 0x088E,        // "=" as a comparison
  CW_NE = 0x0892,        // "<>"
  CW_LET_NUM = 0x0896,   // "=" of a numeric assignment
  CW_NOT = 0x078C,       // "NOT "
  CW_AND = 0x06C2,       // " AND "
  CW_EXOR = 0x070D,      // " EXOR "
  CW_OR = 0x07A8,        // " OR "

  // String operators.
  CW_CONCAT = 0x08BA,   // "&", also for "+" between strings
  CW_STR_NE = 0x089E,   // "<>"
  CW_STR_LT = 0x08A2,   // "<"
  CW_STR_EQ = 0x08A6,   // "="
  CW_STR_GT = 0x08AA,   // ">"
  CW_STR_GE = 0x08AE,   // ">="
  CW_STR_LE = 0x08B2,   // "<="
  CW_LET_STR = 0x08B6,  // "=" of a string assignment

  // Operand forms (no text of their own).
  CW_STR_LITERAL = 0x08BD,          // string literal
  CW_NUM_VALUE = 0x08E9,            // numeric value
  CW_NUM_TARGET = 0x08E6,           // numeric variable as target
  CW_STR_VAR = 0x08E3,              // string variable
  CW_NUM_SUBSCRIPT = 0x08DD,        // subscripted numeric variable
  CW_NUM_SUBSCRIPT_USE = 0x08DA,    // subscripted numeric variable as value or target
  CW_NUM_SUBSCRIPT_ARG = 0x08E0,    // subscripted numeric variable passed to a subprogram
  CW_NUM_VAR_ARG = 0x08EC,          // numeric variable passed to a subprogram
  CW_STR_SUBSCRIPT = 0x08D7,        // subscripted string variable
  CW_SUBSTRING = 0x08F8,            // substring of a string variable
  CW_SUBSCRIPT_SUBSTRING = 0x08FB,  // substring of a subscripted string
  CW_STR_VAR_ARG = 0x08FE,          // string variable passed to a subprogram
  CW_MAT_NUM_ENTRY = 0x0901,        // numeric entry of a MAT list
  CW_MAT_STR_ENTRY = 0x0904,        // string entry of a MAT list
  CW_START_LABEL = 0x0907,          // start-line label

  // Substring bounds.
  CW_SUBSTR_ONE = 0x08EF,       // "[" with one bound
  CW_SUBSTR_FROM_TO = 0x08F2,   // "[" from "," to
  CW_SUBSTR_FROM_LEN = 0x08F5,  // "[" from ";" length

  // Declarations.
  CW_DIM_OPEN = 0x0916,        // "(" of array bounds
  CW_DIM_RANGE = 0x091C,       // ":" between a lower and an upper bound
  CW_DIM_COMMA = 0x091F,       // "," between bounds
  CW_DIM_CLOSE = 0x0922,       // ")" after the bounds
  CW_DECL_LENGTH = 0x0919,     // "[" of a string length
  CW_DECL_COMMA = 0x0925,      // "," between declared names
  CW_REDIM_OPEN = 0x090A,      // "(" of redimensioned bounds
  CW_REDIM_LENGTH = 0x0913,    // "[" of a computed string length
  CW_COM_STRING = 0x0910,      // string scalar in COM
  CW_COM_ALL_DIMS = 0x090D,    // "(*)"
  CW_PARAM_REAL = 0x0A0C,      // "REAL " of a parameter
  CW_PARAM_SHORT = 0x0A13,     // "SHORT " of a parameter
  CW_PARAM_INTEGER = 0x0A1B,   // "INTEGER " of a parameter
  CW_PARAM_DINTEGER = 0x9FE4,  // "DINTEGER " of a parameter
  CW_PARAM_NUMERIC = 0x9FE5,   // "NUMERIC " of a parameter
  CW_COM_REAL = 0x07C5,        // "REAL " in COM
  CW_COM_INTEGER = 0x074C,     // "INTEGER " in COM
  CW_COM_DINTEGER = 0x9FE6,    // "DINTEGER " in COM
  CW_COM_SHORT = 0x07F9,       // "SHORT " in COM

  // CASE.
  CW_CASE_LT = 0x0B3B,        // "<"
  CW_CASE_GT = 0x0B40,        // ">"
  CW_CASE_NEGATIVE = 0x0B44,  // a negative constant follows

  // Structures.
  CW_AS = 0x2003,            // " AS "
  CW_TYPE_COLON = 0x2004,    // ":" between a name and its type
  CW_TYPE_EXTENDS = 0x2002,  // " EXTENDS " of TYPE
  CW_MEMBER = 0x2005,        // "." of a member
  CW_STRUCT = 0x2006,        // "STRUCT "
  CW_STRUCT_ARG = 0x2007,    // "STRUCT " of a parenthesised argument
  CW_IS_A = 0x2008,          // " IS A "
  CW_STRUCT_LET = 0x2010,    // "=" of a structure assignment

  // MAT.
  CW_MAT_DOT = 0xB49B,  // "." dot product

  // Context words of single statements.
  CW_ON_GOSUB = 0x072A,          // " GOSUB " after ON
  CW_ON_GOTO = 0x0737,           // " GOTO " after ON
  CW_ON_CALL = 0x09F8,           // " CALL " after ON
  CW_BRANCH_GOTO = 0x09E9,       // " GOTO " of an interrupt branch
  CW_BRANCH_GOSUB = 0x09F1,      // " GOSUB " of an interrupt branch
  CW_CURSOR_IF_FILE = 0x09A1,    // "IF#" of CURSOR
  CW_CURSOR_OF_FILE = 0x09A8,    // "OF#" of CURSOR
  CW_CURSOR_CF_FILE = 0x09AF,    // "CF#" of CURSOR
  CW_LINK = 0x8C39,              // " LINK " of a thread item
  CW_DSET_SKIP = 0x889D,         // "SKP " of IN DATA SET
  CW_DSET_IN_COM = 0x88CA,       // " IN COM" of IN DATA SET
  CW_DSET_USE = 0x88D1,          // " USE " of IN DATA SET
  CW_DSET_DEFINE_TYPE = 0x88D2,  // " DEFINE TYPE "
  CW_DSET_EXTENDS = 0x88D3,      // " EXTENDS " of a data set type
  CW_DSET_EXPORT_TYPE = 0x88D4,  // " EXPORT TYPE "
};

// Limits of one statement.
inline constexpr int CW_MAX_OPERATIONS = 40;  // operation results per statement

// Fields of the words of a stored line.
inline constexpr uint32_t CW_LINE_NUMBER_MASK = 0x7FFF;  // line-number word
inline constexpr uint32_t CW_LINE_WORDS_MASK = 0x00FF;   // header word: words in the line
inline constexpr uint32_t CW_OFFSET_MASK = 0x7FFF;       // symbol reference: offset
inline constexpr uint32_t CW_LENGTH_MASK = 0x00FF;       // string constant: length
inline constexpr uint32_t CW_WORD_MASK = 0xFFFF;         // one 16-bit word

// Words of a symbol-table entry.
inline constexpr uint16_t CW_SYM_UNPLACED = 0xFFFF;  // address word not yet filled
inline constexpr uint16_t CW_SYM_CONSTANT = 0x0006;  // type word of a numeric constant
inline constexpr uint16_t CW_SYM_LINE_REF = 0x1003;  // type word of a line-number reference

inline bool cw_is_symbol_ref(uint32_t w) { return (w & CW_SYMBOL_REF) != 0 && w < CW_STRING; }
inline bool cw_is_string(uint32_t w) { return w >= CW_STRING; }
inline uint32_t cw_op_result(int k) { return CW_OP_RESULT_BASE + 4u * static_cast<uint32_t>(k); }
// The 16-bit word that holds a value modulo 2^16 (negative constants of CASE).
inline uint32_t cw_word(int64_t value) { return static_cast<uint32_t>(value) & CW_WORD_MASK; }
