// FORM files: character-screen forms of lines of text cells with display
// enhancements, input fields and output fields. This reader turns the bytes
// of a file into cells and the layout that the import builds a dialog from.
//
// All integers are 16-bit big-endian words. The file holds, in this order:
//   - a header of 7 words: 0 three times the number of lines, 1 the size of
//     the text area in 256-byte blocks, 2 the size of the first area (header
//     and field tables) in 256-byte blocks, 3 unused, 4 to 6 the running ends
//     of three field tables (table A has word 4 - 6 entries, table B, the
//     input fields, word 5 - word 4, table C, the output fields, word 6 -
//     word 5; A and B have the same count);
//   - the field tables, one word per entry (line number from 1 in the high
//     byte, column from 1 in the low byte), A, B, C, in the rest of the first
//     area;
//   - the line table, word 0 x 256 bytes: a record of 3 words per line, the
//     first the word offset of the line's record in the text area;
//   - the text area, word 1 x 256 bytes.
// A line record is 0xFC 0xFE, then control bytes (0x84 to 0x87 the field
// type of the following cells: plain, output, input, both; 0xFD a text run up
// to the next 0xFC, one cell per byte; 0xFF the end of the line; any other the
// attribute number in bits 3 to 6 and the character mode in bits 0 and 1).
//
// Every size and offset is checked against the bytes there are before
// anything is read or allocated: a file that does not add up is not a FORM
// file, whatever it claims.
#ifndef VARNICA_PLUGINS_FORMFILE_H
#define VARNICA_PLUGINS_FORMFILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum FormField { FORM_PLAIN = 0, FORM_INPUT = 1, FORM_OUTPUT = 2, FORM_BOTH = 3 };

struct FormCell {
  uint8_t field = FORM_PLAIN;  // FormField
  uint8_t kind = 0;            // 0 text, 1 and 2 line drawing
  uint8_t attr = 0;            // attribute number
  uint8_t code = 0;            // character code (QX Roman-8)
};

struct FormPos {
  int line = 0;    // from 1
  int column = 0;  // from 1
};

struct Form {
  std::vector<std::vector<FormCell>> lines;
  std::vector<FormPos> table_a;  // read, not used
  std::vector<FormPos> inputs;   // table B
  std::vector<FormPos> outputs;  // table C
  size_t width = 0;              // cells of the longest line
};

enum FormStatus { FORM_OK = 0, FORM_NOT_FORM = 1, FORM_NO_MEMORY = 2 };

// Reads a whole file. FORM_NOT_FORM for any misfit; `out` is then partial.
FormStatus form_parse(const uint8_t* data, size_t size, Form& out);

// A static text: position from 1, text in QX Roman-8 (quotes made single).
struct FormText {
  int x = 0, y = 0;
  std::string text;
};

// An edit field: position from 1 and width in cells.
struct FormEdit {
  int x = 0, y = 0, width = 0;
};

// Longest static text.
enum { FORM_MAX_TEXT = 160 };

// The objects of a form: static texts line by line, input fields (table B)
// and output fields (table C) not on input cells.
void form_layout(const Form& form, std::vector<FormText>& texts, std::vector<FormEdit>& inputs,
                 std::vector<FormEdit>& outputs);

#endif
