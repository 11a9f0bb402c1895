// The segment-storage side of the store tool: where a compiled line goes in
// the program, inserting its code words, appending its symbols, and the
// listing of the segments.
//
// The line compiler reaches these operations through the host table of its
// compile context. A size limit or a failed allocation is fatal for the run:
// the operation fails the line and leaves the message in `fatal`, which the
// tool reports before it stops.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "language/context.h"
#include "language/progseg.h"

// Called with the words of every line that is stored (the tool's hex dump).
using StoreInsertHook = void (*)(void* user, const uint16_t* words, size_t count);

struct StoreSegments {
  CompileContext* cc = nullptr;
  const char* fatal = nullptr;  // set once a storage operation hit a fatal failure
  StoreInsertHook on_insert = nullptr;
  void* user = nullptr;
};

// Creates the root segment of the context's program (false when that fails)
// and installs the operations below as the context's host.
bool store_segments_init(StoreSegments* ss, CompileContext* cc);

// The segment and word position where the line `lineno` belongs. Walking the
// segments from the root, the position of the first line whose number is not
// below `lineno`, else the end of the last segment. Without `exact_only`, a
// line that would open a segment after the root joins the end of the segment
// before it. True when a line with exactly that number is at the position.
bool seg_find_line(StoreSegments* ss, int lineno, bool exact_only, ProgSegment** seg, uint32_t* pos);

// Inserts one compiled line at a word offset of a segment's code; its word
// count is the low byte of its second word. False (with `fatal` set) when the
// code would exceed its maximum or cannot grow.
bool seg_insert_code(StoreSegments* ss, ProgSegment* seg, uint32_t offset, const uint16_t* words);

// Appends symbol words to a segment's table; nothing for a count of 0. False
// (with `fatal` set) when the table would exceed its maximum or cannot grow.
bool seg_add_symbols(StoreSegments* ss, ProgSegment* seg, const uint16_t* words, size_t count);

// Text of one stored line in a listing.
using StoreLineText = void (*)(void* user, ProgSegment* seg, const uint16_t* line, std::string* out);

// The listing: for every segment an empty line and then its lines (through
// `line_text`; without one, a line shows its number and its code words in
// hex), then the segment list with each segment's name, address, first line
// number, and code and symbol sizes in bytes.
void store_listing(const ProgList* prog, StoreLineText line_text, void* user, std::string* out);
