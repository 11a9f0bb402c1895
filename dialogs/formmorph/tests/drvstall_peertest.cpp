// The driver client against a scripted dialog server that drips, floods or
// falls silent: every wait ends within its limit and says why.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "dialogs/formmorph/drvclient.h"
#include "dialogs/formmorph/fmtrace.h"
#include "scriptpeer.h"
#include "testsupport.h"

namespace {

using vtest::hex_text;
using vtest::hex_u32;

const std::string kGreeting = hex_u32(8) + hex_text("YQ.DLG") + "0100";

// A whole response frame: the length word, then the fixed body with `code`
// and `status`.
std::string response(int code, int status) {
  std::string body = hex_u32(DRV_FIXED_SIZE) + hex_u32(0) + hex_u32(static_cast<uint32_t>(code)) +
                     hex_u32(static_cast<uint32_t>(status));
  while (body.size() < 2 * DRV_FIXED_SIZE) body += "00";
  return hex_u32(DRV_FIXED_SIZE + 4) + body;
}

struct Stall {
  const char* name;
  std::string script;  // after the client's greeting was read
  bool starts;         // the greeting comes; the GET request stalls
  bool async;          // ASYNC 1 is answered first
  const char* trace;
};

void PrintTo(const Stall& s, std::ostream* os) { *os << s.name; }

class StallingDialogServer : public ::testing::TestWithParam<Stall> {
 protected:
  void SetUp() override {
    stream_ = std::fopen(trace_path_.c_str(), "w");
    fm_set_trace_stream(stream_);
  }
  void TearDown() override {
    fm_set_trace_stream(nullptr);
    std::fclose(stream_);
  }
  std::string trace() {
    std::fflush(stream_);
    return vtest::read_file(trace_path_);
  }
  vtest::TempDir dir_;
  std::string trace_path_ = dir_.file("trace.txt");
  FILE* stream_ = nullptr;
};

TEST_P(StallingDialogServer, EveryWaitEndsWithinItsLimit) {
  const Stall& s = GetParam();
  vtest::ScriptPeer peer("read 12\n" + s.script);
  DrvClient client;
  client.answer_timeout_ms = 500;
  std::string spec = "127.0.0.1:" + peer.service();
  auto start = std::chrono::steady_clock::now();
  if (!s.starts) {
    EXPECT_EQ(drv_start(&client, "VUZ", spec.c_str(), 1024, {}), DRV_ERR_START);
  } else {
    ASSERT_EQ(drv_start(&client, "VUZ", spec.c_str(), 1024, {}), 0) << trace();
    if (s.async) {
      ASSERT_EQ(drv_async(&client, "VUZ", 1), 0) << trace();
    }
    DrvRequest get;
    get.code = DMDRV_GET;
    get.path = "d.title";
    DrvResponse r;
    EXPECT_EQ(drv_exchange(&client, "VUZ", get, &r), DRV_ERR_BROKEN);
    EXPECT_EQ(drv_exchange(&client, "VUZ", get, &r), DRV_ERR_BROKEN);  // closed: at once
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_NE(trace().find(s.trace), std::string::npos) << trace();
}

INSTANTIATE_TEST_SUITE_P(
    Peers, StallingDialogServer,
    ::testing::Values(
        Stall{"DrippedGreeting", "drip 200 " + kGreeting + "\n", false, false,
              "zelldlg: no greeting from the server within 500 ms"},
        Stall{"SilentGreeting", "silence\n", false, false, "zelldlg: no greeting from the server within 500 ms"},
        Stall{"SilentAfterGreeting", "send " + kGreeting + "\nframe-self\nsilence\n", true, false,
              "drv_recv: no answer from the server within 500 ms"},
        Stall{"SilentInsideAResponse",
              "send " + kGreeting + "\nframe-self\nsend " + response(DMDRV_GET, 0).substr(0, 40) + "\nsilence\n", true,
              false, "drv_recv: the server stopped inside a response"},
        Stall{"StatusFlood",
              "send " + kGreeting + "\nframe-self\nsend " + response(DMDRV_ASYNC, 1) + "\nframe-self\nflood " +
                  response(DMDRV_STATUS, 5) + "\n",
              true, true, "drv_recv: the server sent more than 1000 status responses for one request"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
