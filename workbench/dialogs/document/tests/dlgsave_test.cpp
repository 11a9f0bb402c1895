// The dialog document's life without windows: saving through the writers
// (the Depth rule, import-only types, failed writes), the close-time
// question, titles and the modified flag, new documents from the template
// file, and auto-save files.
#include <dlfcn.h>
#include <unistd.h>

#include "dlgdoc_fixture.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/base/sysutil.h"

namespace {

const char kScript[] =
    "# a sample\n"
    "const 1 BIG = 5\n"
    "begin dlg Dialog # the dialog\n"
    "  prop title = \"Hello\"\n"
    "  prop style = BIG\n"
    "  begin ok Button\n"
    "    prop caption = \"OK\"\n"
    "    prop width = 12\n"
    "  end\n"
    "end\n";

class DlgSave : public DlgDocTest {
 protected:
  void SetUp() override {
    DlgDocTest::SetUp();
    plug = LoadTestPlug();
    ASSERT_NE(plug, nullptr);
    log = reinterpret_cast<const char* (*)()>(dlsym(plug->Module(), "TestPlug_Log"));
    clear = reinterpret_cast<void (*)()>(dlsym(plug->Module(), "TestPlug_ClearLog"));
    ASSERT_TRUE(log && clear);
    clear();
  }
  void TearDown() override {
    unsetenv("TESTPLUG_FAIL_WRITE");
    unsetenv("TESTPLUG_MAX_ROOT");
    DlgDocTest::TearDown();
  }
  // The writer calls of the log, without the kept lines.
  std::vector<std::string> ObjectCalls() {
    std::vector<std::string> v;
    std::istringstream in(log());
    for (std::string l; std::getline(in, l);)
      if (l.find("WriteLine") == std::string::npos) v.push_back(l);
    return v;
  }
  PluginID* plug = nullptr;
  const char* (*log)() = nullptr;
  void (*clear)() = nullptr;
};

TEST_F(DlgSave, SavingWritesTheSourceBackWithDepthsByNesting) {
  CDlgEditDoc* doc = Open(plug, Write("s.tsd", kScript));
  ASSERT_NE(doc, nullptr) << sink.all();
  std::string out = tmp.file("out.tsd");
  ASSERT_EQ(doc->OnSaveDocument(out.c_str()), 1) << sink.all();
  EXPECT_EQ(Slurp(out), kScript);
  // a root's opening and closing at 0, its attributes and children's
  // openings at 1, the children's attributes at 2
  EXPECT_EQ(ObjectCalls(),
            (std::vector<std::string>{"0 BeginObj dlg", "1 WriteAttr title \"Hello\"", "1 WriteAttr style BIG",
                                      "1 BeginObj dlg.ok", "2 WriteAttr caption \"OK\"", "2 WriteAttr width 12",
                                      "1 EndObj dlg.ok", "0 EndObj dlg"}));
  EXPECT_EQ(doc->GetPathName(), out);
  EXPECT_EQ(doc->GetTitle(), "out.tsd");
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(doc->State() & CDlgEditDoc::STATE_SAVE_TIME);
  EXPECT_TRUE(notify.has("status: \"" + out + "\" saved."));
}

// Blank lines before an object are not kept: the plug-in's
// writer puts its own (none for this one), so saving again is a fixed point.
TEST_F(DlgSave, BlankLinesBeforeObjectsAreLeftToTheWriter) {
  CDlgEditDoc* doc = Open(plug, Write("b.tsd",
                                      "# a sample\n\nconst 1 BIG = 5\n\n\nbegin dlg Dialog\n  prop style = BIG\n\n"
                                      "  begin ok Button\n  end\nend\n\n# the end\n"));
  ASSERT_NE(doc, nullptr) << sink.all();
  std::string out = tmp.file("b-out.tsd");
  ASSERT_EQ(doc->OnSaveDocument(out.c_str()), 1) << sink.all();
  EXPECT_EQ(
      Slurp(out),
      "# a sample\n\nconst 1 BIG = 5\nbegin dlg Dialog\n  prop style = BIG\n  begin ok Button\n  end\nend\n\n# the end\n");
}

TEST_F(DlgSave, AnImportedFileIsNamedAndSavedAsTheFirstType) {
  std::string in = Write("x.tsi", kScript);
  CDlgEditDoc* doc = Open(plug, in, 1);
  ASSERT_NE(doc, nullptr) << sink.all();
  EXPECT_EQ(doc->GetFileType(), plug->Desc()->FileTypes);
  EXPECT_EQ(doc->GetPathName(), tmp.file("x.tsd"));
  EXPECT_TRUE(doc->IsModified());  // the name differs from the file read
  EXPECT_EQ(doc->GetFrameTitle(), "x.tsd *");
  ASSERT_EQ(doc->SaveIfModified(), 1);
  EXPECT_EQ(Slurp(tmp.file("x.tsd")), kScript);
  EXPECT_EQ(Slurp(in), kScript);
  // SetFileType keeps a type of the plug-in, else takes the first
  doc->SetFileType(plug->Desc()->FileTypes + 1);
  EXPECT_EQ(doc->GetFileType(), plug->Desc()->FileTypes + 1);
  PluginFileType foreign{};
  doc->SetFileType(&foreign);
  EXPECT_EQ(doc->GetFileType(), plug->Desc()->FileTypes);
}

TEST_F(DlgSave, AFailedWriteKeepsTheOldFileAndTheDocumentModified) {
  std::string in = Write("s.tsd", kScript);
  CDlgEditDoc* doc = Open(plug, in);
  ASSERT_NE(doc, nullptr);
  std::string target = Write("old.tsd", "old contents\n");
  doc->SetModifiedFlag(true);
  setenv("TESTPLUG_FAIL_WRITE", "1", 1);
  EXPECT_EQ(doc->OnSaveDocument(target.c_str()), 0);
  EXPECT_EQ(Slurp(target), "old contents\n");
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->GetPathName(), in);
  EXPECT_TRUE(notify.has("error: \"" + target + "\": Failed to save file."));
  unsetenv("TESTPLUG_FAIL_WRITE");
  // a folder that cannot take the file
  std::string missing = tmp.file("no/such/dir/x.tsd");
  EXPECT_EQ(doc->OnSaveDocument(missing.c_str()), 0);
  EXPECT_NE(sink.all().find("Save File [1]: File \"" + missing + "\" could not be saved:"), std::string::npos)
      << sink.all();
  EXPECT_EQ(access(missing.c_str(), F_OK), -1);
}

TEST_F(DlgSave, ARootOverTheFormatsLimitAsksBeforeSaving) {
  CDlgEditDoc* doc = Open(plug, Write("s.tsd", kScript));
  ASSERT_NE(doc, nullptr);
  doc->FirstRootObject()->SetGeometry(0, 0, 100, 10);
  setenv("TESTPLUG_MAX_ROOT", "1", 1);
  std::string out = tmp.file("limit.tsd");
  sink.answer = SHELL_IDNO;
  EXPECT_EQ(doc->OnSaveDocument(out.c_str()), 0);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_NE(sink.boxes[0].find("The size of root object \"dlg\"\nexceeds the maximum dimension of 80x24.\n"),
            std::string::npos)
      << sink.boxes[0];
  EXPECT_EQ(access(out.c_str(), F_OK), -1);
  sink.answer = SHELL_IDYES;
  EXPECT_EQ(doc->OnSaveDocument(out.c_str()), 1);
}

TEST_F(DlgSave, CloseTimeQuestion) {
  CDlgEditDoc* doc = Open(plug, Write("s.tsd", kScript));
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->SaveModified(), 1);  // not modified: no question
  EXPECT_TRUE(sink.boxes.empty());
  doc->SetModifiedFlag(true);
  sink.answer = SHELL_IDCANCEL;
  EXPECT_EQ(doc->SaveModified(), 0);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_NE(sink.boxes[0].find("Save changes to " + tmp.file("s.tsd") + "?"), std::string::npos);
  EXPECT_TRUE(doc->IsModified());
  sink.answer = SHELL_IDNO;
  EXPECT_EQ(doc->SaveModified(), 1);
  EXPECT_FALSE(doc->IsModified());
  doc->SetModifiedFlag(true);
  sink.answer = SHELL_IDYES;
  Write("s.tsd", "changed on disk\n");
  EXPECT_EQ(doc->SaveModified(), 1);
  EXPECT_EQ(Slurp(tmp.file("s.tsd")), kScript);
  // a modified document without objects goes without a question
  delete doc->FirstRootObject()->Anchor();
  doc->SetModifiedFlag(true);
  sink.boxes.clear();
  EXPECT_EQ(doc->SaveModified(), 1);
  EXPECT_TRUE(sink.boxes.empty());
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(notify.has("error: " + tmp.file("s.tsd") + " does not contain any dialog objects, unable to save file."));
}

TEST_F(DlgSave, NewDocumentsFromTheTemplateAreTitledByACounter) {
  std::string etc = tmp.file("etc");
  Write("etc/ide-testplug.tsd", "begin Dialog1 Dialog\nend\n");
  ASSERT_GE(Sys_RegSet("Directories", "etc", etc.c_str()), 0);
  CDlgEditDoc* first = CDlgEditDoc::NewFile(plug);
  ASSERT_NE(first, nullptr) << sink.all();
  EXPECT_EQ(first->GetTitle(), "Dialog1");
  EXPECT_EQ(first->GetPathName(), "");
  EXPECT_NE(first->FirstRootObject(), nullptr);
  delete first;
  CDlgEditDoc* second = CDlgEditDoc::NewFile(plug);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetTitle(), "Dialog2");  // the counter never goes back
  second->SetModifiedFlag(true);
  EXPECT_EQ(second->GetFrameTitle(), "Dialog2 *");
  EXPECT_EQ(second->GetFrameTitle(), "Dialog2 *");
  EXPECT_EQ(second->GetTitle(), "Dialog2");
  EXPECT_EQ(second->GetDisplayName(), "Dialog2");
  // the framework's own setters are ignored
  second->SetTitle("Other");
  second->SetPathName("/elsewhere");
  EXPECT_EQ(second->GetTitle(), "Dialog2");
  EXPECT_EQ(second->GetPathName(), "");
}

TEST_F(DlgSave, AutoSaveWritesBesideAndIsRemovedBySaving) {
  CfgGeneral general;
  general.AutoSaveLocation = tmp.file("auto");
  std::filesystem::create_directories(general.AutoSaveLocation);
  CDlgEditDoc::SetEnvironmentConfig(general, CfgFile());
  CDlgEditDoc* doc = Open(plug, Write("s.tsd", kScript));
  CDlgEditDoc::SetEnvironmentConfig(CfgGeneral(), CfgFile());
  ASSERT_NE(doc, nullptr);
  EXPECT_FALSE(doc->NeedsAutoSave());
  doc->SetModifiedFlag(true);
  EXPECT_TRUE(doc->NeedsAutoSave());
  doc->OnAutoSave();
  std::string name = doc->AutoSaveName();
  ASSERT_EQ(name.rfind(general.AutoSaveLocation + "/s.tsd.", 0), 0u) << name;
  EXPECT_EQ(name.substr(name.size() - 9), ".AutoSave");
  EXPECT_EQ(Slurp(name), kScript);
  // the document stays modified, with its path and title
  EXPECT_TRUE(doc->IsModified());
  EXPECT_FALSE(doc->NeedsAutoSave());
  EXPECT_EQ(doc->GetPathName(), tmp.file("s.tsd"));
  // a change asks for another auto-save; the same name is written again
  doc->SetModifiedFlag(true);
  EXPECT_TRUE(doc->NeedsAutoSave());
  doc->OnAutoSave();
  EXPECT_EQ(doc->AutoSaveName(), name);
  EXPECT_EQ(access(name.c_str(), F_OK), 0);
  // saving removes the auto-save file
  ASSERT_EQ(doc->OnSaveDocument(doc->GetPathName().c_str()), 1);
  EXPECT_EQ(access(name.c_str(), F_OK), -1);
  EXPECT_EQ(doc->AutoSaveName(), "");
  // and so does closing the document
  doc->SetModifiedFlag(true);
  doc->OnAutoSave();
  ASSERT_EQ(access(doc->AutoSaveName().c_str(), F_OK), 0);
  name = doc->AutoSaveName();
  delete doc;
  EXPECT_EQ(access(name.c_str(), F_OK), -1);
}

TEST_F(DlgSave, AnUntitledAutoSaveIsNamedNewFile) {
  CfgGeneral general;
  general.AutoSaveLocation = tmp.file("auto");
  std::filesystem::create_directories(general.AutoSaveLocation);
  Write("etc/ide-testplug.tsd", "begin Dialog1 Dialog\nend\n");
  ASSERT_GE(Sys_RegSet("Directories", "etc", tmp.file("etc").c_str()), 0);
  CDlgEditDoc::SetEnvironmentConfig(general, CfgFile());
  CDlgEditDoc* doc = CDlgEditDoc::NewFile(plug);
  CDlgEditDoc::SetEnvironmentConfig(CfgGeneral(), CfgFile());
  ASSERT_NE(doc, nullptr);
  doc->SetModifiedFlag(true);
  doc->OnAutoSave();
  EXPECT_EQ(doc->AutoSaveName().rfind(general.AutoSaveLocation + "/NewFile.", 0), 0u) << doc->AutoSaveName();
  EXPECT_EQ(Slurp(doc->AutoSaveName()), "begin Dialog1 Dialog\nend\n");
  EXPECT_EQ(doc->GetTitle(), "Dialog1");
}

TEST_F(DlgSave, SaveAllStopsAtTheFirstFailure) {
  CDlgEditDoc* a = Open(plug, Write("a.tsd", kScript));
  CDlgEditDoc* b = Open(plug, Write("b.tsd", kScript));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(CDlgEditDoc::SaveAll(), 1);  // nothing modified
  a->SetModifiedFlag(true);
  b->SetModifiedFlag(true);
  Write("a.tsd", "x\n");
  EXPECT_EQ(CDlgEditDoc::SaveAll(), 1);
  EXPECT_EQ(Slurp(tmp.file("a.tsd")), kScript);
  EXPECT_FALSE(a->IsModified() || b->IsModified());
  a->SetModifiedFlag(true);
  b->SetModifiedFlag(true);
  setenv("TESTPLUG_FAIL_WRITE", "1", 1);
  EXPECT_EQ(CDlgEditDoc::SaveAll(), 0);
  EXPECT_TRUE(a->IsModified() && b->IsModified());
}

TEST_F(DlgSave, ANewDocumentUnderARequestedPath) {
  Write("etc/ide-testplug.tsd", "begin Dialog1 Dialog\nend\n");
  ASSERT_GE(Sys_RegSet("Directories", "etc", tmp.file("etc").c_str()), 0);
  std::string path = tmp.file("n.tsd");
  CDlgEditDoc::RequestNewPath(path.c_str(), true);
  CDlgEditDoc* doc = CDlgEditDoc::NewFile(plug);
  ASSERT_NE(doc, nullptr) << sink.all();
  EXPECT_EQ(doc->GetPathName(), path);
  EXPECT_EQ(doc->GetTitle(), "n.tsd");
  EXPECT_TRUE(doc->Root().Flags() & F_READ_ONLY);
  // a second request for the same path activates the first document
  CDlgEditDoc::RequestNewPath(path.c_str(), false);
  EXPECT_EQ(CDlgEditDoc::NewFile(plug), nullptr);
  EXPECT_TRUE(notify.has("activate"));
  EXPECT_EQ(CDlgEditDoc::Documents().size(), 1u);
  // without a request the next one is untitled again
  CDlgEditDoc* plain = CDlgEditDoc::NewFile(plug);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->GetTitle(), "Dialog1");
}

TEST_F(DlgSave, FilePropertiesAndSettings) {
  CfgGeneral general;
  general.AutoSaveLocation = tmp.path();
  general.AutoSaveTimeout = 7;
  CfgFile file;
  file.flags = CfgFile::AutoSave;
  CDlgEditDoc::SetEnvironmentConfig(general, file);
  CDlgEditDoc* doc = Open(plug, Write("s.tsd", kScript));
  CDlgEditDoc::SetEnvironmentConfig(CfgGeneral(), CfgFile());
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(notify.interval, 7);
  CfgFile rec = doc->FilePropertiesRecord();
  EXPECT_EQ(rec.FileName, tmp.file("s.tsd"));
  EXPECT_EQ(rec.FileSize, "2 Objects");
  EXPECT_EQ(rec.FileStatus, "Initial");
  doc->SetModifiedFlag(true);
  EXPECT_EQ(doc->FilePropertiesRecord().FileStatus, "Modified");
  doc->OnAutoSave();
  EXPECT_EQ(doc->FilePropertiesRecord().FileStatus.rfind("Modified, Auto-Saved: 20", 0), 0u);
  ASSERT_EQ(doc->OnSaveDocument(doc->GetPathName().c_str()), 1);
  EXPECT_EQ(doc->FilePropertiesRecord().FileStatus.rfind("Saved: 20", 0), 0u);
  // the sheet's read-only option and auto-save switch come back
  rec = doc->FilePropertiesRecord();
  rec.flags = CfgFile::ReadOnly;
  doc->SetFileRecord(rec);
  EXPECT_TRUE(doc->Root().Flags() & F_READ_ONLY);
  EXPECT_EQ(notify.interval, 0);
  EXPECT_TRUE(doc->FilePropertiesRecord().flags & CfgFile::ReadOnly);
}

}  // namespace
