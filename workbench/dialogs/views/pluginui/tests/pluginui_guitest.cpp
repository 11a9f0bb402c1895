// The installed plug-in list and the information dialog over the real
// dialog plug-ins loaded from a temporary library folder.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "workbench/dialogs/document/tests/dlgdoc_fixture.h"
#include "workbench/dialogs/views/pluginui/plugininfodlg.h"
#include "workbench/dialogs/views/pluginui/pluginlist.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/tests/fwtest.h"

namespace {

class PluginUi : public DlgDocTest {
 protected:
  void SetUp() override {
    Fw_TestQApp();
    DlgDocTest::SetUp();
  }
  // Loads the modules named, from a library folder of their own.
  void Load(std::initializer_list<std::pair<const char*, const char*>> modules) {
    const std::string lib = tmp.file("lib");
    std::filesystem::create_directories(lib);
    for (const auto& [module, name] : modules) {
      Place(module, lib, name);
      // the module's settings file, built next to it
      std::filesystem::path cfg = std::filesystem::path(module).replace_extension(".cfg");
      std::filesystem::copy_file(cfg,
                                 std::filesystem::path(lib) / std::filesystem::path(name).replace_extension(".cfg"));
    }
    PluginID::InitializeFrom(lib.c_str());
    ASSERT_EQ(PluginID::Sync(), 1) << sink.all();
  }
  std::vector<std::string> Rows(const CPluginList& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.GetItemCount(); ++i) rows.push_back(list.topLevelItem(i)->text(0).toStdString());
    return rows;
  }
};

TEST_F(PluginUi, ListShowsEachPluginInOrderWithItsRecord) {
  Load({{PLUGTEXT_MODULE, "ide-plugtext.so"}, {PLUGPANE_MODULE, "ide-plugpane.so"}});
  CPluginList list;
  EXPECT_EQ(list.AddItem(PluginID::GetHead()), -1);  // before Init
  ASSERT_EQ(list.Init(), 1);
  EXPECT_EQ(list.headerItem()->text(0), "Installed Plug-In Modules");
  EXPECT_EQ(list.columnWidth(0),
            QFontMetrics(list.font()).horizontalAdvance("Installed Plug-In Modules") + FittedColumnMargin);
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"VUZ Dialog Plug-In", "ASCII DLG Plug-In"}));
  EXPECT_EQ(list.GetItemInfo(0), PluginID::GetHead());
  EXPECT_EQ(list.GetItemInfo(1), PluginID::GetHead()->Next());
  // A second Init adds nothing.
  EXPECT_EQ(list.Init(), 1);
  EXPECT_EQ(list.GetItemCount(), 2);
  EXPECT_THROW(list.AddItem(nullptr), std::exception);
}

TEST_F(PluginUi, NoPluginsGiveTheColumnAndNoRows) {
  Load({});
  CPluginList list;
  ASSERT_EQ(list.Init(), 1);
  EXPECT_EQ(list.headerItem()->text(0), "Installed Plug-In Modules");
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_EQ(list.GetSelectedIdx(), -1);
}

TEST_F(PluginUi, InfoDialogShowsTheDescriptorAndFileTypes) {
  Load({{PLUGTEXT_MODULE, "ide-plugtext.so"}, {PLUGPANE_MODULE, "ide-plugpane.so"}});
  struct Case {
    const char* ident;
    std::vector<std::pair<int, std::string>> fields;
  };
  const std::string lib = tmp.file("lib");
  const Case cases[] = {
      {"ide-plugtext",
       {{IDC_PLUGIN_CATEGORY, "DLG"},
        {IDC_PLUGIN_DATE, "Jul  7 2001"},
        {IDC_PLUGIN_DESCRIPTION, "ASCII DLG Plug-In"},
        {IDC_PLUGIN_MODULE, lib + "/ide-plugtext.so"},
        {IDC_PLUGIN_IDENT, "ide-plugtext"},
        {IDC_PLUGIN_REVISION, "3.0.5.1"},
        {IDC_PLUGIN_FILETYPES, "*.dlg; *.form"}}},
      {"ide-plugpane", {{IDC_PLUGIN_DESCRIPTION, "VUZ Dialog Plug-In"}, {IDC_PLUGIN_FILETYPES, "*.idm"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ident);
    PluginID* plugin = PluginID::Find(c.ident);
    ASSERT_NE(plugin, nullptr);
    CPluginInfoDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Plug-In Info");
    dlg.Fill(plugin);
    std::vector<std::string> topics;
    dlg.SetHelp([&](const std::string& topic) { topics.push_back(topic); });
    bool seen = false;
    QTimer::singleShot(0, &dlg, [&] {
      for (const auto& [id, text] : c.fields) {
        QLineEdit* edit = dlg.Field(id);
        ASSERT_NE(edit, nullptr) << id;
        EXPECT_EQ(edit->text().toStdString(), text) << id;
        EXPECT_TRUE(edit->isReadOnly());
      }
      QTest::keyClick(&dlg, Qt::Key_F1);
      seen = true;
      dlg.findChild<QPushButton*>("ok")->click();
    });
    EXPECT_EQ(dlg.DoModal(), QDialog::Accepted);
    EXPECT_TRUE(seen);
    EXPECT_EQ(topics, std::vector<std::string>{"HIDD_PLUGIN_INFO"});
  }
}

}  // namespace
