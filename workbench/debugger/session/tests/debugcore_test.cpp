// The debugger core's pieces that need no session: macro expansion,
// variable paths, element decoding, the run-time's argument vector, the
// output reader's lines and the exit line.
#include <gtest/gtest.h>

#include <cstdlib>

#include "workbench/base/settings/config.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/variables/variable.h"
#include "workbench/server/srvqueue.h"

namespace {

std::string bytes(const uint8_t* p, uint32_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

TEST(DebugMacros, ExpandTheTable) {
  setenv("VARNICA_DBG_ONE", "a\\b", 1);
  setenv("VARNICA_DBG_EMPTY", "", 1);
  unsetenv("VARNICA_DBG_UNSET");
  std::string long_name(80, 'N');
  struct Case {
    const char* text;
    const char* host;
    const char* login;
    std::string want;
  } cases[] = {
      {"X=$(VARNICA_DBG_ONE)", nullptr, nullptr, "X=a\\\\b"},
      {"$(VARNICA_DBG_UNSET)|$(VARNICA_DBG_EMPTY)|", nullptr, nullptr, "||"},
      {"a$(VARNICA_DBG_ONE", nullptr, nullptr, "a$(VARNICA_DBG_ONE"},
      {"H=$H h=$h I=$I i=$i", nullptr, nullptr, "H=localhost h=localhost I=127.0.0.1 i=127.0.0.1"},
      {"$H $I", "127.0.0.1", nullptr, "localhost 127.0.0.1"},
      {"$H", "localhost", nullptr, "localhost"},
      {"$L@$l", nullptr, "alice", "alice@alice"},
      {"$Q $$ end$", nullptr, nullptr, "$Q $$ end$"},
      {"", nullptr, nullptr, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Debug_ExpandMacros(c.text, c.host, c.login), c.want) << c.text;
  // A name of 80 characters or more is not a macro: "$(" is copied and the
  // scan goes on behind it.
  std::string text = "$(" + long_name + ")";
  EXPECT_EQ(Debug_ExpandMacros(text.c_str(), nullptr, nullptr), text);
}

TEST(DebugMacros, LoginFallsBackToTheUserAndRemoteHostIsOurName) {
  RecordingSink sink;
  EXPECT_FALSE(Debug_ExpandMacros("$L", nullptr, nullptr).empty());
  // A real server host: $H is this machine's name, never "localhost".
  std::string name = Debug_ExpandMacros("$H", "dbhost", nullptr);
  if (sink.boxes.empty()) {
    EXPECT_FALSE(name.empty());
  } else {
    EXPECT_EQ(sink.boxes[0].caption, "QX Varnica");
  }
}

TEST(DebugPaths, TopLevelAndChildAddressing) {
  std::unique_ptr<Variable> top = Variable_Create(VARKIND_TYPE, "rec", "REC", 7, 4);
  ASSERT_TRUE(top);
  auto* rec = static_cast<VariableContainer*>(top.get());
  rec->AppendChild(Variable_Create(VARKIND_INTEGER, "n", "5", 7, 2));
  Variable* child = rec->GetFirstChild();
  struct Case {
    const Variable* var;
    std::string want;
  } cases[] = {
      {nullptr, std::string("\0\0\0\0\0\0", 6)},
      {top.get(), std::string("\0\0\0\7\0\1\0\4", 8)},
      {child, std::string("\0\0\0\7\0\2\0\4\0\2", 10)},
  };
  for (const Case& c : cases) {
    SrvQueue q;
    Debug_PutVariablePath(q, c.var);
    EXPECT_EQ(bytes(q.send_buf.Payload(), q.send_buf.Length()), c.want);
  }
}

// A queue holding one received payload, ready for the decoders.
void receive(SrvQueue& q, const std::string& payload) {
  q.recv_buf.Assign(std::vector<uint8_t>(payload.begin(), payload.end()));
  q.flags |= SrvQueue::SrvQueue_SUCCESS;
}

std::string element(uint16_t index, const std::string& name, uint8_t kind, const std::string& value) {
  std::string e;
  e += static_cast<char>(index >> 8);
  e += static_cast<char>(index & 0xFF);
  e += '\0';
  e += static_cast<char>(name.size() + 1);
  e += name + '\0';
  e += static_cast<char>(kind);
  e += '\0';
  e += static_cast<char>(value.size() + 1);
  e += value + '\0';
  return e;
}

TEST(DebugElements, KindCodesMakeTheirVariables) {
  SrvQueue q;
  receive(q, element(3, "arr", 0xC9, "ARRAY(1:10)") + element(1, "s", 'X', "hi") + element(2, "r", 'L', "2,5"));
  auto arr = Debug_GetElement(q, 9);
  ASSERT_TRUE(arr);
  EXPECT_TRUE(arr->IsContainer());
  EXPECT_STREQ(arr->GetTypeName(), "INTEGER");
  EXPECT_EQ(arr->GetValueText(), "ARRAY(1:10)");
  EXPECT_EQ(arr->GetHandle(), 9);
  EXPECT_EQ(arr->GetIndex(), 3);
  auto s = Debug_GetElement(q, 9);
  EXPECT_STREQ(s->GetTypeName(), "STRING");
  auto r = Debug_GetElement(q, 9);
  EXPECT_EQ(r->GetValueText(), "2.5");
}

TEST(DebugElements, UnknownKindAndCutElementFailTheRequest) {
  RecordingSink sink;
  for (const std::string& payload :
       {element(0, "z", 'Z', "1"), element(0, "z", 0xC1, "1"), element(0, "cut", 'I', "1").substr(0, 9)}) {
    SrvQueue q;
    receive(q, payload);
    EXPECT_THROW(Debug_GetElement(q, 1), CUserException);
  }
  EXPECT_EQ(sink.boxes.size(), 3u);
}

TEST(DebugLocal, ArgumentVectorAndAppendedProgram) {
  EXPECT_EQ(Debug_LocalArguments("/opt/bin/zazovadi", false, "127.0.0.1", "4711", {"run", "x y"}),
            (std::vector<std::string>{"/opt/bin/zazovadi", "-rconnect", "127.0.0.1:4711", "run", "x y"}));
  EXPECT_EQ(Debug_LocalArguments("z", true, "h", "1", {}), (std::vector<std::string>{"z", "-f", "-rconnect", "h:1"}));
  struct Case {
    const char* command;
    const char* path;
    const char* want;
  } cases[] = {
      {"run", "C:/p/prog.PROG", "run \"C:/p/prog\""},
      {"", "/p/prog.PROG", "\"/p/prog\""},
      {"run", "/p.d/prog", "run \"/p.d/prog\""},
      {"run", "C:\\a.b\\q.PROG", "run \"C:\\\\a.b\\\\q\""},
      {"run", "/my dir/say \"hi\".PROG", "run \"/my dir/say \\\"hi\\\"\""},
  };
  for (const Case& c : cases) EXPECT_EQ(Debug_AppendProgram(c.command, c.path), c.want) << c.path;
  // The splitter gives the path back as one word.
  CfgDebug words;
  words.SplitWords(Debug_AppendProgram("run", "/my dir/a\\b \"q\".PROG").c_str());
  EXPECT_EQ(words.words, (std::vector<std::string>{"run", "/my dir/a\\b \"q\""}));
}

TEST(DebugLocal, OutputSplittingAndPieces) {
  DebugLineSplitter s;
  EXPECT_EQ(s.Feed("a\r\nb", 4), (std::vector<std::string>{"a"}));
  EXPECT_EQ(s.Finish(), "b");
  EXPECT_EQ(s.Feed("\n\nx\0y\x1b[0m\n", 11), (std::vector<std::string>{"", "", "xy[0m"}));
  DebugLineSplitter c1(true, 4);
  EXPECT_EQ(c1.Feed("\x85"
                    "abcdef\n",
                    8),
            (std::vector<std::string>{"abcd", "ef"}));
  DebugLineSplitter plain;
  EXPECT_EQ(plain.Feed("\x85\n", 2), (std::vector<std::string>{"\x85"}));
}

TEST(DebugLocal, ExitLineRule) {
  EXPECT_EQ(Debug_ExitLine(0, false), "");
  EXPECT_EQ(Debug_ExitLine(0, true), "\nProcess terminated with exit code 0 (0x0).");
  EXPECT_EQ(Debug_ExitLine(3, false), "Process terminated with exit code 3 (0x3).");
  EXPECT_EQ(Debug_ExitLine(137, true), "\nProcess terminated with exit code 137 (0x89).");
}

TEST(DebugStack, LineOfAnEntry) {
  DebugLocation e;
  e.text1 = "LET X = 1";
  e.text3 = "MAIN";
  EXPECT_EQ(Debug_StackLine(e), "MAIN: LET X = 1");
  e.text2 = "prog";
  EXPECT_EQ(Debug_StackLine(e), "MAIN (prog): LET X = 1");
}

}  // namespace
