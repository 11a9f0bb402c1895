// The request codes of the program-server catalogue and the start-up
// transaction's constants. Every request payload after the greeting begins
// with its int16 code; every reply the environment reads begins with an
// int16 status, 0 for success, otherwise followed by the server's message.
#pragma once

enum SrvRequest : int {
  SRV_REQ_CONTINUE = 2,      // continue or step (debug)
  SRV_REQ_CALL_STACK = 5,    // call stack (debug)
  SRV_REQ_DEBUG_SOURCE = 6,  // string path -> object
  SRV_REQ_BREAK = 7,         // sent one-way (debug)
  SRV_REQ_GET_ELEMENTS = 8,  // (debug)
  SRV_REQ_SET_ELEMENT = 9,   // (debug)
  SRV_REQ_LOGIN = 10,        // string login, string enciphered password
  SRV_REQ_SET_BREAKPOINTS = 11,
  SRV_REQ_REMOTE_DEBUG = 51,  // start a remote debug run
  SRV_REQ_LIST_TOP = 60,      // nothing -> directory entries
  SRV_REQ_LIST_DIR = 61,      // string dir, string pattern, int16 mode -> entries
  SRV_REQ_LOCATION = 63,      // location lookup for a debug stop
  SRV_REQ_TRANSLATE_PATH = 64,
  SRV_REQ_READ_FILE = 70,  // string path -> object
  SRV_REQ_SAVE_FILE = 71,  // string path, byte 0, container of contents
};

// The greeting.
#define SRV_GREETING_MAGIC "YQ.ZELLD"
enum : int { SRV_PROTOCOL_REVISION = 5, SRV_BYTE_ORDER_MARK = 1234 };
#define SRV_CLIENT_PLATFORM "WIN32/Ix86"
#define SRV_CLIENT_CODESET "ISO8859/1"

// Listing modes of request 61.
enum : int { SRV_LIST_ALL = 0, SRV_LIST_FILES = 1, SRV_LIST_FOLDERS = 2, SRV_LIST_ONE_FOLDER = 3 };
