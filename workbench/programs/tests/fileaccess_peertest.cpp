// The file access layer against the stand-in program server, in process and
// through fileprobe: listings by mode and the top level, reading and saving
// byte for byte, and the server's refusals with their captions.
#include <sys/stat.h>

#include "workbench/programs/dirutil.h"
#include "workbench/programs/progdoc.h"
#include "workbench/server/tests/srvtest.h"
#include "workbench/shell/pswdcrypt.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/server/tests/serverentry.h"

namespace {

class FileAccess : public SrvTest {
 protected:
  void SetUp() override {
    SrvTest::SetUp();
    start_configured({});
  }

  // The stand-in with `faults`, entered in the server list as "localhost".
  void start_configured(const std::vector<std::string>& faults) {
    SrvConn::CloseAll();
    start(faults);
    Cfg_ListClear("Server");
    Test_ListServer("localhost", server->service());
  }

  std::vector<std::string> list(const char* dir, const char* pattern = "", int mode = DIRLIST_ALL) {
    std::vector<std::string> out;
    std::unique_ptr<DirList> l = DirList_Open(dir, pattern, mode, 0);
    if (!l) return {"(null)"};
    while (std::unique_ptr<DirEntry> e = l->Next()) {
      std::string line = e->name + ((e->mode & DIRENTRY_FOLDER) ? "/" : "");
      if (e->mode & DIRENTRY_HAS_SUBFOLDERS) line += "+";
      if (const char* target = e->GetTarget()) line += std::string(" -> ") + target;
      out.push_back(line);
    }
    return out;
  }

  vtest::RunResult probe(const std::vector<std::string>& args) {
    vtest::RunOptions options;
    options.env["VARNICA_REGISTRY"] = profile.path();
    options.env["QT_QPA_PLATFORM"] = "offscreen";
    options.timeout_seconds = 30;
    return vtest::run("fileprobe", args, options);
  }
};

using V = std::vector<std::string>;

TEST_F(FileAccess, ListingsByModeAndTheTopLevel) {
  ASSERT_EQ(symlink("a.PROG", tree.file("progs/b.PROG").c_str()), 0);
  mkdir(tree.file("progs/deep/deeper").c_str(), 0755);
  EXPECT_EQ(list("localhost://"), (V{"hello.txt", "progs/+"}));
  EXPECT_EQ(list("localhost://progs"), (V{"a.PROG", "b.PROG -> a.PROG", "deep/+", "notes.txt"}));
  EXPECT_EQ(list("localhost://progs", "", DIRLIST_FILES), (V{"a.PROG", "b.PROG -> a.PROG", "notes.txt"}));
  EXPECT_EQ(list("localhost://progs", "", DIRLIST_FOLDERS), (V{"deep/+"}));
  EXPECT_EQ(list("localhost://progs", "", DIRLIST_ONE_FOLDER), (V{"deep/+"}));
  EXPECT_EQ(list("localhost://progs", "*.PROG"), (V{"a.PROG", "b.PROG -> a.PROG"}));
  EXPECT_TRUE(DirUtil_FileExists("localhost://progs/a.PROG"));
  EXPECT_FALSE(DirUtil_FileExists("localhost://progs/A.PROG"));
  EXPECT_FALSE(DirUtil_FileExists("localhost://progs/deep"));
  EXPECT_TRUE(sink.boxes.empty()) << boxes();
  EXPECT_NE(server->log().find("# list \"progs\" \"*.PROG\" 0"), std::string::npos);

  // the probe prints the same listing, with sizes and modes
  vtest::RunResult r = probe({"list", "localhost://progs", "*.txt", "1"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "notes.txt 6 81a4\n");
}

TEST_F(FileAccess, BadEntriesEndOrSkipAndRefusalsShowTheServersMessage) {
  start_configured({"bad-kind"});
  EXPECT_EQ(list("localhost://progs"), V{});
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "General Failure");
  EXPECT_EQ(sink.boxes[0].text.rfind("Client/Server Protocol Failure:\n", 0), 0u) << boxes();

  start_configured({"odd-names"});
  EXPECT_EQ(list("localhost://progs", "", DIRLIST_FILES), (V{"a.PROG", "notes.txt"}));  // ".", "..", "a/b" dropped

  sink.boxes.clear();
  EXPECT_EQ(list("localhost://nothere"), V{"(null)"});
  EXPECT_EQ(boxes(), "[localhost://nothere] Path \"nothere\" is outside the server's tree\n");

  sink.boxes.clear();
  EXPECT_EQ(DirUtil_OpenFile("localhost://progs/missing.txt"), nullptr);
  EXPECT_EQ(boxes(),
            "[Open File [4]] File \"localhost://progs/missing.txt\" could not be opened:\n"
            "Path \"progs/missing.txt\" is outside the server's tree\n");

  sink.boxes.clear();
  std::unique_ptr<DirSaveFile> save = DirUtil_BeginSave("localhost://../out.txt");
  ASSERT_NE(save, nullptr);
  save->PutString("x");
  EXPECT_THROW(save->Commit(), CUserException);
  EXPECT_EQ(boxes(),
            "[Save File [3]] File \"localhost://../out.txt\" could not be saved:\n"
            "Path \"../out.txt\" is outside the server's tree\n");

  // the probe shows the same box on standard error and fails
  vtest::RunResult r = probe({"read", "localhost://progs/missing.txt"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("Open File [4]: File \"localhost://progs/missing.txt\" could not be opened:\n"),
            std::string::npos)
      << r.err;
}

TEST_F(FileAccess, SavedFilesReadBackByteForByte) {
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7 % 256);
  std::unique_ptr<DirSaveFile> save = DirUtil_BeginSave("localhost://progs/blob.bin");
  ASSERT_NE(save, nullptr);
  std::memcpy(save->WriteBlock(static_cast<uint32_t>(bytes.size())), bytes.data(), bytes.size());
  save->Commit();
  save.reset();
  EXPECT_EQ(vtest::read_file(tree.file("progs/blob.bin")), bytes);
  std::unique_ptr<FileBuffer> back = DirUtil_OpenFile("localhost://progs/blob.bin");
  ASSERT_NE(back, nullptr) << boxes();
  const char* data = nullptr;
  uint32_t size = 0;
  back->GetData(&data, &size);
  EXPECT_EQ(std::string(data, size), bytes);

  // lines of a server file, cut in place in the reply
  save = DirUtil_BeginSave("localhost://progs/crlf.txt");
  save->separator = DIRSEP_CRLF;
  save->WriteLine("first", 5);
  save->WriteLine("second", 6);
  save->Commit();
  back = DirUtil_OpenFile("localhost://progs/crlf.txt");
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->GetLine(), "first");
  EXPECT_STREQ(back->GetLine(), "second");
  EXPECT_EQ(back->GetLine(), nullptr);
  EXPECT_EQ(back->Separator(), DIRSEP_CRLF);

  // the debug session's read of a source (request 6) on the same link
  std::string service = server->service();
  std::unique_ptr<SrvQueue> debug(SrvConn::Connect("localhost", service.c_str(), "alice", "secret"));
  ASSERT_NE(debug, nullptr);
  std::unique_ptr<FileBuffer> source = DirUtil_OpenDebugFile(debug.get(), "hello.txt");
  ASSERT_NE(source, nullptr) << boxes();
  EXPECT_STREQ(source->GetLine(), "hello, server");
  source.reset();
  EXPECT_EQ(DirUtil_OpenDebugFile(debug.get(), "gone.txt"), nullptr);
  EXPECT_EQ(boxes(),
            "[Open File [5]] Debug file could not be opened:\nPath \"gone.txt\" is outside the server's tree\n");

  // through the probe: save a local file to the server and read it back
  vtest::write_file(profile.file("in.txt"), bytes);
  vtest::RunResult r = probe({"save", "localhost://progs/probe.bin", profile.file("in.txt")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  r = probe({"read", "localhost://progs/probe.bin"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, bytes);
  r = probe({"lines", "localhost://progs/crlf.txt"});
  EXPECT_EQ(r.out, "[4] first\n[4] second\n");
}

TEST_F(FileAccess, AProgramOpensFromTheServerAndSavesBackByteForByte) {
  vtest::write_file(tree.file("progs/hello.txt"), "PRINT \"Hello\"\nSUB Twice(X)\nPRINT X*2\nSUBEND\n");
  vtest::RunResult r = vtest::run("store", {"-r", "2", "-o", tree.file("progs/hello"), tree.file("progs/hello.txt")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string stored = vtest::read_file(tree.file("progs/hello.PROG"));
  ProgDocHost host;
  CfgSettings config;
  config.Program.options &= ~CfgProgram::ReIndent;  // the columns as stored
  ProgDoc doc(&host, config);
  ASSERT_TRUE(doc.Open("localhost://progs/hello.PROG", CfgFileMode_Auto)) << boxes();
  EXPECT_EQ(doc.FileMode(), CfgFileMode_BinaryPROGv6);
  EXPECT_EQ(doc.Text().num_lines, 4u);
  EXPECT_EQ(doc.Segments().size(), 2u);
  ASSERT_TRUE(doc.Save("localhost://progs/copy.PROG")) << boxes();
  EXPECT_EQ(vtest::read_file(tree.file("progs/copy.PROG")), stored);
  EXPECT_EQ(doc.PathName(), "localhost://progs/copy.PROG");
  EXPECT_TRUE(sink.boxes.empty()) << boxes();
}

}  // namespace
