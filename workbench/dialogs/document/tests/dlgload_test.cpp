// Loading a dialog document through the scripted plug-in: the reader
// callbacks, include names (search lists, relative names, variables), the
// error path with its offer to edit the source, and the typed store.
#include "dlgdoc_fixture.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/diag.h"

namespace {

class DlgLoad : public DlgDocTest {
 protected:
  void SetUp() override {
    DlgDocTest::SetUp();
    plug = LoadTestPlug();
    ASSERT_NE(plug, nullptr);
  }
  static void SetVariable(const char* name, const std::string& value) {
    std::string sub = Cfg_ListAppend("Environment", name);
    Cfg_PutString(sub.c_str(), "Value", value.c_str());
  }
  PluginID* plug = nullptr;
};

const char kSample[] =
    "# a sample\n"
    "const 1 BIG = 5\n"
    "begin dlg Dialog # the dialog\n"
    "  prop title = \"Hello\"\n"
    "  prop style = BIG\n"
    "  begin ok Button\n"
    "    prop caption = \"OK\"\n"
    "  end\n"
    "end\n";

TEST_F(DlgLoad, BuildsObjectsValuesConstantsAndKeptLines) {
  CDlgEditDoc* doc = Open(plug, Write("s.tsd", kSample));
  ASSERT_NE(doc, nullptr) << sink.all();
  EXPECT_TRUE(sink.boxes.empty()) << sink.all();
  DlgObject* dlg = doc->FindObject("dlg");
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(dlg->FirstLine(), 3);
  EXPECT_EQ(dlg->LastLine(), 9);
  EXPECT_TRUE(dlg->IsContainer());
  EXPECT_TRUE(dlg->HasFlag(DLG_F_SELECTABLE | DLG_F_SHOWN));
  DlgObject* ok = doc->FindObject("dlg.ok");
  ASSERT_NE(ok, nullptr);
  EXPECT_STREQ(ok->ClassName(), "Button");
  EXPECT_EQ(ok->Parent(), dlg);
  DlgPropValue* style = dlg->Props().FindByName("style", -1);
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->Val().type, VAL_INT);
  EXPECT_EQ(style->Val().data.num, 5);
  EXPECT_GE(style->Serial(), 0);
  EXPECT_EQ(style->Line(), 5);
  // kept lines: the comment, the constant's line and the dialog's comment
  std::vector<std::string> kept;
  for (DlgKeptLine* l = doc->Root().Kept().head; l; l = l->next)
    kept.push_back(std::to_string(l->position) + ":" + std::to_string(l->flags) + ":" + l->Text());
  EXPECT_EQ(kept, (std::vector<std::string>{"1:0:# a sample", "2:2:const 1 BIG = 5", "3:1: # the dialog"}));
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(doc->GetPathName(), tmp.file("s.tsd"));
  EXPECT_EQ(doc->GetTitle(), "s.tsd");
  EXPECT_TRUE(notify.has("status: Opening " + tmp.file("s.tsd")));
}

TEST_F(DlgLoad, SearchListNamesTheFolderThatHoldsTheFile) {
  Write("one/other.tsd", "begin other Dialog\nend\n");
  Write("two/x.tsd", "begin inc Dialog\nend\n");
  SetVariable("LIB", tmp.file("one") + ";" + tmp.file("two"));
  CDlgEditDoc* doc = Open(plug, Write("m.tsd", "include LIB:x.tsd\nbegin main Dialog\nend\n"));
  ASSERT_NE(doc, nullptr) << sink.all();
  DlgObject* inc = doc->FindObject("inc");
  ASSERT_NE(inc, nullptr);
  // an included object is not editable and records no source lines
  EXPECT_FALSE(inc->HasFlag(DLG_F_SELECTABLE));
  EXPECT_EQ(inc->FirstLine(), 0);
  EXPECT_EQ(doc->FirstRootObject(), doc->FindObject("main"));
}

TEST_F(DlgLoad, SearchListErrors) {
  struct Case {
    const char* include;
    std::string message;
  };
  std::string long_name(80, 'N');
  const Case cases[] = {
      {"LIB:x.tsd", "Environment variable not defined:\nLIB"},
      {"EMPTY:x.tsd", "Environment variable not defined:\nEMPTY"},
      {"$NOPE9/x.tsd", "Environment variable not defined:\nNOPE9"},
  };
  SetVariable("EMPTY", "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.include);
    sink.boxes.clear();
    std::string main = Write("e.tsd", std::string("begin d Dialog\nend\ninclude ") + c.include + "\n");
    EXPECT_EQ(Open(plug, main), nullptr);
    ASSERT_EQ(sink.boxes.size(), 1u) << sink.all();
    EXPECT_EQ(sink.boxes[0],
              "Dialog Plug-In: " + main + ", line 3:\n" + c.message + "\n\nDo you want to edit the source code?");
  }
  sink.boxes.clear();
  std::string main = Write("e.tsd", "include " + long_name + ":x.tsd\n");
  EXPECT_EQ(Open(plug, main), nullptr);
  ASSERT_FALSE(sink.boxes.empty());
  EXPECT_NE(sink.boxes[0].find("Environment variable name is too long:\n:x.tsd"), std::string::npos) << sink.boxes[0];
}

// An optional include ("?name" in the plug-in's language) opens quietly:
// whatever keeps it from opening, the load goes on without a box; an
// include that is there is read as usual.
TEST_F(DlgLoad, AQuietOpenThatFailsShowsNoBox) {
  Write("here.tsd", "begin inc Dialog\nend\n");
  int n = 0;
  for (const char* include : {"?missing.tsd", "?nodir/x.tsd", "?$NOPE9/x.tsd", "?LIB:x.tsd", "?here.tsd"}) {
    SCOPED_TRACE(include);
    sink.boxes.clear();
    const std::string name = "q" + std::to_string(++n) + ".tsd";
    CDlgEditDoc* doc = Open(plug, Write(name, std::string("include ") + include + "\nbegin main Dialog\nend\n"));
    ASSERT_NE(doc, nullptr) << sink.all();
    EXPECT_TRUE(sink.boxes.empty()) << sink.all();
    EXPECT_EQ(doc->FindObject("inc") != nullptr, std::string(include) == "?here.tsd");
    EXPECT_EQ(Diag_GetQuiet(), 0);
  }
  // without the "?" the same include is a failed load with its box
  EXPECT_EQ(Open(plug, Write("q.tsd", "include missing.tsd\nbegin main Dialog\nend\n")), nullptr);
  EXPECT_FALSE(sink.boxes.empty());
}

TEST_F(DlgLoad, IncludeNamesAreRelativeToTheFileReadLast) {
  Write("a/b/sub/x.tsd", "begin inc Dialog\nend\n");
  std::string main = Write("a/b/main.tsd", "include sub/x.tsd\nbegin main Dialog\nend\n");
  CDlgEditDoc* doc = Open(plug, main);
  ASSERT_NE(doc, nullptr) << sink.all();
  EXPECT_NE(doc->FindObject("inc"), nullptr);
  // a drive letter and a colon is a plain name, not a search list
  sink.boxes.clear();
  std::string drive = Write("a/d.tsd", "begin d Dialog\nend\ninclude C:x.tsd\n");
  EXPECT_EQ(Open(plug, drive), nullptr);
  EXPECT_EQ(sink.all().find("Environment variable"), std::string::npos) << sink.all();
}

TEST_F(DlgLoad, VariablesInNamesAreExpanded) {
  Write("vars/x.tsd", "begin inc Dialog\nend\n");
  SetVariable("TPDIR", tmp.file("vars"));
  CDlgEditDoc* doc = Open(plug, Write("v.tsd", "include $TPDIR/x.tsd\nbegin main Dialog\nend\n"));
  ASSERT_NE(doc, nullptr) << sink.all();
  EXPECT_NE(doc->FindObject("inc"), nullptr);
}

TEST_F(DlgLoad, AFileAlreadyOpenIsActivatedNotOpenedAgain) {
  std::string file = Write("s.tsd", kSample);
  CDlgEditDoc* first = Open(plug, file);
  ASSERT_NE(first, nullptr);
  notify.events.clear();
  EXPECT_EQ(Open(plug, file), nullptr);
  EXPECT_TRUE(notify.has("activate"));
  EXPECT_TRUE(sink.boxes.empty()) << sink.all();
  EXPECT_EQ(CDlgEditDoc::Documents().size(), 1u);
}

TEST_F(DlgLoad, FindChildTakesPathsOrDirectChildNames) {
  CDlgEditDoc* doc = Open(plug, Write("s.tsd", kSample));
  ASSERT_NE(doc, nullptr);
  pload ctx;
  CDlgEditDoc::InitReader(&ctx);
  CDlgEditDoc::m_currDoc = doc;
  obj_hndl dlg = ctx.FindChild(&ctx, "dlg", nullptr);
  EXPECT_EQ(dlg.data, doc->FindObject("dlg"));
  EXPECT_EQ(ctx.FindChild(&ctx, "dlg.ok", nullptr).data, doc->FindObject("dlg.ok"));
  EXPECT_EQ(ctx.FindChild(&ctx, "ok", &dlg).data, doc->FindObject("dlg.ok"));
  EXPECT_EQ(ctx.FindChild(&ctx, "OK", &dlg).data, doc->FindObject("dlg.ok"));  // names ignore case here
  EXPECT_EQ(ctx.FindChild(&ctx, "dlg.ok", &dlg).data, nullptr);
  EXPECT_EQ(ctx.FindChild(&ctx, "a.b", &dlg).data, nullptr);
  EXPECT_EQ(ctx.FindChild(&ctx, "nope", &dlg).data, nullptr);
  CDlgEditDoc::m_currDoc = nullptr;
  // a reader callback outside a load is a failed check
  EXPECT_THROW(ctx.FindChild(&ctx, "dlg", nullptr), SysAssertError);
}

TEST_F(DlgLoad, ErrorsOfTheLoadAndTheOfferToEditTheSource) {
  struct Case {
    const char* script;
    const char* message;
    int line;
  };
  const Case cases[] = {
      {"begin dlg Dialog\n  prop width = -1\nend\n", "Unable to set negative object dimension.\nPath=\"dlg\"", 2},
      {"begin dlg Dialog\n  prop style = \"x\"\nend\n", "Property data type mismatch:\nPath=\"dlg\"", 2},
      {"begin dlg Dialog\n  begin b Button\n    begin c Text\n",
       "Unable to create new object:\nParent object cannot "
       "contain child objects.\nPath=\"dlg.b.c\"",
       3},
      {"begin dlg Dialog\nend\nraster 8 16\nerror custom trouble\n", "custom trouble", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    sink.boxes.clear();
    notify.events.clear();
    sink.answer = SHELL_IDYES;
    std::string file = Write("bad.tsd", c.script);
    EXPECT_EQ(Open(plug, file), nullptr);
    ASSERT_FALSE(sink.boxes.empty());
    EXPECT_EQ(sink.boxes[0], "Dialog Plug-In: " + file + ", line " + std::to_string(c.line) + ":\n" + c.message +
                                 "\n\nDo you want to edit the source code?");
    EXPECT_EQ(CDlgEditDoc::SourceToEdit(), file);
    EXPECT_EQ(CDlgEditDoc::SourceLine(), c.line);
    EXPECT_TRUE(notify.has("source: " + file + ":" + std::to_string(c.line)));
  }
  // answered No: the status bar tells, and nothing is to be edited
  sink.answer = SHELL_IDNO;
  notify.events.clear();
  std::string file = Write("bad.tsd", "error plain\n");
  EXPECT_EQ(Open(plug, file), nullptr);
  EXPECT_EQ(CDlgEditDoc::SourceToEdit(), "");
  EXPECT_TRUE(notify.has("error: \"" + file + "\" could not be opened."));
  EXPECT_TRUE(CDlgEditDoc::Documents().empty());
}

TEST_F(DlgLoad, AnEmptyDialogIsAFailedLoadWithAQuestion) {
  std::string file = Write("empty.tsd", "# nothing here\n");
  sink.answer = SHELL_IDYES;
  EXPECT_EQ(Open(plug, file), nullptr);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0], "Dialog Plug-In: This dialog file does not contain any objects:\n\"" + file +
                               "\"\n\nDo you want to edit the source code?");
  EXPECT_EQ(CDlgEditDoc::SourceToEdit(), file);
  EXPECT_TRUE(notify.has("source: " + file + ":0"));
}

TEST_F(DlgLoad, ProgressRunsToAHundredThenFromTen) {
  std::string script = "begin dlg Dialog\n";
  for (int i = 0; i < 104; ++i) script += "  begin t" + std::to_string(i) + " Text\n  end\n";
  script += "end\n";
  ASSERT_NE(Open(plug, Write("big.tsd", script)), nullptr) << sink.all();
  ASSERT_GE(notify.progress.size(), 105u);
  EXPECT_EQ(notify.progress[0], 1);
  EXPECT_EQ(notify.progress[99], 100);
  EXPECT_EQ(notify.progress[100], 10);
  EXPECT_EQ(notify.progress[104], 14);
}

TEST_F(DlgLoad, ANameTooLongForTheContextIsALoadError) {
  std::string deep = "x";
  while (deep.size() < 1100) deep += "/xxxxxxxxxx";
  std::string file = Write("long.tsd", "begin d Dialog\nend\ninclude " + deep + "/f.tsd\n");
  EXPECT_EQ(Open(plug, file), nullptr);
  EXPECT_NE(sink.all().find("File name is too long:"), std::string::npos) << sink.all();
}

TEST_F(DlgLoad, PropertyTextsAndTheTypedStore) {
  CDlgEditDoc* doc = Open(plug, Write("s.tsd", kSample));
  ASSERT_NE(doc, nullptr);
  DlgObject* dlg = doc->FindObject("dlg");
  DlgObject* ok = doc->FindObject("dlg.ok");
  prop_def style{}, caption{}, width{};
  ASSERT_EQ(doc->FindNativeDef(dlg, PROP_NATIVE_WIDTH, &width), 1);
  EXPECT_STREQ(width.name, "width");
  EXPECT_EQ(doc->FindNativeDef(dlg, 3, &width), 0);
  const PluginCallbacks* cb = doc->Plugin();
  void* cur = cb->FirstAttrDef("Dialog", &caption);
  while (cur && std::string(caption.name) != "caption") cur = cb->NextAttrDef("Dialog", cur, &caption);
  cur = cb->FirstAttrDef("Dialog", &style);
  while (cur && std::string(style.name) != "style") cur = cb->NextAttrDef("Dialog", cur, &style);
  // an own value is shown without a source, as its constant's name
  int mark = 0;
  EXPECT_STREQ(CDlgEditDoc::GetPropText(dlg, &style, &mark), "BIG");
  EXPECT_EQ(mark, 0);
  EXPECT_STREQ(CDlgEditDoc::GetPropText(ok, &caption, &mark), "OK");
  // a value of the plug-in shows its source; GetProp's mark 1 gets it bare
  mark = 0;
  EXPECT_STREQ(CDlgEditDoc::GetPropText(dlg, &caption, &mark), "Plug (default)");
  EXPECT_EQ(mark, 1);
  EXPECT_STREQ(plug->Desc()->Host.GetProp(DlgObject_Handle(dlg), &caption), "Plug");
  EXPECT_STREQ(CDlgEditDoc::GetPropText(dlg, &caption, nullptr), "");
  // the definition's default, named by its constant
  mark = 0;
  EXPECT_STREQ(CDlgEditDoc::GetPropText(ok, &style, &mark), "0 (default)");
  prop_def name_def{"name", "Object", PROP_KIND_NATIVE, PROP_TYPE_IDENT, 0, 0, PROP_NATIVE_NAME, nullptr,
                    0,      -1,       nullptr};
  EXPECT_STREQ(CDlgEditDoc::GetPropText(ok, &name_def, &mark), "ok");
  // typed store: a given value 5 is the constant BIG; a wrong kind leaves
  // no node behind
  prop_val five = PropVal_Int(5);
  DlgPropValue* v = doc->StoreValue(ok, &style, &five, -1, nullptr);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->Serial(), dlg->Props().FindByName("style", -1)->Serial());
  prop_val text = PropVal_Text("x");
  prop_def width_copy = width;
  EXPECT_EQ(doc->StoreValue(ok, &width_copy, &text, -1, nullptr), nullptr);
  EXPECT_EQ(ok->Props().FindByName("width", -1), nullptr);
  // the host's object and class look-ups
  EXPECT_EQ(plug->Desc()->Host.FindObjProp(DlgObject_Handle(ok), &caption),
            ok->Props().FindByName("caption", -1)->ValPtr());
  EXPECT_EQ(plug->Desc()->Host.FindClassProp(DlgObject_Handle(ok), &caption), nullptr);
}

TEST_F(DlgLoad, InheritedValuesShowTheirTemplateObject) {
  CDlgEditDoc* doc = Open(plug, Write("t.tsd",
                                      "begin tpl Dialog\n"
                                      "  prop title = \"Base\"\n"
                                      "  begin b Button\n"
                                      "    prop caption = \"T\"\n"
                                      "  end\n"
                                      "end\n"
                                      "begin inst Dialog from tpl\n"
                                      "  prop title = \"Own\"\n"
                                      "end\n"));
  ASSERT_NE(doc, nullptr) << sink.all();
  DlgObject* inst = doc->FindObject("inst");
  DlgObject* b = doc->FindObject("inst.b");
  ASSERT_TRUE(inst && b);
  EXPECT_EQ(inst->TemplateObject(), doc->FindObject("tpl"));
  EXPECT_EQ(b->TemplateObject(), doc->FindObject("tpl.b"));
  prop_def caption{"caption", "Text", PROP_KIND_ATTR, PROP_TYPE_STRING, 0, 0, 0, nullptr, 0, -1, "Caption"};
  prop_def title{"title", "Text", PROP_KIND_ATTR, PROP_TYPE_STRING, 0, 0, 0, nullptr, 0, -1, nullptr};
  int mark = 0;
  EXPECT_STREQ(CDlgEditDoc::GetPropText(b, &caption, &mark), "T (tpl.b)");
  EXPECT_EQ(mark, 1);
  mark = 1;
  EXPECT_STREQ(CDlgEditDoc::GetPropText(b, &caption, &mark), "T");
  mark = 0;
  EXPECT_STREQ(CDlgEditDoc::GetPropText(inst, &title, &mark), "Own");
  EXPECT_EQ(mark, 0);
  // written back with its template
  std::string out = tmp.file("t2.tsd");
  ASSERT_EQ(doc->OnSaveDocument(out.c_str()), 1);
  EXPECT_NE(Slurp(out).find("begin inst Dialog from tpl\n  prop title = \"Own\"\nend\n"), std::string::npos)
      << Slurp(out);
}

TEST_F(DlgLoad, AReclassedObjectGivesWayOnlyToItsOwnClass) {
  CDlgEditDoc* doc = Open(plug, Write("r.tsd",
                                      "begin old Dialog\n"
                                      "end\n"
                                      "begin dlg Dialog\n"
                                      "  reclass old\n"
                                      "end\n"));
  ASSERT_NE(doc, nullptr) << sink.all();
  EXPECT_EQ(doc->FindObject("old"), nullptr);
  EXPECT_EQ(doc->FirstRootObject(), doc->FindObject("dlg"));
  std::string file = Write("r2.tsd",
                           "begin other Dialog\n"
                           "  begin btn Button\n"
                           "  end\n"
                           "end\n"
                           "begin dlg Dialog\n"
                           "  reclass other.btn\n"
                           "end\n");
  EXPECT_EQ(Open(plug, file), nullptr);
  ASSERT_FALSE(sink.boxes.empty());
  EXPECT_EQ(sink.boxes[0],
            "Dialog Plug-In: " + file +
                ", line 6:\nUnable to change object class\nfrom Button to Dialog.\nPath=\"dlg\"\n\nDo you "
                "want to edit the source code?");
}

}  // namespace
