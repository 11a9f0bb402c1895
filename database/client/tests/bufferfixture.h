// A message buffer on preset send and receive blocks of 32 KiB, for tests of
// what is put into and taken out of it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "database/client/buffer.h"

using Bytes = std::vector<unsigned char>;

struct BufferFixture : ::testing::Test {
  void SetUp() override {
    Buffer_Init(&b);
    Buffer_SetSendStorage(&b, storage, sizeof storage, 0);
    Buffer_SetRecvStorage(&b, rstorage, sizeof rstorage, 0);
  }
  void TearDown() override { Buffer_ResetAll(&b); }
  void server(int order, int remote_charset = -1, int local_charset = -1) {
    Buffer_SetRemoteByteOrder(&b, order);
    Buffer_SetRemoteCharset(&b, remote_charset);
    Buffer_SetLocalCharset(&b, local_charset);
  }
  // The payload put so far.
  Bytes payload() const { return Bytes(b.send_msg + 4, b.send_msg + 4 + b.send_len); }
  // `bytes` as the received message.
  void receive(const Bytes& bytes) {
    Buffer_ResetRecv(&b);
    ASSERT_EQ(Buffer_AllocRecv(&b, bytes.size()), 0);
    if (!bytes.empty()) std::memcpy(b.recv_buf, bytes.data(), bytes.size());
  }
  // Turns what was sent into what is received.
  void loop_back() { receive(payload()); }

  Buffer b;
  unsigned char storage[32768];
  unsigned char rstorage[32768];
};
