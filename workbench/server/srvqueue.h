// One request/reply exchange on a program-server connection (or a buffer
// without a connection that collects a file's contents). Build the request
// with the encoders, run it with Go (request and reply), SendOneWay,
// Accept (a call-back connection) or Continue (a further reply without
// sending), then read the reply with the decoders. Go, Continue, Accept and
// every decoder throw CUserException after reporting the failure.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "workbench/server/cuserexception.h"
#include "workbench/server/srvcodec.h"

class SrvConn;

class SrvQueue {
 public:
  enum : uint16_t {
    SrvQueue_SUCCESS = 1,
    SrvQueue_CANCELLED = 2,
    SrvQueue_BUSY = 4,
    SrvQueue_ACCEPT_WAIT = 8,
    SrvQueue_RECV_WAIT = 16,
    SrvQueue_STARTUP = 32,
    SrvQueue_CONVERT = 0x80,
  };

  // Linked at the tail of the connection's exchanges (id = its next count),
  // or without a connection when `conn` is null.
  explicit SrvQueue(SrvConn* conn = nullptr, uint32_t context = 0);
  // Unlinks; a debug connection goes with its exchange.
  ~SrvQueue();
  SrvQueue(const SrvQueue&) = delete;
  SrvQueue& operator=(const SrvQueue&) = delete;

  // Encoders.
  void PutByte(unsigned value) { send_buf.PutByte(value); }
  void PutShort(int value) { send_buf.PutShort(value); }
  void PutLong(uint32_t value) { send_buf.PutLong(value); }
  void PutString(const char* text) { send_buf.PutString(text, (flags & SrvQueue_CONVERT) != 0); }
  void PutStringRaw(const char* text) { send_buf.PutStringRaw(text); }
  uint8_t* PutBlock(uint32_t n) { return send_buf.PutBlock(n); }
  uint8_t* PutRaw(uint32_t n) { return send_buf.PutRaw(n); }
  void BeginContainer() { send_buf.BeginContainer(); }
  void EndContainer() { send_buf.EndContainer(); }

  void Go();
  bool SendOneWay();
  void Accept();
  void Continue();

  // Decoders (pointers into the receive buffer, valid until Reset).
  unsigned GetByte();
  int32_t GetShort();
  uint32_t GetUShort();
  uint32_t GetLong();
  const char* GetString();
  const char* GetStringRaw();
  void GetObject(const uint8_t** data, uint32_t* size);

  // Frees both buffers and clears flags 1 to 16.
  void Reset();
  // Cancels a busy exchange: its reply is eaten when it comes.
  void Cancel();

  // Steps the connection and window call.
  bool Send(bool one_way);
  enum RecvResult { RECV_DONE, RECV_MORE, RECV_FAILED };
  RecvResult Receive();
  // "%s, id=%d, context=0x%lX"
  std::string Describe() const;
  // Adds an action run once when the exchange is destroyed (a waiter's
  // release).
  void AddRelease(std::function<void()> release) { releases_.push_back(std::move(release)); }

  SrvQueue* prev = nullptr;
  SrvQueue* next = nullptr;
  SrvConn* conn_link = nullptr;
  uint32_t id = 0;
  uint32_t context = 0;
  uint16_t flags = 0;
  SrvEncoder send_buf;
  SrvDecoder recv_buf;
  SrvFrameReader reader;

 private:
  // The nested wait: until the exchange succeeds or is cancelled.
  void Wait();
  [[noreturn]] void DecodeFailure();
  void CheckDecodable() const;

  std::vector<std::function<void()>> releases_;
};
