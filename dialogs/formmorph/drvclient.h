// The client of a remote dialog server (the "driver"): one active driver,
// known by a name of at most 15 characters, with one connection and one
// buffer. Every operation returns 0 or a DrvResult code (drvcodec.h);
// messages are trace lines of category 'G'.
//
// Driver specifications:
//   "@name", "runsrv://name"             ask the runsrv service of that name
//                                        to start a dialog server that
//                                        connects back to us (no greeting);
//   "zelldlg://host[:service]", "dlg://host[:service]", "host[:service]"
//                                        connect directly.
// The name (or host part) is first looked up in "zell.ini", section of that
// name, key "dlg"; a value found there replaces the driver string once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/formmorph/drvcodec.h"

enum {
  DRV_NAME_MAX = 15,
  DRV_BUFFER_EXTRA = 120,  // added to the requested buffer length
  DRV_HOST_MAX = 255,
  DRV_SERVICE_MAX = 31,
  DRV_SPEC_MAX = 127,           // a driver string taken from "zell.ini"
  DRV_ASYNC_STATUS_BIAS = 649,  // added to a pending asynchronous status
  DRV_ACCEPT_SECONDS = 60,      // wait for a reverse connection
  // The greeting, and the whole answer to a request, must come within this
  // many seconds of the request (DO and POPUP, which wait for the user, only
  // once the answer has begun); status responses skipped while one answer
  // is awaited are at most DRV_MAX_SKIPPED_STATUS. Beyond either the
  // connection is closed and the request fails with DRV_ERR_BROKEN.
  DRV_ANSWER_SECONDS = 60,
  DRV_MAX_SKIPPED_STATUS = 1000,
};

struct DrvClient {
  std::string ini_path;  // "zell.ini"; empty: none
  int accept_timeout_ms = DRV_ACCEPT_SECONDS * 1000;
  int answer_timeout_ms = DRV_ANSWER_SECONDS * 1000;

  // State of the active driver.
  bool active = false;
  std::string name;
  int sock = -1;
  size_t buffer_size = 0;
  std::vector<unsigned char> buffer;
  int32_t async_mode = 0;
  int32_t pending = 0;  // first non-zero asynchronous status since asked
};

// Starts the driver `name` from `spec`, with a buffer of `buffer_length` +
// 120 bytes and the extra arguments that a reverse connection passes on.
// 0 at once when `name` is already the active driver.
int drv_start(DrvClient* c, const char* name, const char* spec, int buffer_length,
              const std::vector<std::string>& extra);
// Closes the connection of the active driver `name`.
int drv_stop(DrvClient* c, const char* name);

// Sends one request and, unless the asynchronous rule answers for the
// server, receives and decodes its response (see drvclient.cpp).
int drv_exchange(DrvClient* c, const char* name, const DrvRequest& request, DrvResponse* response);

// DMDRV_ASYNC: the answer's mode becomes the client's asynchronous mode.
int drv_async(DrvClient* c, const char* name, int32_t mode);
// The first non-zero asynchronous status since the last call plus 649, or
// 0; cleared.
int drv_pending_status(DrvClient* c, const char* name);

// DMDRV_STOP, DMDRV_SET, DMDRV_NEW, DMDRV_DEL: the status of the status
// response, else 36.
int drv_driver_stop(DrvClient* c, const char* name);
int drv_set(DrvClient* c, const char* name, const char* path, const DrvValue& value);
int drv_new(DrvClient* c, const char* name, const char* path, const char* cls);
int drv_delete(DrvClient* c, const char* name, const char* path);
// DMDRV_RULE with at most 8 arguments: the status of the rule response
// (else 36), its value in `result` when given.
int drv_rule(DrvClient* c, const char* name, const char* rule, const char* path, int argc, const DrvValue* args,
             DrvValue* result);

// Asks the runsrv service at host:service to act on `data` under `type`:
// one frame out (length word counting itself, the type padded with NULs to
// 4 bytes, the data with its NUL; at most 1,024 bytes), one frame back with
// a decimal status, a blank and a text. Returns the status; 22 when the
// service cannot be reached; -1 when the request is too long or the reply
// is broken, longer than 1,024 bytes or has no number. The reply's text goes
// to `text` when given.
int runsrv_request(const char* host, const char* service, const char* type, const std::string& data, std::string* text);
