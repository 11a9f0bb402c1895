// Statement-flow files (".SFA"): one execution count and one execution time
// for every line of every segment of a program.
//
// flowprime prepares a file with every line of a program and all counts and
// times 0, the run-time process fills it while the program runs, and
// flowtally reports on it.
//
// Layout (all numbers least significant byte first):
//
//   header, 10 bytes     0  8  tag "SFA v2", NUL-terminated inside the 8 bytes
//                        8  2  byte-order mark 1234
//   per segment, 32 bytes
//                        0  4  signed line count n
//                        4  4  load count of the segment (0 when prepared)
//                        8 24  segment display name, NUL-terminated
//   per line, 12 bytes, n times
//                        0  4  signed line number
//                        4  4  unsigned execution count
//                        8  4  unsigned execution time in hundredths of a second
//
// Segments follow in the order of the program's segment list, lines in the
// order of the segment's code. A file with the older tag "SFA v1" has no
// byte-order mark of its own and counts as byte order 4321, which this
// system does not read.
//
// The decoder treats a file as untrusted: every count is checked against the
// bytes that are left before anything is taken or allocated for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ProgList;

enum {
  SFA_TAG_SIZE = 8,
  SFA_HEADER_SIZE = 10,
  SFA_SEGMENT_SIZE = 32,
  SFA_NAME_SIZE = 24,                // bytes of the name field
  SFA_NAME_MAX = SFA_NAME_SIZE - 1,  // characters of a name that are written
  SFA_LINE_SIZE = 12,
  SFA_BYTE_ORDER = 1234,     // the mark of a file of this system
  SFA_BYTE_ORDER_V1 = 4321,  // what an "SFA v1" file counts as
};

extern const char sfa_tag_v2[];  // "SFA v2"
extern const char sfa_tag_v1[];  // "SFA v1"

// Results of the encoding and decoding operations.
enum sfa_status {
  SFA_OK = 0,
  SFA_ERR_HEADER_SHORT,   // fewer than 10 bytes
  SFA_ERR_TAG,            // neither "SFA v2" nor "SFA v1"
  SFA_ERR_BYTE_ORDER,     // a mark other than 1234, or an "SFA v1" file
  SFA_ERR_SEGMENT_SHORT,  // a segment record cut off by the end of the file
  SFA_ERR_LINE_COUNT,     // a negative line count
  SFA_ERR_LINE_SHORT,     // fewer line entries left than the count says
  SFA_ERR_NO_MEMORY,
  SFA_ERR_READ,       // the input could not be read (errno tells why)
  SFA_ERR_TOO_LARGE,  // a program with more than a 32-bit count of lines
};

// Text of a status, as the tools print it.
const char* sfa_message(int status);

struct sfa_line {
  int32_t lineno;
  uint32_t count;
  uint32_t time;  // hundredths of a second
};

struct sfa_segment {
  char name[SFA_NAME_SIZE + 1];  // always NUL-terminated
  int32_t loads;
  std::vector<sfa_line> lines;
};

struct sfa_file {
  std::vector<sfa_segment> segments;
};

// ---- building and writing -----------------------------------------------

// Sets a segment's name from a text: at most SFA_NAME_MAX characters, the
// rest of the field NUL.
void sfa_set_name(sfa_segment* seg, const char* text);

// Fills `out` with one segment per segment of the program, in list order,
// each named by its display name and holding one entry per code line with
// the line number (word 0 and 0x7FFF), count 0 and time 0.
// SFA_OK or SFA_ERR_NO_MEMORY.
int sfa_from_program(const ProgList* prog, sfa_file* out);

// Size in bytes of the file image of `f`; SFA_ERR_TOO_LARGE through `status`
// when a segment has more lines than a signed 32-bit count holds.
size_t sfa_image_size(const sfa_file* f, int* status);

// Builds the whole file image of `f` into `out` (replacing its content).
// SFA_OK, SFA_ERR_TOO_LARGE or SFA_ERR_NO_MEMORY.
int sfa_encode(const sfa_file* f, std::vector<uint8_t>* out);

// ---- reading ------------------------------------------------------------

// Checks the 10-byte header at the start of `data`: SFA_OK,
// SFA_ERR_HEADER_SHORT, SFA_ERR_TAG or SFA_ERR_BYTE_ORDER.
int sfa_check_header(const uint8_t* data, size_t size);

// Decodes a whole file image into `out` (replacing its content). The header
// statuses of sfa_check_header, then SFA_ERR_SEGMENT_SHORT,
// SFA_ERR_LINE_COUNT, SFA_ERR_LINE_SHORT or SFA_ERR_NO_MEMORY; `out` keeps
// the segments read before a failure.
int sfa_decode(const uint8_t* data, size_t size, sfa_file* out);

// Reads a whole open file into `bytes` (replacing its content). SFA_OK, or
// SFA_ERR_READ with errno set, or SFA_ERR_NO_MEMORY.
int sfa_read_all(int fd, std::vector<uint8_t>* bytes);
