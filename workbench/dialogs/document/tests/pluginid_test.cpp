// The plug-in manager: the scan of the library folder, every check of a
// module with its message, the order of the list, the file-type iteration,
// the host callbacks and the unloading after the last document.
#include <dlfcn.h>
#include <unistd.h>

#include <cstring>

#include "dlgdoc_fixture.h"
#include "workbench/dialogs/model/dlg_obj.h"

namespace {

using PluginManager = DlgDocTest;

std::vector<std::string> Idents() {
  std::vector<std::string> v;
  for (PluginID* p = PluginID::GetHead(); p; p = p->next) v.push_back(p->Desc()->Ident);
  return v;
}

TEST_F(PluginManager, ScanFindsModulesInSubfoldersAndByNameWithoutCase) {
  std::string lib = tmp.file("lib");
  Place(MODULE_TESTPLUG, lib + "/sub/deep", "ide-testplug.so");
  Place(MODULE_TESTPLUG_N200, lib, "IDE-X.SO");
  Place(MODULE_TESTPLUG_NOINIT, lib, "ide.so");           // too short a name: never tried
  Place(MODULE_TESTPLUG_NOINIT, lib, "ide-noinit.so.1");  // wrong ending
  Place(MODULE_TESTPLUG_CATEGORY, lib, "ide-.so");        // the shortest name that is tried
  // A link back to the library folder is not followed into a loop, so the
  // module below it is not found a second time.
  std::filesystem::create_directory_symlink(lib, lib + "/sub/loop");
  PluginID::InitializeFrom(lib.c_str());
  ASSERT_EQ(PluginID::Sync(), 1);
  EXPECT_EQ(Idents(), (std::vector<std::string>{"ide-n200", "ide-testplug"}));
  ASSERT_EQ(sink.boxes.size(), 1u) << sink.all();
  EXPECT_EQ(sink.boxes[0],
            "Plug-In Manager: Unable to load Plug-In module:\n" + lib + "/ide-.so\nUnknown Plug-In category [XYZ]");
}

TEST_F(PluginManager, EachFaultyModuleGivesItsMessageAndStaysOut) {
  std::string dir = tmp.file("faulty");
  PluginID::InitializeFrom("");  // an empty start; modules are then loaded one by one
  ASSERT_NE(PluginID::LoadModule(Place(MODULE_TESTPLUG, dir, "ide-testplug.so").c_str()), nullptr);
  struct Case {
    const char* module;
    const char* name;
    std::string message;  // "%s" stands for the path; empty: loads
  };
  const Case cases[] = {
      {MODULE_TESTPLUG_NOGET, "ide-noget.so", "%s\nis not recognized as QX Varnica Plug-In module."},
      {MODULE_TESTPLUG_NULLDESC, "ide-nulldesc.so", "Unable to load Plug-In module:\n%s"},
      {MODULE_TESTPLUG_V7, "ide-v7.so", "Version mismatch in Plug-In module:\n%s\nCurrent version is 8, module has 7"},
      {MODULE_TESTPLUG_SAME, "ide-same.so",
       "Unable to load Plug-In module:\n%s\nModule with same ID \"ide-testplug\" does already exist."},
      // the failed initialisation is reported, not the wrong category
      {MODULE_TESTPLUG_INITFAILS, "ide-initfails.so", "Plug-In module failed during initialization:\n%s"},
      {MODULE_TESTPLUG_CATEGORY, "ide-category.so",
       "Unable to load Plug-In module:\n%s\nUnknown Plug-In category [XYZ]"},
      {MODULE_TESTPLUG_NULLIDENT, "ide-nullident.so", "Unable to load Plug-In module:\n%s"},
      {MODULE_TESTPLUG_NOLOAD, "ide-noload.so", "Unable to load Plug-In module:\n%s"},
      {MODULE_TESTPLUG_NOINIT, "ide-noinit.so", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sink.boxes.clear();
    std::string path = Place(c.module, dir, c.name);
    PluginID* p = PluginID::LoadModule(path.c_str());
    if (c.message.empty()) {
      EXPECT_NE(p, nullptr);
      EXPECT_TRUE(sink.boxes.empty()) << sink.all();
      continue;
    }
    EXPECT_EQ(p, nullptr);
    std::string want = c.message;
    want.replace(want.find("%s"), 2, path);
    ASSERT_EQ(sink.boxes.size(), 1u) << sink.all();
    EXPECT_EQ(sink.boxes[0], "Plug-In Manager: " + want);
  }
  // Only the accepted modules are listed; the same ident once.
  EXPECT_EQ(Idents(), (std::vector<std::string>{"ide-noinit", "ide-testplug"}));
}

TEST_F(PluginManager, AModuleTheLoaderRefusesShowsThePathAndTheLoadersText) {
  std::string path = Write("junk/ide-junk.so", "not a shared object\n");
  EXPECT_EQ(PluginID::LoadModule(path.c_str()), nullptr);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].rfind("Plug-In Manager: " + path + "\n", 0), 0u) << sink.boxes[0];
  EXPECT_GT(sink.boxes[0].size(), ("Plug-In Manager: " + path + "\n").size());
}

TEST_F(PluginManager, ListIsOrderedByNumberWhateverTheOrderFound) {
  std::string lib = tmp.file("lib");
  Place(MODULE_TESTPLUG_N200, lib, "ide-a.so");    // 200, found first
  Place(MODULE_TESTPLUG, lib, "ide-b.so");         // 300
  Place(MODULE_TESTPLUG_NOINIT, lib, "ide-c.so");  // 100, found last
  PluginID::InitializeFrom(lib.c_str());
  ASSERT_EQ(PluginID::Sync(), 1);
  EXPECT_EQ(Idents(), (std::vector<std::string>{"ide-noinit", "ide-n200", "ide-testplug"}));
  EXPECT_EQ(PluginID::Find("ide-n200"), PluginID::GetHead()->next);
  EXPECT_EQ(PluginID::Find("IDE-N200"), nullptr);
}

TEST_F(PluginManager, FileTypesAreIteratedOnceEach) {
  PluginID* p = LoadTestPlug();
  ASSERT_NE(p, nullptr);
  PluginFileType* t = p->FirstFileType();
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(t->Ext, ".tsd");
  t = p->NextFileType();
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(t->Ext, ".tsi");
  EXPECT_EQ(p->NextFileType(), nullptr);
  EXPECT_EQ(p->NextFileType(), nullptr);  // stays after the last
  EXPECT_STREQ(p->FirstFileType()->Ext, ".tsd");
  // The host callbacks were written before InitPlugin ran.
  EXPECT_NE(p->Desc()->Host.GetProp, nullptr);
}

TEST_F(PluginManager, ProfileCallbacksUseThePluginsSection) {
  PluginID* p = LoadTestPlug();
  ASSERT_NE(p, nullptr);
  PluginDesc* d = p->Desc();
  EXPECT_EQ(PluginID::ProfileSection(d, ""), "Plug-In\\ide-testplug");
  EXPECT_EQ(PluginID::ProfileSection(d, "Setup"), "Plug-In\\ide-testplug\\Setup");
  d->Host.WriteProfileString(d, "Setup", "Font", "Courier");
  d->Host.WriteProfileInt(d, "", "Count", 42);
  char buf[16];
  EXPECT_STREQ(d->Host.GetProfileString(d, "Setup", "Font", "none", buf, sizeof buf), "Courier");
  EXPECT_STREQ(d->Host.GetProfileString(d, "Setup", "Missing", "none", buf, sizeof buf), "none");
  EXPECT_EQ(d->Host.GetProfileInt(d, "", "Count", 0), 42);
  EXPECT_EQ(d->Host.GetProfileInt(d, "Setup", "Count", 7), 7);
  // a size below 2 leaves the buffer as it is
  char one[1] = {'q'};
  EXPECT_EQ(d->Host.GetProfileString(d, "Setup", "Font", "none", one, 1), one);
  EXPECT_EQ(one[0], 'q');
  // a long value is cut to the buffer
  char small[4];
  EXPECT_STREQ(d->Host.GetProfileString(d, "Setup", "Font", "none", small, sizeof small), "Cou");
  EXPECT_THROW(d->Host.GetProfileInt(d, nullptr, "x", 0), SysAssertError);
}

TEST_F(PluginManager, ConvertCharsetPairs) {
  PluginHostCallbacks host{};
  PluginID_FillHostCallbacks(&host);
  char text[] = "A\xe9z";
  EXPECT_EQ(host.ConvertCharset(0, 0, text, 3), 0);
  EXPECT_STREQ(text, "A\xe9z");
  EXPECT_EQ(host.ConvertCharset(1, 1, text, 3), 0);
  EXPECT_STREQ(text, "A\xe9z");
  EXPECT_EQ(host.ConvertCharset(0, 2, text, 3), -1);
  EXPECT_EQ(host.ConvertCharset(2, 2, text, 3), -1);
  EXPECT_STREQ(text, "A\xe9z");
  EXPECT_EQ(host.ConvertCharset(1, 0, text, 3), 0);
  EXPECT_NE(text[1], '\xe9');
  EXPECT_EQ(text[0], 'A');
  EXPECT_EQ(host.ConvertCharset(0, 1, text, 3), 0);
  EXPECT_STREQ(text, "A\xe9z");
  EXPECT_THROW(host.FileExists(nullptr), SysAssertError);
}

TEST_F(PluginManager, ModulesStayLoadedUntilTheLastDocumentIsGone) {
  PluginID* p = LoadTestPlug();
  ASSERT_NE(p, nullptr);
  std::string file = Write("a.tsd", "begin dlg Dialog\nend\n");
  CDlgEditDoc* doc = Open(p, file);
  ASSERT_NE(doc, nullptr) << sink.all();
  void* log = dlsym(p->Module(), "TestPlug_Log");
  ASSERT_NE(log, nullptr);
  PluginID::Shutdown();
  // still loaded: the document holds the plug-in's class records
  EXPECT_EQ(PluginID::Find("ide-testplug"), p);
  EXPECT_STREQ(doc->FirstRootObject()->ClassName(), "Dialog");
  delete doc;
  EXPECT_EQ(PluginID::Find("ide-testplug"), nullptr);
  // and the manager may start again
  EXPECT_NE(LoadTestPlug(), nullptr);
}

TEST_F(PluginManager, StartingTwiceIsAFailedCheck) {
  PluginID::InitializeFrom(tmp.path().c_str());
  EXPECT_THROW(PluginID::InitializeFrom(tmp.path().c_str()), SysAssertError);
  EXPECT_EQ(PluginID::GetHead(), nullptr);
}

}  // namespace
