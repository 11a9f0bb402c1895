// The save walk: writer order, the Depth rule, kept lines put back where
// they stood, value texts, inline objects, skipped objects and failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/tests/dlgmodel_fixture.h"

namespace {

// A writer context that records every writer call with the depth it saw.
struct Recorder {
  psave ctx{};  // first, so that the writers find the recorder from it
  std::vector<std::string> log;
  int fail_at = -1;  // the call number that fails

  int Add(const std::string& line) {
    log.push_back(line);
    return static_cast<int>(log.size()) - 1 == fail_at ? 1 : 0;
  }
};

Recorder& Rec(psave* ctx) { return *reinterpret_cast<Recorder*>(ctx); }
std::string Opt(const char* text) { return text ? std::string("[") + text + "]" : "-"; }
std::string Depth(psave* ctx) { return std::to_string(ctx->Depth); }

int BeginObj(psave* ctx, const char* path, const char* name, const char* cls, const char* tmpl, const char* same) {
  return Rec(ctx).Add("B" + Depth(ctx) + " " + path + " " + name + " " + cls + " " + Opt(tmpl) + " " + Opt(same));
}
int EndObj(psave* ctx, const char* path, const char* trailer) {
  return Rec(ctx).Add("E" + Depth(ctx) + " " + path + " " + Opt(trailer));
}
int WriteAttr(psave* ctx, const char* attr, const prop_def*, const prop_val*, const char* text, const char* same) {
  return Rec(ctx).Add("A" + Depth(ctx) + " " + attr + "=" + text + " " + Opt(same));
}
int WriteLine(psave* ctx, const char* line) { return Rec(ctx).Add("L" + Depth(ctx) + " " + Opt(line)); }

const PluginFileType kRecordingType = {"Recording", ".rec", PLUGIN_FT_SOURCE, nullptr,
                                       BeginObj,    EndObj, WriteAttr,        WriteLine};

class SaveWalkTest : public DlgModelTest {
 protected:
  DlgPropValue* Attr(DlgObject* obj, const char* name, prop_val val, int32_t line, int32_t type = PROP_TYPE_ANY,
                     int32_t serial = -1) {
    prop_def d{};
    d.name = name;
    d.type = type;
    d.index = -1;
    auto* v = new DlgPropValue(&obj->Props(), &d);
    EXPECT_EQ(v->SetValue(&val, serial), 1);
    v->SetLine(line);
    return v;
  }
  void Kept(const char* text, int32_t pos, uint32_t flags, int32_t blanks = 0) {
    new DlgKeptLine(&root.Kept(), text, blanks, pos, flags);
  }
  std::vector<std::string> Save() {
    Recorder rec;
    EXPECT_EQ(root.Save(&kRecordingType, &rec.ctx), 1);
    EXPECT_EQ(rec.ctx.Depth, 0);
    return rec.log;
  }
  classrec dialog{"Dialog", 0, 0, 0, nullptr, nullptr};
  classrec button{"Button", 0, 0, 0, nullptr, nullptr};
};

TEST_F(SaveWalkTest, DepthRuleWithoutKeptLines) {
  DlgContainer* r = MakeRoot(100, 100);
  r->SetClassRec(&dialog);
  Attr(r, "title", PropVal_Text("T"), 0, PROP_TYPE_STRING);
  DlgContainer* g = MakeChild<DlgContainer>(r, "g", {0, 0, 50, 50});
  g->SetClassRec(&dialog);
  Attr(g, "x", PropVal_Int(1), 0);
  DlgObject* b = MakeChild(g, "b", {0, 0, 5, 5});
  b->SetClassRec(&button);
  b->SetTemplate(g);
  Attr(b, "y", PropVal_Int(-2), 0);
  EXPECT_EQ(Save(), (std::vector<std::string>{
                        "B0 dlg dlg Dialog - -",
                        "A1 title=\"T\" -",
                        "B1 dlg.g g Dialog - -",
                        "A2 x=1 -",
                        "B2 dlg.g.b b Button [dlg.g] -",
                        "A3 y=-2 -",
                        "E2 dlg.g.b -",
                        "E1 dlg.g -",
                        "E0 dlg -",
                    }));
}

TEST_F(SaveWalkTest, KeptLinesGoBackWhereTheyStood) {
  DlgConstGroup* group = root.Consts().GetGroup(3);
  prop_val one = PropVal_Int(1);
  DlgConstEntry* idok = root.Consts().Define(group, "IDOK", &one, -1, nullptr);

  DlgContainer* r = MakeRoot(200, 100);
  r->SetClassRec(&dialog);
  r->SetLines(3, 20);
  Attr(r, "title", PropVal_Text("Hello"), 4, PROP_TYPE_STRING);
  DlgObject* ok = MakeChild(r, "ok", {0, 0, 10, 10});
  ok->SetClassRec(&button);
  ok->SetLines(6, 9);
  Attr(ok, "width", PropVal_Int(10), 7);
  Attr(ok, "cmd", PropVal_Int(1), 8, PROP_TYPE_ANY, static_cast<int32_t>(idok->Serial()));
  Attr(ok, "file", PropVal_Text("A.B"), 0, PROP_TYPE_PATH);
  DlgPropValue* copied = Attr(ok, "xleft", PropVal_Int(3), 0);
  copied->SetState(DLG_PROP_COPIED);
  DlgObject* hidden = MakeChild(r, "hidden", {0, 0, 10, 10});
  hidden->SetFlags(hidden->Flags() & ~DLG_F_SELECTABLE);
  hidden->SetLines(10, 12);
  Attr(hidden, "never", PropVal_Int(0), 11);
  DlgContainer* grp = MakeChild<DlgContainer>(r, "grp", {0, 0, 10, 10}, DLG_F_TEMPLATE_CHILD);
  Attr(grp, "color", PropVal_Int(7), 13);
  DlgObject* in = MakeChild(grp, "in", {0, 0, 1, 1}, DLG_F_TEMPLATE_CHILD);
  Attr(in, "size", PropVal_Int(2), 0);

  Kept("# head", 1, 0);
  Kept("// dlg comment", 3, KEPT_INSIDE);
  Kept("// title", 4, KEPT_INSIDE);
  Kept("// in ok", 7, KEPT_INSIDE);
  Kept("// hidden", 11, KEPT_INSIDE);
  Kept("a", 14, KEPT_INSIDE, 2);
  Kept("b", 15, KEPT_INSIDE | KEPT_CONTINUES);
  Kept("c", 16, KEPT_INSIDE | KEPT_CONTINUES);
  Kept("// end", 20, KEPT_INSIDE);
  Kept("# tail", 22, 0);

  EXPECT_EQ(root.CountSavedObjects(), 4);
  EXPECT_EQ(root.CountOutputLines(), 12 + (2 + 1) + (2 + 4) + (0 + 1) + (0 + 1));

  EXPECT_EQ(Save(), (std::vector<std::string>{
                        "L0 [# head]",
                        "B0 dlg dlg Dialog - [// dlg comment]",
                        "A1 title=\"Hello\" [// title]",
                        "B1 dlg.ok ok Button - -",
                        "A2 width=10 [// in ok]",
                        "A2 cmd=IDOK -",
                        "A2 file=A.B -",
                        "E1 dlg.ok -",
                        "L1 [// hidden]",
                        "A1 grp.color=7 -",
                        "A1 grp.in.size=2 -",
                        "L0 []",
                        "L0 []",
                        "L0 [a]",
                        "L0 [b]",
                        "L0 [c]",
                        "E0 dlg [// end]",
                        "L0 [# tail]",
                    }));
  // A second save writes the same.
  EXPECT_EQ(Save().size(), 18u);
}

TEST_F(SaveWalkTest, CommentsBeforeTheFirstRootAndBetweenRoots) {
  DlgContainer* r = MakeRoot(100, 100);
  r->SetClassRec(&dialog);
  r->SetLines(5, 6);
  auto* second = new DlgAnchor(&root);
  second->SetContext(&origin);
  auto* r2 = new DlgContainer(second, nullptr, DLG_LINK_LAST_CHILD, "two");
  r2->SetFlags(DLG_F_SELECTABLE);
  r2->SetClassRec(&dialog);
  r2->SetLines(9, 10);
  Kept("first", 2, 0);
  Kept("block", 3, KEPT_CONTINUES);  // continues "first"
  Kept("between", 8, 0);
  Kept("last", 12, 0);
  EXPECT_EQ(Save(), (std::vector<std::string>{
                        "L0 [first]",
                        "L0 [block]",
                        "B0 dlg dlg Dialog - -",
                        "E0 dlg -",
                        "L0 [between]",
                        "B0 two two Dialog - -",
                        "E0 two -",
                        "L0 [last]",
                    }));
}

TEST_F(SaveWalkTest, AFailingWriterEndsTheWalk) {
  DlgContainer* r = MakeRoot(100, 100);
  r->SetClassRec(&dialog);
  Attr(r, "a", PropVal_Int(1), 0);
  Attr(r, "b", PropVal_Int(2), 0);
  for (int fail_at = 0; fail_at < 4; ++fail_at) {
    Recorder rec;
    rec.fail_at = fail_at;
    EXPECT_EQ(root.Save(&kRecordingType, &rec.ctx), 0) << fail_at;
    EXPECT_EQ(rec.log.size(), static_cast<size_t>(fail_at + 1));
  }
  PluginFileType import_only = kRecordingType;
  import_only.BeginObj = nullptr;
  Recorder rec;
  EXPECT_EQ(root.Save(&import_only, &rec.ctx), 0);
  PluginFileType no_lines = kRecordingType;
  no_lines.WriteLine = nullptr;
  EXPECT_EQ(root.Save(&no_lines, &rec.ctx), 0);
  EXPECT_TRUE(rec.log.empty());
}

TEST_F(SaveWalkTest, CleanUpDropsTemporaryObjectsConstantsAndFonts) {
  DlgContainer* r = MakeRoot(100, 100);
  MakeChild(r, "keep", {0, 0, 1, 1});
  MakeChild(r, "temp", {0, 0, 1, 1}, DLG_F_TEMPORARY);
  prop_val v = PropVal_Int(1);
  DlgConstEntry* e = root.Consts().Define(root.Consts().GetGroup(1), "X", &v, -1, nullptr);
  e->SetMarks(DLG_CONST_MARK_REDEFINED);
  font_info f{};
  f.text = "9.Arial";
  f.size = -1;
  ASSERT_NE(root.Fonts().AddFont(&f, true), nullptr);
  root.CleanUp();
  EXPECT_STREQ(r->GetHead()->Name(), "keep");
  EXPECT_EQ(r->GetHead(), r->GetTail());
  EXPECT_EQ(root.Consts().FindConstByName(0, "X"), nullptr);
  EXPECT_EQ(root.Fonts().head, nullptr);
}

}  // namespace

// Comments an include brought in stand in the list out of the order of their
// lines, and several lines may belong to one source line: each still goes
// back where it stood, once.
TEST_F(SaveWalkTest, KeptLinesOutOfLineOrderAndSharingALine) {
  DlgContainer* r = MakeRoot(200, 100);
  r->SetClassRec(&dialog);
  r->SetLines(10, 30);
  DlgObject* a = MakeChild(r, "a", {0, 0, 10, 10});
  a->SetClassRec(&button);
  a->SetLines(12, 15);
  Attr(a, "x", PropVal_Int(1), 13);
  DlgObject* b = MakeChild(r, "b", {0, 0, 10, 10});
  b->SetClassRec(&button);
  b->SetLines(16, 20);
  Attr(b, "y", PropVal_Int(2), 18);

  Kept("x1", 11, KEPT_INSIDE);
  Kept("x2", 25, KEPT_INSIDE);
  Kept("x3", 13, KEPT_INSIDE);
  Kept("x4", 14, KEPT_INSIDE | KEPT_CONTINUES);
  Kept("x5", 17, KEPT_INSIDE);
  Kept("x6", 5, 0);
  Kept("x7", 18, KEPT_INSIDE);
  Kept("x8", 18, KEPT_INSIDE);
  Kept("x9", 40, 0);
  Kept("x10", 2, 0, 1);
  Kept("x11", 19, KEPT_INSIDE | KEPT_CONTINUES);
  EXPECT_EQ(Save(), (std::vector<std::string>{
                        "L0 [x6]",
                        "L0 []",
                        "L0 [x10]",
                        "L0 [x11]",
                        "B0 dlg dlg Dialog - -",
                        "L1 [x1]",
                        "B1 dlg.a a Button - -",
                        "A2 x=1 [x3]",
                        "L2 [x4]",
                        "E1 dlg.a -",
                        "B1 dlg.b b Button - -",
                        "L2 [x5]",
                        "A2 y=2 [x7]",
                        "L1 [x8]",
                        "E1 dlg.b -",
                        "L0 [x2]",
                        "E0 dlg -",
                        "L0 [x9]",
                    }));
}
