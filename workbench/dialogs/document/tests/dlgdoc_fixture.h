// A fixture for the plug-in manager and the dialog document: a registry of
// its own in a temporary folder, fatal checks that throw, a shell sink that
// records every box ("caption: text") and answers questions as told, and a
// notifier that records what the windows would be told.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "testsupport.h"
#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/dlgnotify.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

class RecordingSink : public ShellSink {
 public:
  int message_box(void*, const char* caption, const char* text, unsigned style) override {
    boxes.push_back(std::string(caption ? caption : "") + ": " + (text ? text : ""));
    unsigned buttons = style & 0x0F;
    if (buttons == SHELL_MB_YESNO || buttons == 0x03) return answer;
    return SHELL_IDOK;
  }
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int) override { throw std::runtime_error("end_process"); }
  std::string all() const {
    std::string s;
    for (const std::string& b : boxes) s += b + "\n";
    return s;
  }
  std::vector<std::string> boxes;
  int answer = SHELL_IDNO;
};

class RecordingNotify : public DlgDocNotify {
 public:
  void StatusText(const char* t) override { events.push_back(std::string("status: ") + t); }
  void StatusError(const char* t) override { events.push_back(std::string("error: ") + t); }
  void ProgressSet(int p) override { progress.push_back(p); }
  void ActivateDocument(CDlgEditDoc*) override { events.push_back("activate"); }
  bool OpenSource(const char* path, int line) override {
    events.push_back("source: " + std::string(path) + ":" + std::to_string(line));
    return true;
  }
  void AutoSaveInterval(CDlgEditDoc*, int minutes) override { interval = minutes; }
  bool has(const std::string& e) const {
    for (const std::string& x : events)
      if (x == e) return true;
    return false;
  }
  std::vector<std::string> events;
  std::vector<int> progress;
  int interval = -1;
};

class DlgDocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv(REG_ENV_DIRECTORY, tmp.file("registry").c_str(), 1);
    std::filesystem::create_directories(tmp.file("registry"));
    reg_reset_default_store();
    previous_assert = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
    Shell_SetSink(&sink);
    DlgDoc_SetNotify(&notify);
    CDlgEditDoc::ResetUntitledCounter();
  }
  void TearDown() override {
    while (!CDlgEditDoc::Documents().empty()) delete CDlgEditDoc::Documents().back();
    PluginID::Shutdown();
    DlgDoc_SetNotify(nullptr);
    Shell_SetSink(nullptr);
    Sys_SetAssertHandler(previous_assert);
    reg_reset_default_store();
    unsetenv(REG_ENV_DIRECTORY);
  }

  // Copies a built module into `dir` (made when missing) as `name`.
  std::string Place(const char* module, const std::string& dir, const std::string& name) {
    std::filesystem::create_directories(dir);
    std::string to = dir + "/" + name;
    std::filesystem::copy_file(module, to, std::filesystem::copy_options::overwrite_existing);
    return to;
  }
  // Loads the scripted plug-in alone, each time from a folder of its own:
  // a module file is never overwritten while it may still be mapped.
  PluginID* LoadTestPlug() {
    std::string dir = tmp.file("plugins" + std::to_string(++loads));
    Place(MODULE_TESTPLUG, dir, "ide-testplug.so");
    PluginID::InitializeFrom(dir.c_str());
    EXPECT_EQ(PluginID::Sync(), 1);
    PluginID* p = PluginID::Find("ide-testplug");
    EXPECT_NE(p, nullptr) << sink.all();
    return p;
  }
  // Loads one built plug-in with its settings file (`ide-NAME.so` and
  // `ide-NAME.cfg` in a folder of their own); null when it did not load.
  PluginID* LoadPlugin(const char* module, const char* cfg, const std::string& name) {
    const std::string dir = tmp.file("plugins" + std::to_string(++loads));
    Place(module, dir, "ide-" + name + ".so");
    std::filesystem::copy_file(cfg, dir + "/ide-" + name + ".cfg");
    PluginID::InitializeFrom(dir.c_str());
    EXPECT_EQ(PluginID::Sync(), 1);
    PluginID* p = PluginID::Find(("ide-" + name).c_str());
    EXPECT_NE(p, nullptr) << sink.all();
    return p;
  }
  std::string Write(const std::string& rel, const std::string& text) {
    std::string path = tmp.file(rel);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // Opens `path` through the plug-in's file type `type` (0: the first).
  CDlgEditDoc* Open(PluginID* p, const std::string& path, int type = 0) {
    PluginID::SetPending(p, p->Desc()->FileTypes + type);
    return CDlgEditDoc::OpenFile(path.c_str());
  }

  vtest::TempDir tmp;
  RecordingSink sink;
  RecordingNotify notify;
  SysAssertHandler previous_assert = nullptr;
  int loads = 0;
};
