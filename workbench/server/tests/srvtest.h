// A fixture for the server-link tests: a private profile, a recording sink,
// throwing checks, the offscreen application, and a stand-in program server
// over a small tree (hello.txt, progs/a.PROG, progs/deep/) whose users file
// knows alice:secret, bob:hunter2 and eve with an empty password.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/registry.h"
#include "refcrypto.h"
#include "tests/support/standin.h"
#include "tests/support/testsupport.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/srvqueue.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/tests/shelltest.h"

class SrvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Fw_TestQApp();
    setenv(REG_ENV_DIRECTORY, profile.path().c_str(), 1);
    reg_reset_default_store();
    Cfg_SetProfile(nullptr);
    previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
    vtest::write_file(tree.file("hello.txt"), "hello, server\n");
    mkdir(tree.file("progs").c_str(), 0755);
    mkdir(tree.file("progs/deep").c_str(), 0755);
    vtest::write_file(tree.file("progs/a.PROG"), std::string("YQ.PROG\0binary", 14));
    vtest::write_file(tree.file("progs/notes.txt"), "notes\n");
    vtest::write_file(users.file("users"), "alice:" + refcrypto::md5_hex("secret") +
                                               "\nbob:" + refcrypto::md5_hex("hunter2") +
                                               "\neve:" + refcrypto::md5_hex("") + "\n");
  }
  void TearDown() override {
    SrvConn::CloseAll();
    server.reset();
    Sys_SetAssertHandler(previous_);
    reg_reset_default_store();
    unsetenv(REG_ENV_DIRECTORY);
  }

  void start(const std::vector<std::string>& faults = {}) {
    std::vector<std::string> args = {"--root", tree.path(), "--users", users.file("users")};
    for (const auto& f : faults) {
      args.push_back("--fault");
      args.push_back(f);
    }
    server = std::make_unique<vtest::StandIn>("progserver", args);
  }

  SrvQueue* connect(const char* login = "alice", const char* password = "secret") {
    std::string service = server->service();
    return SrvConn::Connect("127.0.0.1", service.c_str(), login, password);
  }

  // The text of every box so far, joined.
  std::string boxes() const {
    std::string all;
    for (const auto& b : sink.boxes) all += "[" + b.caption + "] " + b.text + "\n";
    return all;
  }

  static int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  vtest::TempDir profile, tree, users;
  RecordingSink sink;
  std::unique_ptr<vtest::StandIn> server;

 private:
  SysAssertHandler previous_ = nullptr;
};
