// formmorph against the stand-in dialog server and runsrv: what it sends,
// what the server writes, and how each fault ends.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "dialogs/formmorph/drvclient.h"
#include "dialogs/formmorph/fmtrace.h"
#include "testsupport.h"
#include "tests/peers/dlgserver/launch.h"

namespace {

using dlgserver_test::requests;
using dlgserver_test::StandIn;
using Lines = std::vector<std::string>;

class Formmorph : public ::testing::Test {
 protected:
  void SetUp() override {
    vtest::write_file(dir.file("main.dlg"),
                      "# a sample dialog\n"
                      "include \"parts/sizes.dlg\"\n"
                      "include \"?parts/missing.dlg\"\n"
                      "TITLE = \"Orders # open\"\n"
                      "Dialog main {\n"
                      "  .title = TITLE\n"
                      "  .width = WIDTH\n"
                      "  .fgc = 0x1F    # hex\n"
                      "  .tabs[0] = 10\n"
                      "  .tabs[1] = 020\n"
                      "  #__IDE__# .grid = 4\n"
                      "  PushButton ok { .text = \"OK\" }\n"
                      "}\n");
    std::string parts = dir.path() + "/parts";
    ASSERT_EQ(mkdir(parts.c_str(), 0700), 0);
    // Relative to the including file; "$VAR" from the environment.
    vtest::write_file(parts + "/sizes.dlg", "include \"$PARTSDIR/width.dlg\"\n");
    vtest::write_file(parts + "/width.dlg", "WIDTH = 80\n");
    env["PARTSDIR"] = parts;
    env["VARNICA_REGISTRY"] = dir.path() + "/registry";
    ASSERT_EQ(mkdir(env["VARNICA_REGISTRY"].c_str(), 0700), 0);
    work = dir.path() + "/work";
    ASSERT_EQ(mkdir(work.c_str(), 0700), 0);
  }

  vtest::RunResult formmorph(std::vector<std::string> args) {
    vtest::RunOptions o = vtest::in_folder(work);
    o.env = env;
    o.unset_env.push_back("DRIVER");
    o.timeout_seconds = 60;
    return vtest::run("formmorph", args, o);
  }
  vtest::RunResult convert(const StandIn& server, std::vector<std::string> files) {
    std::vector<std::string> args = {"-driver", "dlg://127.0.0.1:" + std::to_string(server.port()), out()};
    args.insert(args.end(), files.begin(), files.end());
    return formmorph(args);
  }
  std::string out() const { return dir.file("out.idm"); }
  std::string server_log(const StandIn& s) const { return s.dir().file("dlgserver.log"); }

  // An installation whose etc directory holds `ini` as "zell.ini".
  void install_zell_ini(const std::string& ini) {
    std::string etc = dir.path() + "/etc";
    mkdir(etc.c_str(), 0700);
    vtest::write_file(etc + "/zell.ini", ini);
    vtest::write_file(env["VARNICA_REGISTRY"] + "/user.reg",
                      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\r\n"
                      "\"etc\"=\"" +
                          etc + "\"\r\n");
  }

  vtest::TempDir dir;
  std::map<std::string, std::string> env;
  std::string work;
};

const Lines kMainRequests = {
    "ASYNC 1",
    "NEW \"main\" \"Dialog\"",
    "SET \"main.title\" STRING \"Orders # open\"",
    "SET \"main.width\" INT 80",
    "SET \"main.fgc\" INT 31",
    "SET \"main.tabs[0]\" INT 10",
    "SET \"main.tabs[1]\" INT 16",
    "NEW \"main.ok\" \"PushButton\"",
    "SET \"main.ok.text\" STRING \"OK\"",
};

const char kMainWritten[] =
    "!! written by dlgserver\n"
    "Dialog main\n"
    "{\n"
    "  .title \"Orders # open\";\n"
    "  .width 80;\n"
    "  .fgc 31;\n"
    "  .tabs[0] 10;\n"
    "  .tabs[1] 16;\n"
    "  PushButton ok\n"
    "  {\n"
    "    .text \"OK\";\n"
    "  }\n"
    "}\n";

Lines with_save(Lines lines, const std::string& out) {
  lines.push_back("RULE \"YqSaveDialog\" \"\" 1 STRING \"" + out + "\"");
  lines.push_back("STOP");
  return lines;
}

TEST_F(Formmorph, ConvertsADialogWithItsIncludes) {
  StandIn server("dlgserver");
  vtest::RunResult r = convert(server, {dir.file("main.dlg")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(requests(server_log(server)), with_save(kMainRequests, out()));
  EXPECT_EQ(vtest::read_file(out()), kMainWritten);
  EXPECT_NE(r.err.find("formmorph: Loading dialog " + dir.file("main.dlg") + " ...\n"), std::string::npos);
  EXPECT_NE(r.err.find("formmorph: Writing " + out() + " ...\n"), std::string::npos);
}

TEST_F(Formmorph, SeveralFilesGoToOneDialog) {
  vtest::write_file(dir.file("second.dlg"), "Dialog other {\n  .x = -1\n}\n");
  StandIn server("dlgserver");
  vtest::RunResult r = convert(server, {dir.file("main.dlg"), dir.file("second.dlg")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  Lines expected = kMainRequests;
  expected.insert(expected.end(), {"NEW \"other\" \"Dialog\"", "SET \"other.x\" INT -1"});
  EXPECT_EQ(requests(server_log(server)), with_save(expected, out()));
  EXPECT_NE(vtest::read_file(out()).find("Dialog other\n{\n  .x -1;\n}\n"), std::string::npos);
}

TEST_F(Formmorph, GoesThroughRunsrvNamedInZellIni) {
  std::string dlg_log = dir.file("reverse.log");
  StandIn runsrv("runsrv", {"--server-option=--log", "--server-option=" + dlg_log});
  install_zell_ini("[pc]\nrunsrv = 127.0.0.1:" + std::to_string(runsrv.port()) + "  ; the stand-in\n");
  env["DRIVER"] = "@pc ConfigSection";
  vtest::RunOptions o = vtest::in_folder(work);
  o.env = env;
  vtest::RunResult r = vtest::run("formmorph", {out(), dir.file("main.dlg")}, o);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::string log = runsrv.log();
  EXPECT_EQ(log.compare(0, 23, "request DLG \"127.0.0.1:"), 0) << log;
  EXPECT_NE(log.find(" ConfigSection\"\n"), std::string::npos) << log;
  EXPECT_EQ(requests(dlg_log), with_save(kMainRequests, out()));
  EXPECT_NE(vtest::read_file(dlg_log).find("# args ConfigSection\n"), std::string::npos);
  EXPECT_EQ(vtest::read_file(out()), kMainWritten);
}

TEST_F(Formmorph, ADlgKeyReplacesTheSpecification) {
  StandIn server("dlgserver");
  install_zell_ini("[Office]\ndlg = \"dlg://127.0.0.1:" + std::to_string(server.port()) + "\"\n");
  vtest::RunResult r = formmorph({"-driver", "@Office", out(), dir.file("main.dlg")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(requests(server_log(server)), with_save(kMainRequests, out()));
}

TEST_F(Formmorph, ASyntaxErrorDeletesTheFilesObjects) {
  vtest::write_file(dir.file("bad.dlg"), "Dialog a {\n}\nDialog b {\n  Text t {\n    .x 1\n");
  StandIn server("dlgserver");
  vtest::RunResult r = convert(server, {dir.file("main.dlg"), dir.file("bad.dlg")});
  EXPECT_EQ(r.exit_code, 1);
  Lines expected = kMainRequests;
  expected.insert(expected.end(),
                  {"NEW \"a\" \"Dialog\"", "NEW \"b\" \"Dialog\"", "NEW \"b.t\" \"Text\"", "DEL \"a\"", "DEL \"b\""});
  EXPECT_EQ(requests(server_log(server)), expected);
  EXPECT_NE(r.err.find("formmorph: ** error loading dialog\n"
                       "formmorph: line 5: '=' Expected\n"
                       "formmorph: error code is 3\n"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(vtest::file_exists(out()));
}

TEST_F(Formmorph, ReaderFailuresEndWithTheirCodes) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"Dialog d {\n  .t = \"open\n}\n", "line 2: Missing quote\nformmorph: error code is 3\n"},
      {"Dialog d {\n  .w = 4294967296\n}\n", "line 2: 4294967296: Number does not fit 32 bits\n"},
      {"Dialog d {\n  .w = NOWHERE\n}\n", "line 2: NOWHERE: Attribute value not defined\n"},
      {"include \"absent.dlg\"\n", "absent.dlg: Unable to open include file\nformmorph: error code is 2\n"},
      {"include \"$NOSUCHVARIABLE/x.dlg\"\n", "line 1: NOSUCHVARIABLE: Environment variable not defined\n"},
      {"include \"$/x.dlg\"\n", "line 1: /x.dlg: Bad environment variable\n"},
      {"A a { B b { C c { D d { E e { F f { G g { H h { I i {\n",
       "line 1: Nesting to deep, MAX_DEPTH is 8\nformmorph: error code is 4\n"},
  };
  for (const Case& c : cases) {
    vtest::write_file(dir.file("case.dlg"), c.text);
    StandIn server("dlgserver");
    vtest::RunResult r = convert(server, {dir.file("case.dlg")});
    EXPECT_EQ(r.exit_code, 1) << c.text;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  StandIn server("dlgserver");
  vtest::RunResult r = convert(server, {dir.file("none.dlg")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(
      r.err.find("line 0: " + dir.file("none.dlg") + ": Unable to open dialog file\nformmorph: error code is 2\n"),
      std::string::npos)
      << r.err;
}

// Only regular files are read: a FIFO nobody writes to would block, a device
// like /dev/zero never ends, a folder is no source.
TEST_F(Formmorph, SourcesAndIncludesAreRegularFilesOnly) {
  const std::string fifo = dir.file("fifo.dlg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& source : {fifo, std::string("/dev/zero"), dir.path()}) {
    StandIn server("dlgserver");
    vtest::RunResult r = convert(server, {source});
    EXPECT_EQ(r.exit_code, 1) << source;
    EXPECT_NE(r.err.find("line 0: " + source + ": Unable to open dialog file\nformmorph: error code is 2\n"),
              std::string::npos)
        << r.err;
  }
  for (const std::string& include : {fifo, std::string("/dev/zero")}) {
    vtest::write_file(dir.file("includes.dlg"), "include \"" + include + "\"\n");
    StandIn server("dlgserver");
    vtest::RunResult r = convert(server, {dir.file("includes.dlg")});
    EXPECT_EQ(r.exit_code, 1) << include;
    EXPECT_NE(r.err.find(include + ": Unable to open include file\nformmorph: error code is 2\n"), std::string::npos)
        << r.err;
  }
}

TEST_F(Formmorph, SynchronousServerStatusesEndTheRunOrAreAccepted) {
  vtest::write_file(dir.file("classes"), "Dialog .title .width\nPushButton .text\n");
  vtest::write_file(dir.file("unknown.dlg"), "Dialog d {\n  .colour = 3\n  .title = \"t\"\n}\n");
  {
    StandIn server("dlgserver", {"--sync", "--classes", dir.file("classes")});
    vtest::RunResult r = convert(server, {dir.file("unknown.dlg")});
    EXPECT_EQ(r.exit_code, 0) << r.err;  // status 4 of an unknown attribute is accepted
    EXPECT_EQ(requests(server_log(server)),
              with_save({"ASYNC 1", "NEW \"d\" \"Dialog\"", "SET \"d.colour\" INT 3", "SET \"d.title\" STRING \"t\""},
                        out()));
  }
  vtest::write_file(dir.file("twice.dlg"), "Dialog d {\n}\nDialog d {\n}\n");
  StandIn server("dlgserver", {"--sync"});
  vtest::RunResult r = convert(server, {dir.file("twice.dlg")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("formmorph: line 3: DLG NEW \"d\",\"Dialog\" failed\nformmorph: error code is 2\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(requests(server_log(server)),
            (Lines{"ASYNC 1", "NEW \"d\" \"Dialog\"", "NEW \"d\" \"Dialog\"", "DEL \"d\""}));
}

TEST_F(Formmorph, AsynchronousErrorsArriveAsRemoteStatus) {
  vtest::write_file(dir.file("classes"), "Dialog .title\n");
  StandIn server("dlgserver", {"--classes", dir.file("classes")});
  vtest::RunResult r = convert(server, {dir.file("main.dlg")});
  EXPECT_EQ(r.exit_code, 1);
  // The first error is the unknown attribute ".width" (4); it may come in
  // before or after the save.
  EXPECT_NE(r.err.find("formmorph: ** error loading dialog\nformmorph: remote status is 653\n"), std::string::npos)
      << r.err;
}

TEST_F(Formmorph, ALateErrorAfterTheSaveFailsTheRun) {
  StandIn server("dlgserver", {"--fault", "late-error"});
  vtest::RunResult r = convert(server, {dir.file("main.dlg")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("formmorph: ** error loading dialog\nformmorph: remote status is 656\n"), std::string::npos)
      << r.err;
}

TEST_F(Formmorph, ServerFaultsEndWithTheirCodes) {
  struct Case {
    const char* fault;
    const char* message;
  };
  const Case cases[] = {
      {"greeting-300", "formmorph: zelldlg: Incompatible response\nformmorph: driver startup failed, cc = 31\n"},
      {"bad-magic", "formmorph: zelldlg: Incompatible response\nformmorph: driver startup failed, cc = 31\n"},
      {"empty-response=ASYNC", "formmorph: ** error setting asynchronous mode\nformmorph: error code is 35\n"},
      {"bad-code=ASYNC", "formmorph: drv_ntoh: bad res = 99\n"},
      {"empty-response=RULE", "formmorph: ** error calling YqSaveDialog\nformmorph: error code is 35\n"},
      {"bad-code=RULE", "formmorph: ** error calling YqSaveDialog\nformmorph: error code is 36\n"},
      {"bad-offset=RULE", "formmorph: ** error calling YqSaveDialog\nformmorph: error code is 36\n"},
      {"bad-code=NEW", "formmorph: error code is 36\n"},
      {"close-after=3", "formmorph: error code is 35\n"},
  };
  for (const Case& c : cases) {
    StandIn server("dlgserver", {"--fault", c.fault});
    auto start = std::chrono::steady_clock::now();
    vtest::RunResult r = convert(server, {dir.file("main.dlg")});
    EXPECT_EQ(r.exit_code, 1) << c.fault;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.fault << "\n" << r.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << c.fault;
  }
}

TEST_F(Formmorph, RunsrvRefusalsFailTheStart) {
  struct Case {
    std::vector<std::string> options;
    const char* message;
  };
  const Case cases[] = {
      {{"--status", "5"}, "formmorph: runsrv: 5 refused by configuration\n"},
      {{"--fault", "no-number"}, "formmorph: runsrv: reply without a status: started\n"},
      {{"--fault", "long-reply"}, "formmorph: runsrv: bad reply length = 2007\n"},
  };
  for (const Case& c : cases) {
    StandIn runsrv("runsrv", c.options);
    install_zell_ini("[pc]\nrunsrv = 127.0.0.1:" + std::to_string(runsrv.port()) + "\n");
    vtest::RunResult r = formmorph({"-driver", "@pc", out(), dir.file("main.dlg")});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find(std::string(c.message) + "formmorph: driver startup failed, cc = 31\n"), std::string::npos)
        << r.err;
  }
  StandIn runsrv("runsrv");
  install_zell_ini("[pc]\nrunsrv = 127.0.0.1:" + std::to_string(runsrv.port()) + "\n");
  vtest::RunResult r = formmorph(
      {"-driver", "@pc " + std::string(1000, 'a') + " " + std::string(100, 'b'), out(), dir.file("main.dlg")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("formmorph: Commandline exceeds maximum\nformmorph: driver startup failed, cc = 31\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(runsrv.log(), "");
}

TEST_F(Formmorph, TheReverseAcceptWaitsOnlySoLong) {
  StandIn runsrv("runsrv", {"--no-connect"});
  install_zell_ini("[pc]\nrunsrv = 127.0.0.1:" + std::to_string(runsrv.port()) + "\n");
  fm_set_trace_stream(std::tmpfile());
  DrvClient client;
  client.ini_path = dir.path() + "/etc/zell.ini";
  client.accept_timeout_ms = 300;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(drv_start(&client, "VUZ", "@pc", 1024, {"x"}), DRV_ERR_START);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(client.active);
  EXPECT_NE(runsrv.log().find("request DLG \"127.0.0.1:"), std::string::npos);
  fm_set_trace_stream(nullptr);
}

TEST_F(Formmorph, TheClientKeepsOneNamedDriver) {
  StandIn server("dlgserver", {"--sync"});
  fm_set_trace_stream(std::tmpfile());
  DrvClient client;
  std::string spec = "127.0.0.1:" + std::to_string(server.port());
  ASSERT_EQ(drv_start(&client, "VUZ", spec.c_str(), 1024, {}), 0);
  EXPECT_EQ(drv_start(&client, "VUZ", spec.c_str(), 1024, {}), 0);
  EXPECT_EQ(drv_start(&client, "OTHER", spec.c_str(), 1024, {}), DRV_ERR_START);
  EXPECT_EQ(drv_new(&client, "OTHER", "d", "Dialog"), DRV_ERR_NAME);
  EXPECT_EQ(drv_new(&client, "VUZ", "d", "Dialog"), 0);
  DrvValue v;
  v.kind = DRV_TEXT;
  v.text = "hello";
  EXPECT_EQ(drv_set(&client, "VUZ", "d.title", v), 0);
  DrvRequest get;
  get.code = DMDRV_GET;
  get.path = "d.title";
  DrvResponse r;
  ASSERT_EQ(drv_exchange(&client, "VUZ", get, &r), 0);
  EXPECT_EQ(r.code, DMDRV_GET);
  EXPECT_EQ(r.value.kind, DRV_TEXT);
  EXPECT_EQ(r.value.text, "hello");
  EXPECT_EQ(drv_new(&client, "VUZ", "x.y", "Dialog"), 1);  // unknown parent
  EXPECT_EQ(drv_delete(&client, "VUZ", "d"), 0);
  EXPECT_EQ(drv_delete(&client, "VUZ", "d"), 3);
  EXPECT_EQ(drv_driver_stop(&client, "VUZ"), 0);
  // The server has closed: the next request finds the connection broken.
  EXPECT_EQ(drv_new(&client, "VUZ", "e", "Dialog"), DRV_ERR_BROKEN);
  EXPECT_EQ(drv_new(&client, "VUZ", "e", "Dialog"), DRV_ERR_BROKEN);
  EXPECT_EQ(drv_stop(&client, "VUZ"), 0);
  EXPECT_EQ(drv_new(&client, "VUZ", "e", "Dialog"), DRV_ERR_NAME);
  fm_set_trace_stream(nullptr);
}

}  // namespace
