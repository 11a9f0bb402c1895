// Program files: the stored form of a compiled program, its writer and its
// reader.
//
// Two layouts. The classic layout (revisions 0 and 1) is a stream of
// big-endian 16-bit words: a header word (revision 0) or a zero word and a
// 32-bit word count (revision 1), then per segment the words
// {codesz + symsz + 3, codesz, symsz}, the code words and the symbol words.
// The tagged layout (revision 2) is the signature "YQ.PROG\0\r\n" followed by
// records of a 6-byte header (tag, flag, 32-bit big-endian payload length):
//
//   header:   1 file info (byte order, character set, file size)
//             4 writer release text (optional)
//             3 password: scrambling value and MD5 digest (optional)
//             2 end of header
//   segment:  5 segment size, 7 character set (optional), 8 code,
//             9 symbols, 6 end of segment
//
// Numeric constants in symbol tables are kept in the file as 12 BCD digits
// with a sign field and a 10-bit exponent, and go back to the 8-byte packed
// form when read. Code and symbol payloads of a password-protected tagged
// file are scrambled with the digest.
//
// The writer and the reader never print: each returns a status and keeps the
// failure in a prog_error record of its context. The reader treats its input
// as untrusted: every length, count and offset is checked against what is
// left before it is used, and payloads are read before they are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "language/progseg.h"

// Language error numbers of the program file operations.
enum {
  PROG_ERR_NOMEM = 2,
  PROG_ERR_EMPTY = 46,
  PROG_ERR_NOT_AUTHORIZED = 66,
  PROG_ERR_WRITE = 90,
  PROG_ERR_FORMAT = 999,
};

// Format revisions: 0 "compatible", 1 "A.05.01", 2 "A.06.00".
enum { PROG_REV_COMPATIBLE = 0, PROG_REV_A0501 = 1, PROG_REV_TAGGED = 2 };

// Byte orders of the code and symbol words.
enum { PROG_BYTE_ORDER_BIG = 4321, PROG_BYTE_ORDER_LITTLE = 1234 };

enum {
  PROG_DIGEST_SIZE = 16,
  PROG_RELEASE_SIZE = 8,            // bytes of the release text in a file
  PROG_CLASSIC_MAX_WORDS = 0x7FFF,  // largest word count of a revision-0 file
  PROG_SIGNATURE_SIZE = 10,
  PROG_TAG_HEADER_SIZE = 6,
  PROG_SCRAMBLE_VALUE = 0x5555,
};

// Record tags of the tagged layout.
enum {
  PROG_TAG_FILE_INFO = 1,
  PROG_TAG_END_HEADER = 2,
  PROG_TAG_PASSWORD = 3,
  PROG_TAG_RELEASE = 4,
  PROG_TAG_SEGMENT = 5,
  PROG_TAG_END_SEGMENT = 6,
  PROG_TAG_CHARSET = 7,
  PROG_TAG_CODE = 8,
  PROG_TAG_SYMBOLS = 9,
};
// Flag bit of a record: a reader that does not know the tag skips it.
enum { PROG_TAG_FLAG_SKIP = 1 };

extern const unsigned char prog_signature[PROG_SIGNATURE_SIZE];

// Failure of a store or read: a language error number, its text, and where
// in the library it was found.
struct prog_error {
  int code;
  const char* message;
  const char* module;
  int line;
};

// Fills a failure record; gives -1, the failure status of the reader and the
// writer.
int prog_set_error(prog_error* error, int code, const char* message, const char* module, int line);

// What the caller chooses for a file; also what a reader found in one, so
// that a program read and stored again keeps its layout.
struct prog_options {
  int32_t revision;    // 0, 1 or 2
  int32_t byte_order;  // 4321 or 1234 (revision 2 only)
  int32_t charset;     // 0 or 1
  int32_t password;    // 1 when a password digest is given
  uint8_t digest[PROG_DIGEST_SIZE];
  char release[PROG_RELEASE_SIZE + 1];  // NUL-padded; the last byte is always NUL
};

// ---- options -----------------------------------------------------------

void yq__prog_init_options(prog_options* opt);
// With a digest: the password flag is set and the 16 bytes copied; null
// clears both.
void yq__prog_set_password(prog_options* opt, const uint8_t* digest);
// Copies at most 7 characters of the text, NUL-padded; null clears it.
void yq__prog_set_release(prog_options* opt, const char* text);
// MD5 digest of a password's bytes, in a buffer that the next call overwrites.
const uint8_t* prog_pswd_digest(const char* text, size_t length);

// ---- writer ------------------------------------------------------------

// The store context. `mem` is the image while a write builds it.
struct prog_hdr {
  uint8_t* mem;
  size_t size;
  prog_error error;
  prog_options options;
  uint8_t scramble[2];
  uint64_t hdr_words;
  uint64_t total_words;
  const ProgList* prog;
};

// Prepares storing a program with the options (null: the defaults) and
// works out the image size. 0, or -1 with the error record filled.
int yq__prog_init_store(prog_hdr* hdr, const ProgList* prog, const prog_options* opt);
// Image size in bytes worked out by yq__prog_init_store.
size_t yq__prog_image_size(const prog_hdr* hdr);
// Builds the image into a buffer of yq__prog_image_size bytes.
// 0, or -1 with the error record filled.
int yq__prog_store_mem(prog_hdr* hdr, uint8_t* buffer);
// Builds the image and writes it to an open file in one piece.
// 0, or -1 with the error record filled (90 when the file took fewer bytes).
int yq__prog_write(prog_hdr* hdr, FILE* out);
const prog_error* yq__prog_error(const prog_hdr* hdr);

// ---- reader ------------------------------------------------------------

struct prog_reader {
  FILE* file;          // file input, or null for memory input
  const uint8_t* mem;  // memory input
  uint64_t limit;      // logical size in bytes; 0 while unknown
  prog_error error;
  prog_options info;  // what the header said
  uint8_t scramble[2];
  int verified;  // the password check succeeded
  uint64_t hdr_words;
  uint64_t total_words;
  uint64_t offset;     // next byte to read
  uint64_t remaining;  // bytes left before the logical end, once the limit is known
  ProgList* prog;      // the segments read go here
};

// Attaches an open file (read from its start) and reads the header. Segments
// read later are appended to `prog`. 0 ready, 1 ready with a warning in the
// error record, -1 error.
int yq__prog_read_init(FILE* in, prog_reader* rd, ProgList* prog);
// The same for a block of memory of `size` bytes, which the caller keeps
// until reading ends.
int yq__prog_read_init_mem(const void* block, size_t size, prog_reader* rd, ProgList* prog);
// 1 when the file has no password or the digest equals the stored one (then
// the reader counts as verified); 0 otherwise, also for a null digest on a
// protected file. Call it before the segments are read.
int yq__prog_check_password(prog_reader* rd, const uint8_t* digest);
// Frees the list's segments and reads all segments of the file into it.
// 0, or -1 with every segment freed.
int yq__prog_read(prog_reader* rd);
// Reads one segment and appends it to the list, or passes over it with
// `skip` set. 0, or -1.
int yq__prog_read_segment(prog_reader* rd, int skip);
const prog_options* yq__prog_read_info(const prog_reader* rd);
const prog_error* yq__prog_read_error(const prog_reader* rd);

// ---- constants in the file form -----------------------------------------

// Turns the packed value of a class-0 symbol entry (4 words, in-memory
// order) into the 4 file-form words and gives the new type word for the
// entry.
uint16_t prog_constant_to_file(uint16_t type, const uint16_t* packed_words, uint16_t* file_words);
// Turns 4 file-form words back into packed words. False when a BCD digit is
// not a decimal digit or the value lies outside the range of numbers.
bool prog_constant_from_file(const uint16_t* file_words, uint16_t* packed_words);
