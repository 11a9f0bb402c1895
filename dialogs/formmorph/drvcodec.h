// Requests and responses of the dialog-server protocol and their bodies.
//
// Every integer is a 32-bit big-endian word. A frame is a length word that
// counts itself, then the body: a fixed part of 22 words (88 bytes) and a
// string area. Word 0 is the body length, word 1 0 in a request and the
// error word in a response (non-zero makes it invalid), word 2 the request
// or response code, words 3 to 21 the arguments or results. Strings sit in
// the area with their NUL, padded with zeros to whole words; a string word
// holds the string's offset in the area plus 1 (0 in a response: no string,
// read as empty). A value is a type word (0 void, 1 integer, 2 string) and a
// value word; callers of this module use the kinds DRV_TEXT (1) and
// DRV_INTEGER (2) instead, and the codec swaps them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Request codes.
enum DrvRequestCode {
  DMDRV_STOP = 2,
  DMDRV_DEBUG = 3,
  DMDRV_NEW = 4,
  DMDRV_DEL = 5,
  DMDRV_SET = 6,
  DMDRV_GET = 7,
  DMDRV_LOAD = 8,
  DMDRV_DRAW = 9,
  DMDRV_DO = 10,
  DMDRV_POPUP = 13,
  DMDRV_RULE = 14,
  DMDRV_FUNC = 15,
  DMDRV_ASYNC = 16,
  DMDRV_HELP = 17,
};

// The status response; the other responses carry their request's code.
enum { DMDRV_STATUS = 12 };

// Results of the client's operations.
enum DrvResult {
  DRV_OK = 0,
  DRV_ERR_START = 31,     // start refused, connection not made
  DRV_ERR_MEMORY = 32,    // buffer length 0 or no memory
  DRV_ERR_NAME = 33,      // no active driver of that name
  DRV_ERR_SIZE = 34,      // the request does not fit the buffer
  DRV_ERR_BROKEN = 35,    // send or receive failed; the connection is closed
  DRV_ERR_PROTOCOL = 36,  // unexpected or invalid response, bad value type
};

// Value kinds of the callers.
enum DrvKind { DRV_VOID = 0, DRV_TEXT = 1, DRV_INTEGER = 2 };
// Value types on the wire.
enum DrvWireType { DRV_WIRE_VOID = 0, DRV_WIRE_INT = 1, DRV_WIRE_STRING = 2 };

enum {
  DRV_FIXED_WORDS = 22,
  DRV_FIXED_SIZE = 88,
  DRV_MAX_ARGS = 8,       // values of a rule or function call
  DRV_POPUP_BUTTONS = 5,  // button texts of a popup
};

struct DrvValue {
  int32_t kind = DRV_VOID;  // DrvKind; anything else is refused when sent
  int32_t number = 0;
  std::string text;
};

// One request. Which fields a code uses:
//   STOP: none; DEBUG, ASYNC: number; NEW: path, name (class); DEL, GET,
//   DRAW, DO: path; SET: path, value; LOAD: name (file); HELP: name (tag);
//   RULE: name (rule), path, argc, args; FUNC: name (function), argc, args;
//   POPUP: number (style), number2 (button style), path (parent), x, y,
//   name (title), text, buttons (at most 5, a missing one sends 0),
//   number3 (default button).
struct DrvRequest {
  int32_t code = 0;
  std::string path;
  std::string name;
  std::string text;
  int32_t number = 0;
  int32_t number2 = 0;
  int32_t number3 = 0;
  int32_t x = 0;
  int32_t y = 0;
  DrvValue value;
  int32_t argc = 0;
  DrvValue args[DRV_MAX_ARGS];
  std::vector<std::string> buttons;
};

// One decoded response. Word 3 is the status (or result, or mode), word 4
// the second result; GET, RULE and FUNC bring a value (words 4 and 5), DO a
// string (word 5).
struct DrvResponse {
  int32_t code = 0;
  int32_t status = 0;
  int32_t second = 0;
  DrvValue value;
  std::string text;
};

// Encodes `request` as a whole frame (length word and body) into `frame`.
// DRV_ERR_SIZE when the frame would exceed `capacity` bytes; DRV_ERR_PROTOCOL
// for an unknown request code, a bad value kind or more than DRV_MAX_ARGS
// values (each traced). 0 on success.
int drv_hton(const DrvRequest& request, size_t capacity, std::vector<unsigned char>& frame);

// Decodes a response body of `size` bytes. DRV_ERR_PROTOCOL (traced) when it
// is shorter than the fixed part, its word 0 is not its size, its error word
// is set, its code is unknown, a value type is bad, or a string lies outside
// the area or lacks its NUL. Reads nothing outside the body.
int drv_ntoh(const unsigned char* body, size_t size, DrvResponse* response);

// Big-endian words.
void drv_put_word(unsigned char* at, uint32_t value);
uint32_t drv_get_word(const unsigned char* at);
