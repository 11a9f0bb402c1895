// The base of window tests that run the whole environment: a profile of the
// test program's own, the application object started as tessarine starts
// it (-nologo) with its main window shown, and the same ending after each
// test.
#pragma once

#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"

class ShellWindowTest : public ::testing::Test {
 protected:
  // Points the profile at a new folder under /tmp named after `name`, once
  // for the test program, and makes its QApplication. From SetUpTestSuite.
  // The folder goes when the test program ends.
  static void UseTemporaryProfile(const char* name) {
    static const std::string dir = [name] {
      std::string templ = std::string("/tmp/") + name + "-XXXXXX";
      return std::string(mkdtemp(templ.data()));
    }();
    // Registered after the folder's name, so it runs before the name goes.
    static const bool removed_at_exit = std::atexit([] {
                                          std::error_code ignored;
                                          std::filesystem::remove_all(dir, ignored);
                                        }) == 0;
    (void)removed_at_exit;
    setenv("VARNICA_REGISTRY", dir.c_str(), 1);
    reg_reset_default_store();
    Fw_TestQApp();
  }

  // The pairs of items of one menu of the main window's menu bar (or of
  // one of their sub-menus) that underline the same letter, as
  // "menu: first / second", after each menu's update.
  std::vector<std::string> MenuLetterClashes() const {
    std::vector<std::string> clashes;
    std::function<void(QMenu*, const std::string&)> walk = [&](QMenu* menu, const std::string& path) {
      emit menu->aboutToShow();
      std::map<QChar, std::string> seen;
      for (QAction* a : menu->actions()) {
        if (!a->isVisible() || a->isSeparator()) continue;
        const QString text = a->text();
        const qsizetype amp = text.indexOf(QRegularExpression("&[^&]"));
        if (amp >= 0) {
          auto [at, fresh] = seen.emplace(text.at(amp + 1).toUpper(), text.toStdString());
          if (!fresh) clashes.push_back(path + ": " + at->second + " / " + text.toStdString());
        }
        if (a->menu()) walk(a->menu(), path + " > " + text.toStdString());
      }
    };
    for (QAction* top : main->menuBar()->actions())
      if (top->menu()) walk(top->menu(), top->text().toStdString());
    return clashes;
  }

  // Makes the application, lets `install` plug in what the test needs,
  // starts it and waits for the main window. Fails the test (fatally) when
  // it does not start; call through ASSERT_NO_FATAL_FAILURE.
  void StartShell(const std::function<void()>& install = {}) {
    app = std::make_unique<CYqApp>();
    if (install) install();
    ASSERT_TRUE(app->InitInstance({"-nologo"}));
    main = app->MainWnd();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
  }

  // Closes the main window and ends the application (nothing when it was
  // not made). The neighbours are left to the caller.
  void StopShell() {
    if (!app) return;
    if (main != nullptr && main->isVisible()) main->close();
    app->ExitInstance();
    app.reset();
    main = nullptr;
  }

  std::unique_ptr<CYqApp> app;
  CMainFrame* main = nullptr;
};
