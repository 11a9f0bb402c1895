#include "platform/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/testsupport.h"

namespace {

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { store = reg_open_store(dir.path().c_str()); }
  void TearDown() override { reg_close_store(store); }

  // A second store on the same files: sees only what reached the disk.
  RegStore* reopen() {
    reg_close_store(other);
    other = reg_open_store(dir.path().c_str());
    return other;
  }

  std::string user_file() { return vtest::read_file(dir.file("user.reg")); }

  vtest::TempDir dir;
  RegStore* store = nullptr;
  RegStore* other = nullptr;

 public:
  ~Registry() override { reg_close_store(other); }
};

const char* const kKey = "Software\\Orvantis\\QX Varnica";

TEST_F(Registry, EveryValueKindSurvivesTheFile) {
  std::string all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes.push_back(static_cast<char>(i));
  struct Case {
    const char* name;
    uint32_t type;
    std::string data;
  };
  const std::vector<Case> cases = {
      {"Plain", REG_TYPE_SZ, "C:/Program Files/varnica"},
      {"Quotes \"and\" \\slashes\\", REG_TYPE_SZ, "say \"hi\" at C:\\TMP\\"},
      {"Empty", REG_TYPE_SZ, ""},
      {"Lines", REG_TYPE_SZ, "first\nsecond\r\n\ttabbed"},
      {"HighBytes", REG_TYPE_SZ, "caf\xe9 \xa1\xff"},
      {"", REG_TYPE_SZ, "the default value"},
      {"Zero", REG_TYPE_DWORD, std::string(4, '\0')},
      {"AllOnes", REG_TYPE_DWORD, std::string(4, '\xff')},
      {"Binary", REG_TYPE_BINARY, all_bytes},
      {"NoBytes", REG_TYPE_BINARY, ""},
      {"Expand", REG_TYPE_EXPAND_SZ, "%HOME%/x"},
      {"Multi", REG_TYPE_MULTI_SZ, std::string("a\0b\0\0", 5)},
  };
  for (const Case& c : cases)
    ASSERT_EQ(reg_set_value(store, REG_HIVE_USER, kKey, c.name, c.type, c.data.data(), c.data.size()), REG_OK)
        << c.name;

  RegStore* fresh = reopen();
  std::vector<RegValueInfo> values;
  ASSERT_EQ(reg_enum_values(fresh, REG_HIVE_USER, kKey, &values), REG_OK);
  ASSERT_EQ(values.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(values[i].name, cases[i].name);
    EXPECT_EQ(values[i].type, cases[i].type) << cases[i].name;
    EXPECT_EQ(values[i].data, cases[i].data) << cases[i].name;
  }

  std::string text = user_file();
  EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica]\n"), std::string::npos);
  EXPECT_NE(text.find("\"Quotes \\\"and\\\" \\\\slashes\\\\\"=\"say \\\"hi\\\" at C:\\\\TMP\\\\\"\n"),
            std::string::npos);
  EXPECT_NE(text.find("@=\"the default value\"\n"), std::string::npos);
  EXPECT_NE(text.find("\"AllOnes\"=dword:ffffffff\n"), std::string::npos);
  EXPECT_NE(text.find("\"Binary\"=hex:00,01,02,"), std::string::npos);
  EXPECT_NE(text.find("\"Lines\"=hex(1):66,00,"), std::string::npos);

  uint32_t number = 0;
  EXPECT_EQ(reg_get_dword(fresh, REG_HIVE_USER, kKey, "AllOnes", &number), REG_OK);
  EXPECT_EQ(number, 0xFFFFFFFFu);
  std::string s;
  EXPECT_EQ(reg_get_string(fresh, REG_HIVE_USER, kKey, "Zero", &s), REG_WRONG_TYPE);
}

TEST_F(Registry, UserHiveIsPrivate) {
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, "Software\\X", "SecurePswd", "00ff"), REG_OK);
  struct stat st;
  ASSERT_EQ(stat(dir.file("user.reg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(Registry, AUserHiveThatIsALinkStaysALink) {
  vtest::TempDir elsewhere;
  vtest::write_file(elsewhere.file("kept.reg"), "REGEDIT4\r\n\r\n");
  reg_close_store(store);
  ASSERT_EQ(symlink(elsewhere.file("kept.reg").c_str(), dir.file("user.reg").c_str()), 0);
  store = reg_open_store(dir.path().c_str());
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, "Software\\X", "Name", "value"), REG_OK);
  struct stat st;
  ASSERT_EQ(lstat(dir.file("user.reg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(vtest::read_file(elsewhere.file("kept.reg")).find("\"Name\"=\"value\""), std::string::npos);
}

TEST_F(Registry, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, "Software\\Orvantis\\App", "AutoSave", "On"), REG_OK);
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, "SOFTWARE\\orvantis\\APP", "AUTOSAVE", "Off"), REG_OK);
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, "software\\ORVANTIS\\Other", "x", "1"), REG_OK);

  RegStore* fresh = reopen();
  std::vector<std::string> keys;
  ASSERT_EQ(reg_enum_keys(fresh, REG_HIVE_USER, "", &keys), REG_OK);
  EXPECT_EQ(keys, std::vector<std::string>{"Software"});
  ASSERT_EQ(reg_enum_keys(fresh, REG_HIVE_USER, "sOfTwArE\\orvantis", &keys), REG_OK);
  EXPECT_EQ(keys, (std::vector<std::string>{"App", "Other"}));
  std::vector<RegValueInfo> values;
  ASSERT_EQ(reg_enum_values(fresh, REG_HIVE_USER, "software\\orvantis\\app", &values), REG_OK);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, "AutoSave");
  EXPECT_EQ(values[0].data, "Off");
}

TEST_F(Registry, DeletingAKeyTakesEverythingBelowIt) {
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, "A\\B\\C", "v", "1"), REG_OK);
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, "A\\B", "w", "2"), REG_OK);
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, "A\\Keep", "k", "3"), REG_OK);

  EXPECT_EQ(reg_delete_key(store, REG_HIVE_USER, "a\\b"), REG_OK);
  EXPECT_EQ(reg_key_exists(store, REG_HIVE_USER, "A\\B\\C"), REG_NOT_FOUND);
  EXPECT_EQ(reg_key_exists(store, REG_HIVE_USER, "A\\B"), REG_NOT_FOUND);
  EXPECT_EQ(reg_key_exists(store, REG_HIVE_USER, "A\\Keep"), REG_OK);
  EXPECT_EQ(reg_delete_key(store, REG_HIVE_USER, "A\\B"), REG_NOT_FOUND);

  EXPECT_EQ(reg_delete_value(store, REG_HIVE_USER, "A\\Keep", "K"), REG_OK);
  EXPECT_EQ(reg_delete_value(store, REG_HIVE_USER, "A\\Keep", "k"), REG_NOT_FOUND);
  EXPECT_EQ(reg_key_exists(store, REG_HIVE_USER, "A\\Keep"), REG_OK);
  EXPECT_EQ(reg_delete_key(store, REG_HIVE_USER, ""), REG_INVALID);
}

TEST_F(Registry, BadNamesAreRefused) {
  for (const char* key : {"A\\\\B", "\\A", "A\\", "A\nB", "A\\B\x01"})
    EXPECT_EQ(reg_set_string(store, REG_HIVE_USER, key, "v", "x"), REG_INVALID) << key;
  EXPECT_EQ(reg_set_string(store, REG_HIVE_USER, "A", "line\nbreak", "x"), REG_INVALID);
  EXPECT_EQ(reg_set_string(store, REG_HIVE_USER, std::string(300, 'k').c_str(), "v", "x"), REG_INVALID);
  EXPECT_EQ(reg_set_value(store, REG_HIVE_USER, "A", "d", REG_TYPE_DWORD, "ab", 2), REG_INVALID);
  EXPECT_FALSE(vtest::file_exists(dir.file("user.reg")));
}

TEST_F(Registry, HandWrittenExportIsRead) {
  vtest::write_file(dir.file("machine.reg"),
                    "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                    "\r\n"
                    "; installed by hand\r\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvantis\\QX Varnica\\Directories]\r\n"
                    "\"BaseDirectory\"=\"/opt/varnica\"\r\n"
                    "@=\"default\"\r\n"
                    "\"Count\"=dword:C\r\n"
                    "\"Blob\"=hex:01,02,\\\r\n"
                    "  03,04\r\n");
  std::string text;
  EXPECT_EQ(
      reg_get_string(store, REG_HIVE_MACHINE, "software\\orvantis\\qx varnica\\directories", "basedirectory", &text),
      REG_OK);
  EXPECT_EQ(text, "/opt/varnica");
  EXPECT_EQ(reg_get_string(store, REG_HIVE_MACHINE, "SOFTWARE\\Orvantis\\QX Varnica\\Directories", nullptr, &text),
            REG_OK);
  EXPECT_EQ(text, "default");
  uint32_t count = 0;
  EXPECT_EQ(reg_get_dword(store, REG_HIVE_MACHINE, "SOFTWARE\\Orvantis\\QX Varnica\\Directories", "Count", &count),
            REG_OK);
  EXPECT_EQ(count, 12u);
  EXPECT_EQ(reg_get_binary(store, REG_HIVE_MACHINE, "SOFTWARE\\Orvantis\\QX Varnica\\Directories", "Blob", &text),
            REG_OK);
  EXPECT_EQ(text, std::string("\x01\x02\x03\x04"));
}

TEST_F(Registry, DamagedFileIsReportedAndNeverOverwritten) {
  const std::vector<std::string> damaged = {
      "not a registry\n",
      "REGEDIT4\n\"v\"=\"value outside a key\"\n",
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Wrong]\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"unterminated\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=dword:123456789\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:0g\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex(1):41,00,42\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,\\\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"x\\q\"\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\A\\\\B]\n",
  };
  for (const std::string& text : damaged) {
    vtest::write_file(dir.file("user.reg"), text);
    std::string value;
    EXPECT_EQ(reg_get_string(store, REG_HIVE_USER, "A", "v", &value), REG_CORRUPT) << text;
    EXPECT_NE(std::string(reg_last_error(store)).find("user.reg"), std::string::npos);
    EXPECT_EQ(reg_set_string(store, REG_HIVE_USER, "A", "new", "x"), REG_CORRUPT) << text;
    EXPECT_EQ(reg_delete_key(store, REG_HIVE_USER, "A"), REG_CORRUPT) << text;
    EXPECT_EQ(user_file(), text);
  }
  vtest::write_file(dir.file("user.reg"), "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"x\"\n\"w\"=bogus\n");
  std::string value;
  EXPECT_EQ(reg_get_string(store, REG_HIVE_USER, "A", "v", &value), REG_CORRUPT);
  EXPECT_NE(std::string(reg_last_error(store)).find("line 4"), std::string::npos) << reg_last_error(store);
}

TEST_F(Registry, ReadOnlyHiveRefusesWrites) {
  reg_set_writable(store, REG_HIVE_MACHINE, false);
  EXPECT_EQ(reg_set_string(store, REG_HIVE_MACHINE, "A", "v", "x"), REG_ACCESS);
  EXPECT_FALSE(vtest::file_exists(dir.file("machine.reg")));
  EXPECT_EQ(reg_set_string(store, REG_HIVE_USER, "A", "v", "x"), REG_OK);
}

TEST_F(Registry, BatchWritesOnceAtTheOutermostEnd) {
  ASSERT_EQ(reg_begin(store, REG_HIVE_USER), REG_OK);
  ASSERT_EQ(reg_begin(store, REG_HIVE_USER), REG_OK);
  for (int i = 0; i < 50; ++i)
    ASSERT_EQ(reg_set_dword(store, REG_HIVE_USER, "Batch", std::to_string(i).c_str(), static_cast<uint32_t>(i)),
              REG_OK);
  EXPECT_EQ(reg_delete_value(store, REG_HIVE_USER, "Batch", "7"), REG_OK);
  EXPECT_EQ(reg_delete_value(store, REG_HIVE_USER, "Batch", "7"), REG_NOT_FOUND);
  uint32_t v = 0;
  EXPECT_EQ(reg_get_dword(store, REG_HIVE_USER, "Batch", "49", &v), REG_OK);
  ASSERT_EQ(reg_end(store, REG_HIVE_USER), REG_OK);
  EXPECT_FALSE(vtest::file_exists(dir.file("user.reg")));
  ASSERT_EQ(reg_end(store, REG_HIVE_USER), REG_OK);
  EXPECT_EQ(reg_end(store, REG_HIVE_USER), REG_INVALID);

  std::vector<RegValueInfo> values;
  ASSERT_EQ(reg_enum_values(reopen(), REG_HIVE_USER, "Batch", &values), REG_OK);
  EXPECT_EQ(values.size(), 49u);
}

TEST_F(Registry, TwoProcessesWritingKeepEachOthersKeys) {
  const int kWrites = 40;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RegStore* mine = reg_open_store(dir.path().c_str());
    int failures = 0;
    for (int i = 0; i < kWrites; ++i)
      failures +=
          reg_set_dword(mine, REG_HIVE_USER, "Child", std::to_string(i).c_str(), static_cast<uint32_t>(i)) != REG_OK;
    reg_close_store(mine);
    _exit(failures == 0 ? 0 : 1);
  }
  int failures = 0;
  for (int i = 0; i < kWrites; ++i)
    failures +=
        reg_set_dword(store, REG_HIVE_USER, "Parent", std::to_string(i).c_str(), static_cast<uint32_t>(i)) != REG_OK;
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(failures, 0);

  for (const char* key : {"Child", "Parent"}) {
    std::vector<RegValueInfo> values;
    ASSERT_EQ(reg_enum_values(reopen(), REG_HIVE_USER, key, &values), REG_OK);
    EXPECT_EQ(values.size(), static_cast<size_t>(kWrites)) << key;
  }
}

TEST_F(Registry, WriteTheReaderWouldRefuseLeavesTheHiveAsItWas) {
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, kKey, "Keep", "kept"), REG_OK);
  // 600,000 characters read back as a quoted string, but with a newline
  // they go out as 16-bit units: twice the reader's limit for one value.
  std::string plain(600000, 'a');
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, kKey, "Plain", plain.c_str()), REG_OK);
  std::string before = user_file();
  std::string lines = plain;
  lines[300000] = '\n';
  EXPECT_EQ(reg_set_string(store, REG_HIVE_USER, kKey, "Lines", lines.c_str()), REG_TOO_BIG);
  EXPECT_NE(std::string(reg_last_error(store)).find("Lines"), std::string::npos) << reg_last_error(store);
  EXPECT_EQ(user_file(), before);

  // 1 MiB values, each three bytes a byte in the file, until the file would
  // pass its limit.
  std::string mib(REG_MAX_VALUE, '\x5a');
  int written = 0;
  int status = REG_OK;
  for (; written < 10; ++written) {
    before = user_file();
    status =
        reg_set_binary(store, REG_HIVE_USER, kKey, ("Big" + std::to_string(written)).c_str(), mib.data(), mib.size());
    if (status != REG_OK) break;
  }
  EXPECT_EQ(status, REG_TOO_BIG);
  EXPECT_GE(written, 4);
  EXPECT_NE(std::string(reg_last_error(store)).find("limit"), std::string::npos) << reg_last_error(store);
  EXPECT_EQ(user_file(), before);

  for (RegStore* reader : {store, reopen()}) {
    std::vector<RegValueInfo> values;
    ASSERT_EQ(reg_enum_values(reader, REG_HIVE_USER, kKey, &values), REG_OK);
    ASSERT_EQ(values.size(), static_cast<size_t>(2 + written));
    EXPECT_EQ(values[0].data, "kept");
    EXPECT_EQ(values[1].data, plain);
    for (int i = 0; i < written; ++i) EXPECT_EQ(values[static_cast<size_t>(2 + i)].data, mib) << i;
  }
}

TEST_F(Registry, EveryChangeOfTheFileIsSeenByTheNextRead) {
  ASSERT_EQ(reg_set_string(store, REG_HIVE_USER, "A", "v", "one"), REG_OK);
  std::string value;
  ASSERT_EQ(reg_get_string(store, REG_HIVE_USER, "A", "v", &value), REG_OK);
  // Another writer: a new file of the same size renamed into place.
  ASSERT_EQ(reg_set_string(reopen(), REG_HIVE_USER, "A", "v", "two"), REG_OK);
  ASSERT_EQ(reg_get_string(store, REG_HIVE_USER, "A", "v", &value), REG_OK);
  EXPECT_EQ(value, "two");
  // A hand edit in place.
  vtest::write_file(dir.file("user.reg"), "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"three\"\n");
  ASSERT_EQ(reg_get_string(store, REG_HIVE_USER, "A", "v", &value), REG_OK);
  EXPECT_EQ(value, "three");
  ASSERT_EQ(unlink(dir.file("user.reg").c_str()), 0);
  EXPECT_EQ(reg_get_string(store, REG_HIVE_USER, "A", "v", &value), REG_NOT_FOUND);
}

TEST_F(Registry, ManySiblingsAndValuesKeepTheirOrderAndNames) {
  ASSERT_EQ(reg_begin(store, REG_HIVE_USER), REG_OK);
  for (int i = 0; i < 300; ++i) {
    std::string n = std::to_string(i);
    ASSERT_EQ(reg_set_dword(store, REG_HIVE_USER, ("Many\\K" + n).c_str(), "v", static_cast<uint32_t>(i)), REG_OK);
    ASSERT_EQ(reg_set_dword(store, REG_HIVE_USER, "Many", ("V" + n).c_str(), static_cast<uint32_t>(i)), REG_OK);
  }
  ASSERT_EQ(reg_end(store, REG_HIVE_USER), REG_OK);
  EXPECT_EQ(reg_delete_value(store, REG_HIVE_USER, "many", "v10"), REG_OK);
  EXPECT_EQ(reg_delete_key(store, REG_HIVE_USER, "many\\k10"), REG_OK);
  EXPECT_EQ(reg_set_dword(store, REG_HIVE_USER, "Many", "V299", 7), REG_OK);

  RegStore* fresh = reopen();
  std::vector<std::string> keys;
  ASSERT_EQ(reg_enum_keys(fresh, REG_HIVE_USER, "Many", &keys), REG_OK);
  ASSERT_EQ(keys.size(), 299u);
  EXPECT_EQ(keys[10], "K11");
  std::vector<RegValueInfo> values;
  ASSERT_EQ(reg_enum_values(fresh, REG_HIVE_USER, "Many", &values), REG_OK);
  ASSERT_EQ(values.size(), 299u);
  EXPECT_EQ(values[10].name, "V11");
  uint32_t v = 0;
  EXPECT_EQ(reg_get_dword(fresh, REG_HIVE_USER, "MANY", "v298", &v), REG_OK);
  EXPECT_EQ(v, 298u);
  EXPECT_EQ(reg_get_dword(fresh, REG_HIVE_USER, "MANY", "v299", &v), REG_OK);
  EXPECT_EQ(v, 7u);
  EXPECT_EQ(reg_get_dword(fresh, REG_HIVE_USER, "Many\\K11", "v", &v), REG_OK);
  EXPECT_EQ(reg_get_dword(fresh, REG_HIVE_USER, "Many\\K10", "v", &v), REG_NOT_FOUND);
}

}  // namespace
