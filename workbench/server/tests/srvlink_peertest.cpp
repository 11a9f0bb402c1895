// The server link against the stand-in program server: the start-up
// transaction byte for byte, idle time-outs, cancelling, the fault switches,
// call-back connections, and listing, reading and saving through raw
// exchanges.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTest>
#include <QTimer>
#include <chrono>
#include <set>
#include <thread>

#include "srvtest.h"
#include "tests/support/scriptpeer.h"
#include "workbench/server/srvrequests.h"
#include "workbench/server/srvwnd.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/settings/cfglists.h"

namespace {

std::string hex_of(const std::string& s) {
  return refcrypto::hex(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

// Reads a file through request 70: its contents, or "!" and the status.
std::string read_file(SrvQueue* q, const char* path) {
  q->Reset();
  q->PutShort(SRV_REQ_READ_FILE);
  q->PutString(path);
  q->Go();
  int32_t status = q->GetShort();
  if (status != 0) return "!" + std::to_string(status) + " " + q->GetString();
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  q->GetObject(&data, &size);
  return std::string(reinterpret_cast<const char*>(data), size);
}

struct Entry {
  unsigned kind;
  std::string name;
  uint32_t mode;
};

// Lists through request 60 (no directory) or 61.
std::vector<Entry> list(SrvQueue* q, const char* dir, const char* pattern = "", int mode = 0) {
  q->Reset();
  if (dir) {
    q->PutShort(SRV_REQ_LIST_DIR);
    q->PutString(dir);
    q->PutString(pattern);
    q->PutShort(mode);
  } else {
    q->PutShort(SRV_REQ_LIST_TOP);
  }
  q->Go();
  std::vector<Entry> out;
  int32_t status = q->GetShort();
  if (status != 0) {
    out.push_back({99, q->GetString(), static_cast<uint32_t>(status)});
    return out;
  }
  for (;;) {
    unsigned kind = q->GetByte();
    if (kind == 0) break;
    Entry e{kind, q->GetString(), 0};
    if (kind == 2) q->GetString();
    q->GetString();
    q->GetString();
    if (kind == 1) q->GetLong();
    q->GetLong();
    e.mode = q->GetLong();
    out.push_back(e);
  }
  return out;
}

std::set<std::string> names(const std::vector<Entry>& entries) {
  std::set<std::string> out;
  for (const auto& e : entries) out.insert(e.name);
  return out;
}

class SrvLink : public SrvTest {};

TEST_F(SrvLink, GreetingAndLoginByteForByte) {
  start();
  SrvQueue* q = connect();
  ASSERT_NE(q, nullptr) << boxes();
  EXPECT_TRUE(SrvConn::AnyActive());
  EXPECT_TRUE(SrvConn::AnyPending());
  std::string log = server->log();
  // 8 raw bytes, revision 5, order mark 1234, two strings with length and NUL.
  std::string greeting = std::string("YQ.ZELLD") + std::string("\x00\x05\x04\xD2", 4) + std::string("\x00\x0B", 2) +
                         std::string("WIN32/Ix86\0", 11) + std::string("\x00\x0A", 2) + std::string("ISO8859/1\0", 10);
  EXPECT_NE(log.find("recv 00000025" + hex_of(greeting) + "\n"), std::string::npos) << log;
  EXPECT_NE(log.find("# login alice deciphered \"secret\""), std::string::npos) << log;
  // The login frame: code 10, the name, the cipher under the session's key.
  size_t k = log.find("# key ");
  ASSERT_NE(k, std::string::npos);
  std::string key = log.substr(k + 6, log.find('\n', k) - k - 6);
  std::string cipher = refcrypto::logon_hex(key, "secret");
  std::string login = std::string("\x00\x0A\x00\x06", 4) + "alice" + std::string(1, '\0') + std::string(1, '\0') +
                      static_cast<char>(cipher.size() + 1) + cipher + std::string(1, '\0');
  EXPECT_NE(log.find(hex_of(login)), std::string::npos) << log;
  EXPECT_TRUE(sink.boxes.empty()) << boxes();
  delete q;
  EXPECT_FALSE(SrvConn::AnyPending());
}

TEST_F(SrvLink, WrongPasswordEndsInTwoWithTheServersMessage) {
  start();
  EXPECT_EQ(connect("alice", "wrong"), nullptr);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "General Failure");
  EXPECT_EQ(sink.boxes[0].text,
            "Unable to establish connection [2]:\nLogin incorrect for user \"alice\"\nhost=\"127.0.0.1\", service=\"" +
                server->service() + "\"");
  EXPECT_EQ(SrvConn::conn_head, nullptr);  // the connection that failed is gone
}

TEST_F(SrvLink, GreetingReplyAbove512BytesIsAForeignServer) {
  start({"greeting-size=513"});
  EXPECT_EQ(connect(), nullptr);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].text.rfind("Unable to receive server message (4):\nMaximum startup message size exceeded.\n"
                                     "Please check the server address and port number,\nthere seems to be a foreign "
                                     "server responding.\nhost=\"127.0.0.1\"",
                                     0),
            0u)
      << boxes();
  EXPECT_EQ(count(server->log(), "recv "), 1) << server->log();  // no login sent

  server.reset();
  sink.boxes.clear();
  start({"greeting-size=512"});
  SrvQueue* q = connect();
  ASSERT_NE(q, nullptr) << boxes();
  EXPECT_NE(server->log().find("# login alice deciphered \"secret\""), std::string::npos);
  delete q;
}

TEST_F(SrvLink, IdleTimeoutClosesAfterItsTicksAndTheNextRequestLogsInAgain) {
  std::string entry = Cfg_ListAppendUnique("Server", "127.0.0.1");
  Cfg_PutInt(entry.c_str(), "Timeout", 2);
  start();
  SrvQueue* q = connect();
  ASSERT_NE(q, nullptr) << boxes();
  EXPECT_EQ(read_file(q, "hello.txt"), "hello, server\n");
  SrvConn* c = q->conn_link;
  EXPECT_EQ(c->timeout, 2u);
  c->wnd->Tick();  // an exchange exists: the count-down stays full
  EXPECT_EQ(c->wnd->Countdown(), 2u);
  delete q;
  c->wnd->Restart();
  c->wnd->Tick();
  EXPECT_TRUE(c->flags & SrvConn::SrvConn_ACTIVE);
  c->wnd->Tick();
  EXPECT_FALSE(c->flags & SrvConn::SrvConn_ACTIVE);
  EXPECT_FALSE(SrvConn::AnyActive());

  q = connect();
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->conn_link, c);  // the same connection, reopened on demand
  EXPECT_EQ(read_file(q, "hello.txt"), "hello, server\n");
  EXPECT_EQ(count(server->log(), "# login alice"), 2);
  EXPECT_TRUE(sink.boxes.empty()) << boxes();
  delete q;
}

TEST_F(SrvLink, WithoutTimeoutValueTheDefaultHoldsAndZeroNeverCloses) {
  start();
  SrvQueue* q = connect();
  ASSERT_NE(q, nullptr);
  SrvConn* c = q->conn_link;
  EXPECT_EQ(c->timeout, 300u);
  delete q;
  c->SetTimeout(0);
  for (int i = 0; i < 5; ++i) c->wnd->Tick();
  EXPECT_TRUE(c->flags & SrvConn::SrvConn_ACTIVE);
}

TEST_F(SrvLink, CancelledExchangesLateReplyIsDroppedAndTheNextGetsItsOwn) {
  start({"delay=1000"});
  SrvQueue* q = connect();
  ASSERT_NE(q, nullptr);
  QTimer::singleShot(100, [q] { q->Cancel(); });
  EXPECT_THROW(read_file(q, "hello.txt"), CUserException);
  EXPECT_TRUE(q->flags & SrvQueue::SrvQueue_CANCELLED);
  EXPECT_EQ(q->conn_link->eat_count, 1u);
  EXPECT_EQ(read_file(q, "progs/notes.txt"), "notes\n");
  EXPECT_EQ(q->conn_link->eat_count, 0u);
  EXPECT_TRUE(sink.boxes.empty()) << boxes();
  delete q;
}

TEST_F(SrvLink, CancelMidReplyEatsOnFromWhereReadingStopped) {
  start({"stall=600"});
  SrvQueue* q = connect();
  ASSERT_NE(q, nullptr);
  // Cancelled as soon as the length has been read.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [q] {
    if (q->reader.HaveLength()) q->Cancel();
  });
  poll.start(5);
  EXPECT_THROW(read_file(q, "hello.txt"), CUserException);
  EXPECT_TRUE(q->conn_link->eat_reader.HaveLength());  // the length had come
  EXPECT_EQ(read_file(q, "progs/notes.txt"), "notes\n");
  EXPECT_TRUE(sink.boxes.empty()) << boxes();
  delete q;
}

TEST_F(SrvLink, RetryCancelsNothingAndCancelCancelsTheContext) {
  start({"delay=400"});
  SrvQueue* q = connect();
  ASSERT_NE(q, nullptr);
  q->context = 7;
  sink.answer = 4;  // Retry
  bool asked = false;
  QTimer::singleShot(50, [&] { asked = SrvConn::CancelAll(7); });
  EXPECT_EQ(read_file(q, "hello.txt"), "hello, server\n");
  EXPECT_TRUE(asked);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Transactions Still Running");
  EXPECT_EQ(sink.boxes[0].style, 0x05u | 0x30u);

  EXPECT_FALSE(SrvConn::CancelAll(8));  // no exchange of that context: no question
  EXPECT_EQ(sink.boxes.size(), 1u);

  server.reset();
  SrvConn::CloseAll();
  start({"delay=400"});
  q = connect();
  ASSERT_NE(q, nullptr);
  sink.answer = SHELL_IDCANCEL;
  QTimer::singleShot(50, [] { SrvConn::CancelAll(0); });
  EXPECT_THROW(read_file(q, "hello.txt"), CUserException);
  EXPECT_TRUE(q->flags & SrvQueue::SrvQueue_CANCELLED);
  delete q;
}

// Each fault switch ends in its report, never in a hang, and the next
// request on the link works.
TEST_F(SrvLink, EveryFaultEndsInItsReportAndTheNextRequestReconnects) {
  struct Case {
    const char* fault;
    bool at_startup;
    const char* report;
  };
  const Case cases[] = {
      {"refuse-greeting", true, "Unable to establish connection [1]:\nServer is not accepting connections\nhost="},
      {"wrong-login", true, "Unable to establish connection [2]:\nLogin refused by fault switch\nhost="},
      {"cut", false, "Unable to receive server message (7):\nConnection closed by remote host.\nhost="},
      {"huge-length", false, "Unable to receive server message (8):\nMessage size 2147483647 exceeds the limit of"},
      {"no-nul", false,
       "Client/Server Protocol Failure:\nUnable to decode server message.\nExpected: String at offset 2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    sink.boxes.clear();
    start({c.fault});
    SrvQueue* q = connect();
    if (c.at_startup) {
      EXPECT_EQ(q, nullptr);
    } else {
      ASSERT_NE(q, nullptr) << boxes();
      EXPECT_THROW(read_file(q, "hello.txt"), CUserException);
    }
    ASSERT_FALSE(sink.boxes.empty());
    EXPECT_EQ(sink.boxes[0].text.rfind(c.report, 0), 0u) << boxes();
    if (!q) q = connect();
    ASSERT_NE(q, nullptr) << boxes();
    EXPECT_EQ(read_file(q, "progs/notes.txt"), "notes\n") << boxes();
    delete q;
    SrvConn::CloseAll();
    server.reset();
  }
}

// A server that stalls the start-up in front of the link: every wait ends
// within the start-up limit, counted from the wait's start, with its report.
TEST_F(SrvLink, StallingStartUpEndsWithinItsLimit) {
  struct Case {
    const char* name;
    std::string script;  // after the link's greeting was read
    const char* report;
  };
  // A greeting reply of 200 bytes dripped over 4 s: each byte comes well
  // within the limit, the whole reply does not.
  const std::string dripped = vtest::hex_u32(200) + std::string(2 * 40, '5');
  const Case cases[] = {
      {"silence", "silence\n", "Unable to receive server message (9):\nNo reply within"},
      {"drip", "drip 100 " + dripped + "\nsilence\n", "Unable to receive server message (9):\nNo reply within"},
      {"bad length", "send 7fffffff\nsilence\n", "Unable to receive server message (4):\nMaximum startup message"},
      {"flood", "flood 41\n", "Unable to receive server message (4):\nMaximum startup message"},
      {"half a reply", "send " + vtest::hex_u32(40) + "0102\nclose\n",
       "Unable to receive server message (7):\nConnection closed by remote host."},
  };
  const int saved = SrvConn::startup_wait_ms;
  SrvConn::startup_wait_ms = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sink.boxes.clear();
    vtest::ScriptPeer peer("frame\n" + c.script);
    const auto start = std::chrono::steady_clock::now();
    SrvQueue* q = SrvConn::Connect("127.0.0.1", peer.service().c_str(), "alice", "secret");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    EXPECT_EQ(q, nullptr);
    delete q;
    ASSERT_FALSE(sink.boxes.empty());
    EXPECT_EQ(sink.boxes[0].text.rfind(c.report, 0), 0u) << boxes();
    SrvConn::CloseAll();
  }
  SrvConn::startup_wait_ms = saved;
}

TEST_F(SrvLink, AnotherLoginOnAnIdleConnectionLogsInAsThatUser) {
  start();
  SrvQueue* q = connect("alice", "secret");
  ASSERT_NE(q, nullptr);
  SrvConn* c = q->conn_link;
  delete q;
  q = connect("bob", "hunter2");
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->conn_link, c);
  EXPECT_EQ(read_file(q, "hello.txt"), "hello, server\n");
  EXPECT_NE(server->log().find("# login bob deciphered \"hunter2\""), std::string::npos) << server->log();
  delete q;
}

TEST_F(SrvLink, EmptyPasswordIsEncipheredAndSentLikeAnyOther) {
  start();
  SrvQueue* q = connect("eve", "");
  ASSERT_NE(q, nullptr) << boxes() << server->log();
  EXPECT_NE(server->log().find("# login eve deciphered \"\""), std::string::npos) << server->log();
  delete q;
}

TEST_F(SrvLink, StatusTextsAndTheNetworkPaneFollowTheLink) {
  static std::vector<std::string> texts;
  texts.clear();
  SrvConn::SetStatusHook([](const char* text) { texts.push_back(text); });
  start();
  SrvQueue* q = connect();
  ASSERT_NE(q, nullptr);
  std::string where = "127.0.0.1:" + server->service();
  EXPECT_EQ(texts, (std::vector<std::string>{"Trying to connect to " + where + "...", "Connected to " + where}));
  ServerLink* pane = Shell_Neighbours().server;
  EXPECT_TRUE(pane->Plugged());
  EXPECT_TRUE(pane->AnyActive());
  EXPECT_TRUE(pane->AnyPending());
  delete q;
  EXPECT_FALSE(pane->AnyPending());
  pane->CloseAll();
  EXPECT_FALSE(pane->AnyActive());

  // A port that nobody listens on: the text of the failed step, and the
  // status text goes back to idle.
  texts.clear();
  server.reset();
  EXPECT_EQ(SrvConn::Connect("127.0.0.1", "1", "alice", "secret"), nullptr);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].text,
            "Unable to connect to server (6):\nerror 111: Connection refused\nhost=\"127.0.0.1\", service=\"1\"");
  EXPECT_EQ(texts.back(), "Ready");
  SrvConn::SetStatusHook(nullptr);
}

// A server path from a file may name no host, or a host without a service
// in the server list: the link reports it and the environment goes on.
TEST_F(SrvLink, NoHostOrNoServiceIsReportedNotFatal) {
  struct Case {
    const char* host;
    const char* service;
    const char* text;
  } cases[] = {
      {"", "1", "Unable to connect to server:\nThe path names no server.\n"},
      {"nowhere", "", "Unable to connect to server:\nNo service is set for server \"nowhere\" in the server list.\n"},
  };
  for (const Case& c : cases) {
    sink.boxes.clear();
    EXPECT_EQ(SrvConn::Connect(c.host, c.service, "alice", "secret"), nullptr) << c.host;
    EXPECT_EQ(SrvConn::DebugConnect(c.host, c.service, "alice", "secret"), nullptr) << c.host;
    ASSERT_EQ(sink.boxes.size(), 2u) << boxes();
    EXPECT_EQ(sink.boxes[0].text.rfind(c.text, 0), 0u) << boxes();
  }
}

TEST_F(SrvLink, DebugConnectionGoesWithItsExchange) {
  start();
  std::string service = server->service();
  SrvQueue* q = SrvConn::DebugConnect("127.0.0.1", service.c_str(), "alice", "secret");
  ASSERT_NE(q, nullptr) << boxes();
  EXPECT_TRUE(q->conn_link->flags & SrvConn::SrvConn_DEBUG);
  EXPECT_TRUE(q->conn_link->flags & SrvConn::SrvConn_LOGGED_IN);
  // A plain connection to the same server is a connection of its own.
  SrvQueue* plain = connect();
  ASSERT_NE(plain, nullptr);
  EXPECT_NE(plain->conn_link, q->conn_link);
  EXPECT_EQ(read_file(q, "hello.txt"), "hello, server\n");
  delete q;
  EXPECT_EQ(SrvConn::conn_head, plain->conn_link);
  EXPECT_EQ(SrvConn::conn_head->next, nullptr);
  delete plain;
}

TEST_F(SrvLink, DebugListenAcceptsACallBackOnLoopback) {
  SrvQueue* q = SrvConn::DebugListen(false);
  ASSERT_NE(q, nullptr) << boxes();
  SrvConn* c = q->conn_link;
  EXPECT_TRUE(c->flags & SrvConn::SrvConn_DEBUG);
  EXPECT_EQ(c->host, "127.0.0.1");
  int port = std::stoi(c->service);
  ASSERT_GT(port, 0);
  std::string one_way;
  // The caller: sends one message, reads the environment's one-way message,
  // then sends two messages at once.
  std::thread caller([port, &one_way] {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
      const char first[] = {0, 0, 0, 3, 0, 0, 9};
      send(fd, first, sizeof first, MSG_NOSIGNAL);
      char got[6];
      size_t n = 0;
      while (n < sizeof got) {
        ssize_t r = recv(fd, got + n, sizeof got - n, 0);
        if (r <= 0) break;
        n += static_cast<size_t>(r);
      }
      one_way.assign(got, n);
      const char two[] = {0, 0, 0, 2, 0, 2, 0, 0, 0, 2, 0, 3};
      send(fd, two, sizeof two, MSG_NOSIGNAL);
      char c2;
      recv(fd, &c2, 1, 0);  // until the environment closes
    }
    close(fd);
  });
  q->Accept();
  EXPECT_TRUE(q->flags & SrvQueue::SrvQueue_SUCCESS);
  EXPECT_EQ(c->host, "127.0.0.1");
  // The accepted socket carries the session: a first message without sending.
  q->Continue();
  EXPECT_EQ(q->GetByte(), 0u);
  EXPECT_EQ(q->GetShort(), 9);
  q->Reset();
  q->PutShort(SRV_REQ_BREAK);
  EXPECT_TRUE(q->SendOneWay());
  // Two replies that came together are read one per Continue.
  q->Continue();
  EXPECT_EQ(q->GetShort(), 2);
  QTest::qWait(100);  // the second lies in the socket meanwhile
  q->Continue();
  EXPECT_EQ(q->GetShort(), 3);
  delete q;  // the debug connection goes with its exchange
  EXPECT_EQ(SrvConn::conn_head, nullptr);
  caller.join();
  EXPECT_EQ(one_way, std::string("\x00\x00\x00\x02\x00\x07", 6));
  EXPECT_TRUE(sink.boxes.empty()) << boxes();
}

TEST_F(SrvLink, ListingReadingAndSavingActOnTheTree) {
  start();
  SrvQueue* q = connect();
  ASSERT_NE(q, nullptr);
  std::vector<Entry> top = list(q, nullptr);
  EXPECT_EQ(names(top), (std::set<std::string>{"hello.txt", "progs"}));
  for (const Entry& e : top)
    if (e.name == "progs") {
      EXPECT_EQ(e.mode & 0x1004000u, 0x1004000u);  // folder with subfolders
    }
  EXPECT_EQ(names(list(q, "progs", "*.PROG", SRV_LIST_FILES)), (std::set<std::string>{"a.PROG"}));
  EXPECT_EQ(names(list(q, "progs", "", SRV_LIST_FOLDERS)), (std::set<std::string>{"deep"}));
  EXPECT_EQ(names(list(q, "progs", "", SRV_LIST_ALL)), (std::set<std::string>{"a.PROG", "deep", "notes.txt"}));
  EXPECT_EQ(read_file(q, "progs/a.PROG"), std::string("YQ.PROG\0binary", 14));

  q->Reset();
  q->PutShort(SRV_REQ_SAVE_FILE);
  q->PutString("progs/new.txt");
  q->PutByte(0);
  q->BeginContainer();
  std::memcpy(q->PutBlock(6), "line\r\n", 6);
  q->EndContainer();
  q->Go();
  EXPECT_EQ(q->GetShort(), 0);
  EXPECT_EQ(vtest::read_file(tree.file("progs/new.txt")), "line\r\n");
  EXPECT_EQ(read_file(q, "progs/new.txt"), "line\r\n");

  EXPECT_EQ(read_file(q, "../outside").rfind("!2 ", 0), 0u);
  EXPECT_EQ(list(q, "progs/../..")[0].kind, 99u);
  EXPECT_TRUE(sink.boxes.empty()) << boxes();
  delete q;
}

}  // namespace
