// The setup dialogs of the two dialog plug-ins, driven as a user would
// through each module's SetupPlugin: values kept through the host's profile
// and used by the next load or save, range refusals, the template list's
// questions, and Cancel storing nothing.
#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "platform/dynlib.h"
#include "workbench/base/sysutil.h"
#include "workbench/dialogs/model/dlg_font.h"
#include "workbench/dialogs/document/tests/dlgdoc_fixture.h"
#include "workbench/framework/tests/fwtest.h"

namespace {

using Step = std::function<void(QWidget*)>;

class PlugSetup : public DlgDocTest {
 protected:
  void SetUp() override {
    Fw_TestQApp();
    DlgDocTest::SetUp();
    const std::string lib = tmp.file("lib");
    for (const char* module : {PLUGTEXT_MODULE, PLUGPANE_MODULE}) {
      const std::filesystem::path from(module);
      Place(module, lib, from.filename().string());
      std::filesystem::copy_file(std::filesystem::path(from).replace_extension(".cfg"),
                                 std::filesystem::path(lib) / from.filename().replace_extension(".cfg"));
    }
    PluginID::InitializeFrom(lib.c_str());
    ASSERT_EQ(PluginID::Sync(), 1) << sink.all();
    text = PluginID::Find("ide-plugtext");
    pane = PluginID::Find("ide-plugpane");
    ASSERT_NE(text, nullptr);
    ASSERT_NE(pane, nullptr);
  }

  // Runs the plug-in's SetupPlugin while `steps` act, one each, on the
  // modal windows as they come up; every step must have run.
  void Setup(PluginID* plugin, std::vector<Step> steps) {
    auto setup = reinterpret_cast<SetupPluginFn>(dynlib_symbol(plugin->Module(), "SetupPlugin"));
    ASSERT_NE(setup, nullptr);
    size_t next = 0;
    // Guarded: a new window may come up at a freed one's address.
    QPointer<QWidget> last, seen;
    int ticks = 0;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      QWidget* w = QApplication::activeModalWidget();
      // A window is handed its step once it has stayed on top for two ticks:
      // between one window closing and the next coming up, the one beneath
      // is on top for a moment and must not take the next window's step.
      if (w != seen) {
        seen = w;
        ticks = 0;
        return;
      }
      if (++ticks < 2 || w == nullptr || w == last || next >= steps.size()) return;
      last = w;
      // A step of its own timer: a step that opens a nested modal window
      // leaves this timer free to drive it.
      QTimer::singleShot(0, w, [&steps, w, i = next] { steps[i](w); });
      ++next;
    });
    timer.start();
    setup();
    timer.stop();
    EXPECT_EQ(next, steps.size());
  }

  int Profile(PluginID* plugin, const char* section, const char* key) {
    PluginDesc* d = plugin->Desc();
    return d->Host.GetProfileInt(d, section, key, -1);
  }
  std::vector<std::string> Templates() {
    PluginDesc* d = text->Desc();
    std::vector<std::string> names;
    const int n = d->Host.GetProfileInt(d, "TemplateFiles", "Total", 0);
    for (int i = 1; i <= n; ++i) {
      char buffer[256] = "";
      d->Host.GetProfileString(d, "TemplateFiles", std::to_string(i).c_str(), "", buffer, sizeof buffer);
      names.push_back(buffer);
    }
    return names;
  }
  // Every file of the registry with its bytes.
  std::map<std::string, std::string> Registry() {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(tmp.file("registry")))
      if (e.is_regular_file()) files[e.path().string()] = Slurp(e.path().string());
    return files;
  }

  PluginID* text = nullptr;
  PluginID* pane = nullptr;
};

QLineEdit* Field(QWidget* w, const char* name) {
  auto* edit = w->findChild<QLineEdit*>(name);
  EXPECT_NE(edit, nullptr) << name;
  return edit;
}
void Set(QWidget* w, const char* name, const char* value) { Field(w, name)->setText(value); }
std::string Get(QWidget* w, const char* name) { return Field(w, name)->text().toStdString(); }
void Press(QWidget* w, const char* name) { w->findChild<QPushButton*>(name)->click(); }
void Ok(QWidget* w) { w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); }
void Cancel(QWidget* w) { static_cast<QDialog*>(w)->reject(); }

// A step that expects a message box with `title` and `text`, checks that
// No is its default when it asks, and presses `button`.
Step Box(const char* title, std::string text, QMessageBox::StandardButton button) {
  return [=](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr) << w->windowTitle().toStdString();
    EXPECT_EQ(box->windowTitle().toStdString(), title);
    EXPECT_EQ(box->text().toStdString(), text);
    if (box->button(QMessageBox::No) != nullptr) {
      EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    }
    box->button(button)->click();
  };
}

TEST_F(PlugSetup, VariantsAreStoredAndShownWhenReopened) {
  Setup(pane, {[](QWidget* w) {
          EXPECT_EQ(w->windowTitle(), "Setup VUZ Dialog Plug-In");
          // Wide enough that the title bar shows the caption whole beside
          // the window's icon and its three buttons.
          QFont bold = w->font();
          bold.setBold(true);
          const QFontMetrics metrics(bold);
          EXPECT_GE(w->width(), metrics.horizontalAdvance(w->windowTitle()) + 4 * metrics.height());
          EXPECT_EQ(Get(w, "FontVariant"), "1");  // absent: the default
          EXPECT_EQ(Get(w, "ColorVariant"), "1");
          Set(w, "FontVariant", "7");
          Set(w, "ColorVariant", "99");
          Ok(w);
        }});
  EXPECT_EQ(Profile(pane, "", "FontVariant"), 7);
  EXPECT_EQ(Profile(pane, "", "ColorVariant"), 99);
  Setup(pane, {[](QWidget* w) {
          EXPECT_EQ(Get(w, "FontVariant"), "7");
          EXPECT_EQ(Get(w, "ColorVariant"), "99");
          Cancel(w);
        }});
}

// The font variant chosen in the dialog picks the entry of a font block in
// the next load; the document already open keeps its fonts.
TEST_F(PlugSetup, FontVariantChoosesTheFontOfTheNextLoad) {
  const std::string idm = Write("fonts.idm",
                                "font Big\n{\n  1: \"Arial\", 8;\n  7: \"Arial\", 14;\n}\n"
                                "window W\n{\n  .font Big;\n}\n");
  auto sizes = [](CDlgEditDoc* doc) {
    std::vector<int> out;
    for (DlgFontEntry* f = doc->Root().Fonts().head; f != nullptr; f = f->next)
      if (std::string(f->Text()).find("Arial") != std::string::npos) out.push_back(f->PointSize());
    return out;
  };
  CDlgEditDoc* before = Open(pane, idm);
  ASSERT_NE(before, nullptr) << sink.all();
  EXPECT_EQ(sizes(before), std::vector<int>{8});
  Setup(pane, {[](QWidget* w) {
          Set(w, "FontVariant", "7");
          Ok(w);
        }});
  delete before;
  CDlgEditDoc* after = Open(pane, idm);
  ASSERT_NE(after, nullptr) << sink.all();
  EXPECT_EQ(sizes(after), std::vector<int>{14});
  // A variant that no entry has: the system font stands in.
  Setup(pane, {[](QWidget* w) {
          Set(w, "FontVariant", "3");
          Ok(w);
        }});
  CDlgEditDoc* none = Open(pane, Write("other.idm", Slurp(idm)));
  ASSERT_NE(none, nullptr) << sink.all();
  EXPECT_TRUE(sizes(none).empty());
}

TEST_F(PlugSetup, OutOfRangeValuesKeepTheDialogOpen) {
  const char* range99 = "Please enter an integer between 0 and 99.";
  Setup(pane, {[](QWidget* w) {
                 Set(w, "FontVariant", "100");
                 Ok(w);
               },
               Box("Setup VUZ Dialog Plug-In", range99, QMessageBox::Ok),
               [](QWidget* w) {
                 EXPECT_EQ(w->focusWidget(), Field(w, "FontVariant"));
                 Set(w, "FontVariant", "2");
                 Set(w, "ColorVariant", "-1");
                 Ok(w);
               },
               Box("Setup VUZ Dialog Plug-In", range99, QMessageBox::Ok),
               [](QWidget* w) {
                 EXPECT_EQ(w->focusWidget(), Field(w, "ColorVariant"));
                 Cancel(w);
               }});
  EXPECT_EQ(Profile(pane, "", "FontVariant"), -1);
  Setup(text, {[](QWidget* w) {
                 Set(w, "BlankLines", "10");
                 Ok(w);
               },
               Box("Setup ASCII DLG Plug-In", "Please enter an integer between 0 and 9.", QMessageBox::Ok), Cancel});
}

TEST_F(PlugSetup, CancelLeavesTheProfileUntouched) {
  PluginDesc* d = text->Desc();
  d->Host.WriteProfileInt(d, "", "Indent", -3);
  d->Host.WriteProfileInt(d, "", "BlankLines", 4);
  const auto before = Registry();
  Setup(text, {[](QWidget* w) {
          EXPECT_EQ(Get(w, "Indent"), "1");  // negative: the default
          EXPECT_EQ(Get(w, "BlankLines"), "4");
          Set(w, "Indent", "5");
          Cancel(w);
        }});
  EXPECT_EQ(Registry(), before);
}

TEST_F(PlugSetup, TemplateListIsEditedWithItsQuestions) {
  auto add = [](const char* name) {
    return [=](QWidget* w) {
      EXPECT_EQ(w->windowTitle(), "Add Template File");
      Set(w, "FileName", name);
      Ok(w);
    };
  };
  auto list = [](QWidget* w) { return w->findChild<QTreeWidget*>("Templates"); };
  const std::string duplicate =
      "This file name seems to be already in the list:\n\"a.tdlg\"\n\nDo you want to add it anyway?";
  Setup(text,
        {[&](QWidget* w) { Press(w, "Add"); }, add(""),
         Box("Missing Entry", "An entry in the field named \"File Name\" is required.", QMessageBox::Ok), add("a.tdlg"),
         [&](QWidget* w) {
           ASSERT_EQ(list(w)->topLevelItemCount(), 1);
           Press(w, "Add");
         },
         add("a.tdlg"), Box("Duplicate Template File Name", duplicate, QMessageBox::No),
         add("A.tdlg"),  // compared exactly: no question
         [&](QWidget* w) { Press(w, "Add"); }, add("a.tdlg"),
         Box("Duplicate Template File Name", duplicate, QMessageBox::Yes),
         [&](QWidget* w) {
           ASSERT_EQ(list(w)->topLevelItemCount(), 3);
           list(w)->setCurrentItem(list(w)->topLevelItem(0));
           Press(w, "Remove");
         },
         Box("Remove Template File", "Are you sure you want to remove template file\n\"a.tdlg\"?", QMessageBox::No),
         [&](QWidget* w) {
           ASSERT_EQ(list(w)->topLevelItemCount(), 3);
           Press(w, "Remove");
         },
         Box("Remove Template File", "Are you sure you want to remove template file\n\"a.tdlg\"?", QMessageBox::Yes),
         [&](QWidget* w) {
           ASSERT_EQ(list(w)->topLevelItemCount(), 2);
           Ok(w);
         }});
  EXPECT_EQ(Templates(), (std::vector<std::string>{"A.tdlg", "a.tdlg"}));
  // A shorter list leaves no stale entry behind and reads back in order.
  PluginDesc* d = text->Desc();
  char stale[16] = "";
  Setup(text,
        {[&](QWidget* w) {
           ASSERT_EQ(list(w)->topLevelItemCount(), 2);
           list(w)->setCurrentItem(list(w)->topLevelItem(0));
           Press(w, "Remove");
         },
         Box("Remove Template File", "Are you sure you want to remove template file\n\"A.tdlg\"?", QMessageBox::Yes),
         Ok});
  EXPECT_EQ(Templates(), (std::vector<std::string>{"a.tdlg"}));
  d->Host.GetProfileString(d, "TemplateFiles", "2", "none", stale, sizeof stale);
  EXPECT_STREQ(stale, "none");
}

TEST_F(PlugSetup, SaveOptionsChangeTheNextSave) {
  const std::string fixtures = PLUGTEXT_FIXTURES;
  std::filesystem::create_directories(tmp.file("in"));
  for (const char* f : {"basic.dlg", "common.dlg"})
    std::filesystem::copy_file(fixtures + "/" + f, tmp.file(std::string("in/") + f).c_str());
  Setup(text, {[](QWidget* w) {
          Set(w, "Indent", "3");
          Set(w, "BlankLines", "0");
          Ok(w);
        }});
  EXPECT_EQ(Profile(text, "", "Indent"), 3);
  EXPECT_EQ(Profile(text, "", "BlankLines"), 0);
  CDlgEditDoc* doc = Open(text, tmp.file("in/basic.dlg"));
  ASSERT_NE(doc, nullptr) << sink.all();
  const std::string out = tmp.file("out.dlg");
  ASSERT_EQ(doc->OnSaveDocument(out.c_str()), 1) << sink.all();
  EXPECT_EQ(Slurp(out), Slurp(fixtures + "/basic-3-0.golden"));
}

// File New of each plug-in starts from the template file built into the
// etc folder beside lib: one dialog, untitled and unchanged, that saves and
// opens again.
TEST_F(PlugSetup, FileNewStartsFromTheShippedTemplates) {
  ASSERT_GE(Sys_RegSet("Directories", "etc", PLUGIN_ETC), 0);
  for (PluginID* plugin : {pane, text}) {
    SCOPED_TRACE(plugin->Desc()->Ident);
    CDlgEditDoc::ResetUntitledCounter();
    CDlgEditDoc* doc = CDlgEditDoc::NewFile(plugin);
    ASSERT_NE(doc, nullptr) << sink.all();
    EXPECT_EQ(doc->GetTitle(), "Dialog1");
    EXPECT_TRUE(doc->GetPathName().empty());
    EXPECT_FALSE(doc->IsModified());
    ASSERT_NE(doc->FirstRootObject(), nullptr);
    const std::string saved = tmp.file(std::string("new") + plugin->FirstType()->Ext);
    ASSERT_EQ(doc->OnSaveDocument(saved.c_str()), 1) << sink.all();
    delete doc;
    CDlgEditDoc* again = Open(plugin, saved);
    ASSERT_NE(again, nullptr) << sink.all();
    EXPECT_NE(again->FirstRootObject(), nullptr);
  }
  EXPECT_TRUE(sink.boxes.empty()) << sink.all();
}

}  // namespace
