// The client context without a server: code-set control and names, the
// remembered logon, and start and end of the library.
#include "database/client/client.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

struct ClientFixture : ::testing::Test {
  void TearDown() override { idb__exit(); }
};

TEST_F(ClientFixture, ContextStartsWithItsDefaults) {
  ASSERT_EQ(idb_init(1, 2, 3, 4), 0);
  ClientContext* c = idb__get_client(0);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->logon_pending, 1);
  EXPECT_EQ(c->charset, -1);
  EXPECT_EQ(c->tx_counter, 9);
  EXPECT_STREQ(c->user, "");
  EXPECT_EQ(c->buffer->send_preset, c->storage);
  EXPECT_EQ(c->buffer->recv_preset, c->storage);
  EXPECT_EQ(idb__init(), 0);
  EXPECT_EQ(idb__get_client(0), c);  // one per process
  idb__exit();
  EXPECT_EQ(idb__get_client(0), nullptr);
  EXPECT_EQ(idb__exit(), 0);
}

TEST_F(ClientFixture, CodeSetControl) {
  EXPECT_EQ(idb_ctl(ISRVKNOB_GCSETID, 0), -1);  // not set before a greeting
  EXPECT_EQ(idb_ctl(ISRVKNOB_SCSETID, 5), -1);
  EXPECT_EQ(idb_ctl(ISRVKNOB_GCSETID, 0), -1);
  EXPECT_EQ(idb_ctl(ISRVKNOB_SCSETID, CP_ROMAN8), 0);
  EXPECT_EQ(idb_ctl(ISRVKNOB_GCSETID, 0), CP_ROMAN8);
  EXPECT_EQ(idb_ctl(ISRVKNOB_DCSETID, 77), 0);
  EXPECT_EQ(idb_ctl(ISRVKNOB_GCSETID, 0), CP_ISO88591);
  EXPECT_EQ(idb_ctl(9, 0), -1);
}

TEST_F(ClientFixture, LogonIsRememberedNotSent) {
  ASSERT_EQ(idb_logon("alice", "pw"), 0);
  ClientContext* c = idb__get_client(0);
  EXPECT_STREQ(c->user, "alice");
  EXPECT_STREQ(c->password, "pw");
  c->logon_pending = 0;
  ASSERT_EQ(idb_logon(nullptr, nullptr), 0);
  EXPECT_STREQ(c->user, "");
  EXPECT_STREQ(c->password, "");
  EXPECT_EQ(c->logon_pending, 1);
}

TEST(CodeSetNames, LookUpIgnoringCase) {
  struct Case {
    const char* name;
    int id;
  };
  const Case cases[] = {{"QXROMAN8", 0},  {"qx-roman8", 0},  {"Roman8", 0},  {"ISO8859/1", 1}, {"iso88591", 1},
                        {"ISO8859-1", 1}, {"iso-8859-1", 1}, {"latin1", -1}, {"", -1},         {nullptr, -1}};
  for (const Case& c : cases) EXPECT_EQ(yq__charset_id(c.name), c.id) << (c.name ? c.name : "(null)");
  EXPECT_STREQ(yq__charset_name(0), "qx-roman8");
  EXPECT_STREQ(yq__charset_name(1), "iso-8859-1");
  EXPECT_EQ(yq__charset_name(2), nullptr);
}

}  // namespace

TEST(AnswerTimeout, WholeSecondsFromTheEnvironmentElseThirty) {
  const struct {
    const char* text;  // null: unset
    int seconds;
  } cases[] = {{nullptr, 30}, {"5", 5},   {"1", 1},   {"3600", 3600}, {"0", 30},
               {"3601", 30},  {"-2", 30}, {"2s", 30}, {"", 30},       {"x", 30}};
  for (const auto& c : cases) {
    if (c.text)
      setenv(IDB_ENV_ANSWER_TIMEOUT, c.text, 1);
    else
      unsetenv(IDB_ENV_ANSWER_TIMEOUT);
    EXPECT_EQ(idb__answer_timeout_seconds(), c.seconds) << (c.text ? c.text : "(unset)");
  }
  unsetenv(IDB_ENV_ANSWER_TIMEOUT);
}
