// Status arrays rendered as lines, the last status, and the location texts.
#include "database/client/status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string render(int w0, int w5, int w8, int w9, size_t limit = 0) {
  StatusArray s = {};
  s[0] = w0;
  s[5] = w5;
  s[8] = w8;
  s[9] = w9;
  char text[IDB_STATUS_TEXT_MAX];
  int length = -1;
  EXPECT_EQ(idb__status_text(s, text, limit, &length), 0);
  EXPECT_EQ(length, static_cast<int>(std::strlen(text)));
  return text;
}

TEST(StatusText, Lines) {
  struct Case {
    int w0, w5, w8, w9;
    const char* line;
  };
  const Case cases[] = {
      {0, 401, 1, 0, ""},
      {-1, 401, 1, 0, "DBOPEN(1): Unable to open database [-1]"},
      {-700, 401, 1, -2, "DBOPEN(1): REMOTE: Unable to connect server [-700:-2]"},
      {17, 405 + 4096, 5, 0, "DBGET(5): No current record or record/key not found [17]"},
      {-806, 420, 0, 12, "DBLOGON(0): OS operation failed: errno 12 [-806:12]"},
      {-1, 499, 1, 0, "Inconsistent status information [-1]"},
      {105, 404, 1, 0, "DBFIND(1): No chain head for path 5 [105]"},
      {-4, 0, 0, 0, "Password does not match [-4]"},
      {-700, 0, 0, -10, "REMOTE: Server does not have required capabilities [-700:-10]"},
      {-700, 0, 0, 2, nullptr},  // system error text, built below
      {-900, 401, 1, -12, "DBOPEN(1): DAEMON: Database not found or not accessible [-900:-12]"},
      {-800, 405, 1, 111, "DBGET(1): ISAM: #111: ENOREC [-800:111]"},
      {-807, 409, 2, 3, "DBLOCK(2): LOCK: Internal failure (3) [-807:3]"},
      {-804, 0, 0, 0x0405, "BTree operation failed: BTE005 [-804:1029]"},
      {-808, 0, 0, -1, "Server management failure: ** unknown ** [-808:-1]"},
      {-21, 402, 3, 0, "PROBEBASE(3): Bad parameter value [-21]"},
      {-500, 0, 0, 0, "Unknown status code [-500]"},
      {-700, 0, 0, 0, "Unknown status code [-700:0]"},
      {-900, 0, 0, -99, "Unknown status code [-900:-99]"},
  };
  for (const Case& c : cases) {
    std::string expected = c.line ? c.line : std::string("REMOTE: #2: ") + std::strerror(2) + " [-700:2]";
    EXPECT_EQ(render(c.w0, c.w5, c.w8, c.w9), expected) << c.w0 << "/" << c.w5;
  }
}

TEST(StatusText, LimitCutsAndUnboundedFitsLongestLine) {
  EXPECT_EQ(render(-1, 401, 1, 0, 10), "DBOPEN(1)");
  EXPECT_EQ(render(-1, 401, 1, 0, 1), "");
  // The longest tables give lines well inside the unbounded room.
  std::string longest = render(-700, 423, -2147483647 - 1, -10);
  EXPECT_EQ(longest, "DBCOMMIT(-2147483648): REMOTE: Server does not have required capabilities [-700:-10]");
  EXPECT_LT(longest.size(), static_cast<size_t>(IDB_STATUS_TEXT_MAX));
}

TEST(LastStatus, SetStatusCopiesOrRecordsAndClearsWords) {
  IDB_FAIL(S_REMOTE, REMOTE_RECEIVE);
  StatusArray s;
  for (int i = 0; i < 10; ++i) s[i] = 100 + i;
  EXPECT_EQ(idb__set_status(-1, s), -1);
  EXPECT_EQ(s[0], -700);
  EXPECT_EQ(s[9], -6);
  EXPECT_EQ(s[4], 0);
  EXPECT_EQ(s[6], 0);
  EXPECT_EQ(s[7], 0);
  EXPECT_EQ(s[5], 105);  // untouched
  EXPECT_EQ(s[8], 108);

  EXPECT_EQ(idb__set_status(S_BAD, s), -1);
  EXPECT_EQ(s[0], -21);
  EXPECT_EQ(s[9], 0);
  EXPECT_EQ(idb__last_status().code, S_BAD);
  EXPECT_STREQ(idb__last_status().module, "status_test.cpp");

  char text[IDB_STATUS_TEXT_MAX];
  IDB_FAIL(S_MGMT, 17);
  idb__last_status_text(text, 0, nullptr);
  EXPECT_STREQ(text, "Server management failure: VOLE017 [-808:17]");
}

TEST(StatusText, NamesAndLocations) {
  EXPECT_STREQ(idb__intrinsic_name(420), "DBLOGON");
  EXPECT_STREQ(idb__intrinsic_name(413), "SCRAPBASE");
  EXPECT_EQ(idb__intrinsic_name(414), nullptr);
  EXPECT_STREQ(idb__location_text(-1), "** unknown **");
  EXPECT_STREQ(idb__location_text(0x0405), "BTE005");
  EXPECT_STREQ(idb__location_text(0x0900), "SCR000");
  EXPECT_STREQ(idb__location_text(0x0d2a), "?R042");
  EXPECT_STREQ(idb__location_text(0x0203), "VOL?003");
}

}  // namespace
