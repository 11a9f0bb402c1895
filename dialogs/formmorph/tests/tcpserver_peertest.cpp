// The listening side of TCP on loopback: ports, retries, time-outs, polling.
#include "dialogs/formmorph/tcpserver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "database/client/tcp.h"
#include "dialogs/formmorph/fmtrace.h"

namespace {

class TcpServer : public ::testing::Test {
 protected:
  void SetUp() override {
    trace = std::tmpfile();
    fm_set_trace_stream(trace);
  }
  void TearDown() override {
    fm_set_trace_stream(nullptr);
    std::fclose(trace);
  }
  std::string traced() {
    std::fflush(trace);
    std::rewind(trace);
    std::string text;
    int c;
    while ((c = std::fgetc(trace)) != EOF) text += static_cast<char>(c);
    return text;
  }
  FILE* trace = nullptr;
};

TEST_F(TcpServer, AcceptsAConnectionAndPollsIt) {
  int listener = tcp_listen(nullptr, 0, true);
  ASSERT_GE(listener, 0);
  int port = tcp_port(listener);
  ASSERT_GT(port, 0);
  int client = tcp_connect("127.0.0.1", std::to_string(port).c_str());
  ASSERT_GE(client, 0);
  int server = tcp_accept(listener, 2000);
  ASSERT_GE(server, 0);
  EXPECT_EQ(tcp_poll(server), 0);
  ASSERT_EQ(tcp_send(client, "ping", 4), 0);
  for (int i = 0; i < 200 && tcp_poll(server) == 0; ++i) usleep(5000);
  EXPECT_EQ(tcp_poll(server), 1);
  char got[4];
  ASSERT_EQ(tcp_recv(server, got, 4), 0);
  EXPECT_EQ(std::string(got, 4), "ping");
  EXPECT_EQ(tcp_close(server), 0);
  EXPECT_EQ(tcp_close(client), 0);
  EXPECT_EQ(tcp_close(listener), 0);
}

TEST_F(TcpServer, APortInUseIsRetriedOnTheNextOnes) {
  int first = tcp_listen(nullptr, 0, true);
  ASSERT_GE(first, 0);
  std::string port = std::to_string(tcp_port(first));
  EXPECT_EQ(tcp_listen(port.c_str(), 0, true), -1);
  EXPECT_NE(traced().find("formmorph: Unable to bind address. [10048]"), std::string::npos) << traced();
  int second = tcp_listen(port.c_str(), 5, true);
  if (second >= 0) {  // unless all five next ports are taken on this machine
    EXPECT_GT(tcp_port(second), tcp_port(first));
    tcp_close(second);
  }
  tcp_close(first);
}

TEST_F(TcpServer, BadServicesAndTimeOutsFail) {
  EXPECT_EQ(tcp_listen("0", 3, true), -1);
  EXPECT_NE(traced().find("formmorph: 0: Invalid port number.\n"), std::string::npos) << traced();
  EXPECT_EQ(tcp_listen("no-such-service-here", 0, true), -1);
  EXPECT_NE(traced().find("formmorph: Unable to map service name no-such-service-here (tcp)\n"), std::string::npos);
  int listener = tcp_listen(nullptr, 0, true);
  ASSERT_GE(listener, 0);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(tcp_accept(listener, 200), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  tcp_close(listener);
  EXPECT_EQ(tcp_port(-1), -1);
  EXPECT_NE(traced().find("formmorph: getsockname failed. [10009]"), std::string::npos) << traced();
}

}  // namespace
