// Editing a dialog loaded through the VUZ plug-in, without windows: undo and
// redo with the modified flag around saves, the undo limit, inserts and
// whole dialogs taken out and put back, read-only dialogs, property setting
// through the plug-in, coordinates from the status bar, selections and
// drags.
#include "workbench/dialogs/views/dlg_editcanvas.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "workbench/dialogs/document/tests/dlgdoc_fixture.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_prop.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/dlg_selection.h"
#include "workbench/dialogs/views/dlg_proprows.h"

namespace {

const char* const kDialog =
    "window Main\n"
    "{\n"
    "  .xleft 2;\n"
    "  .ytop 1;\n"
    "  .width 200;\n"
    "  .height 120;\n"
    "  .title \"Orders\";\n"
    "  child pushbutton Ok { .text \"OK\"; .xleft 10; .ytop 10; .height 14; }\n"
    "  child pushbutton Cancel { .text \"Cancel\"; .xleft 100; .ytop 10; .height 14; }\n"
    "  child groupbox Box\n"
    "  {\n"
    "    .xleft 10; .ytop 40; .width 150; .height 60;\n"
    "    child statictext Label { .text \"Hi\"; .xleft 5; .ytop 5; .height 10; }\n"
    "  }\n"
    "}\n"
    "default pushbutton { .width 14; }\n"
    "Main Copy { .title \"Copy\"; }\n";

// Opens new designer views for the document as the windows would.
class CanvasNotify : public RecordingNotify {
 public:
  DlgView* OpenAnchorView(CDlgEditDoc* doc, DlgAnchor* anchor) override {
    canvases.push_back(std::make_unique<DlgEditCanvas>(doc, anchor));
    canvases.back()->SetOrigin({10, 30});
    return canvases.back().get();
  }
  std::vector<std::unique_ptr<DlgEditCanvas>> canvases;
};

class EditTest : public DlgDocTest {
 protected:
  void SetUp() override {
    DlgDocTest::SetUp();
    DlgDoc_SetNotify(&canvases);
    plugin = LoadPlugin(PLUGPANE_MODULE, PLUGPANE_CFG, "plugpane");
    ASSERT_NE(plugin, nullptr);
    path = Write("dlg/orders.idm", kDialog);
    doc = Open(plugin, path);
    ASSERT_NE(doc, nullptr) << sink.all();
    main = doc->Root().FindRootObject("Main");
    ASSERT_NE(main, nullptr);
    canvas = canvases.OpenAnchorView(doc, main->Anchor());
    view = static_cast<DlgEditCanvas*>(canvas);
    ASSERT_EQ(doc->IsModified(), false);
  }
  void TearDown() override {
    canvases.canvases.clear();
    DlgDocTest::TearDown();
  }

  DlgObject* Find(const char* p) { return doc->FindObject(p); }
  DlgRootAnchor& Root() { return doc->Root(); }
  // Sets one coordinate of an object as the status bar does.
  void Coord(DlgObject* obj, int idx, int32_t value) {
    view->SelectObject(obj);
    view->SetCoord(value, idx);
  }
  int32_t X(const char* p) { return Find(p)->GetX(); }
  prop_def NativeDef(DlgObject* obj, int32_t native) {
    prop_def d{};
    EXPECT_EQ(doc->FindNativeDef(obj, native, &d), 1);
    d.index = -1;
    return d;
  }
  prop_def AttrDef(DlgObject* obj, const char* name) {
    const PluginCallbacks* cb = doc->Plugin();
    prop_def d{};
    for (void* cur = cb->FirstAttrDef(obj->ClassName(), &d); cur; cur = cb->NextAttrDef(obj->ClassName(), cur, &d)) {
      if (std::string(d.name) == name) {
        d.index = -1;
        return d;
      }
    }
    ADD_FAILURE() << "no attribute " << name;
    return d;
  }
  std::string Text(DlgObject* obj, const prop_def& d, int mark = 0) { return CDlgEditDoc::GetPropText(obj, &d, &mark); }

  CanvasNotify canvases;
  PluginID* plugin = nullptr;
  std::string path;
  CDlgEditDoc* doc = nullptr;
  DlgObject* main = nullptr;
  DlgView* canvas = nullptr;
  DlgEditCanvas* view = nullptr;
};

// The dialog block's raster is the unit of every position and size: a
// window, a group in it and a label in the group land on character cells,
// and the geometry reads back in units.
TEST_F(EditTest, TheDialogRasterPlacesObjectsOnCharacterCells) {
  const std::string p = Write("dlg/raster.idm",
                              "dialog D { .xraster 8; .yraster 16; }\n"
                              "window W\n"
                              "{\n"
                              "  .xleft 4; .ytop 2; .width 40; .height 12;\n"
                              "  child groupbox G\n"
                              "  {\n"
                              "    .xleft 2; .ytop 3; .width 20; .height 5;\n"
                              "    child statictext L { .text \"Hi\"; .xleft 1; .ytop 1; .width 6; .height 1; }\n"
                              "  }\n"
                              "}\n");
  CDlgEditDoc* d = Open(plugin, p);
  ASSERT_NE(d, nullptr) << sink.all();
  DlgObject* window = d->Root().FindRootObject("W");
  ASSERT_NE(window, nullptr);
  canvases.OpenAnchorView(d, window->Anchor());  // a view takes the geometry from the properties
  struct Case {
    const char* path;
    DlgRect rect;  // pixels, relative to the parent
    int32_t x, y, w, h;
  } cases[] = {
      {"W", {32, 32, 352, 224}, 4, 2, 40, 12},
      {"W.G", {16, 48, 176, 128}, 2, 3, 20, 5},
      {"W.G.L", {8, 16, 56, 32}, 1, 1, 6, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    DlgObject* obj = d->FindObject(c.path);
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->Rect().left, c.rect.left);
    EXPECT_EQ(obj->Rect().top, c.rect.top);
    EXPECT_EQ(obj->Rect().right, c.rect.right);
    EXPECT_EQ(obj->Rect().bottom, c.rect.bottom);
    int32_t x, y, w, h;
    obj->GetGeometry(&x, &y, &w, &h);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(w, c.w);
    EXPECT_EQ(h, c.h);
  }
}

TEST_F(EditTest, UndoAndRedoAroundASaveKeepTheModifiedFlagExact) {
  Coord(Find("Main.Ok"), 0, 3);  // edit A
  EXPECT_TRUE(doc->IsModified());
  ASSERT_EQ(doc->OnSaveDocument(path.c_str()), 1) << sink.all();
  EXPECT_FALSE(doc->IsModified());
  Coord(Find("Main.Cancel"), 0, 20);  // edit B
  EXPECT_TRUE(doc->IsModified());

  view->Undo();  // B
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(X("Main.Cancel"), 100);
  view->Undo();  // A
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(X("Main.Ok"), 10);
  view->Redo();  // A
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(X("Main.Ok"), 3);
  view->Redo();  // B
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(X("Main.Cancel"), 20);
  EXPECT_TRUE(canvases.has("status: Redo completed."));

  // Save, then undo: modified; redo: clean again.
  ASSERT_EQ(doc->OnSaveDocument(path.c_str()), 1);
  view->Undo();
  EXPECT_TRUE(doc->IsModified());
  view->Redo();
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(EditTest, ANewEditEmptiesRedoAndTheLimitKeepsOneHundredActions) {
  DlgObject* ok = Find("Main.Ok");
  Coord(ok, 0, 2);
  Coord(ok, 0, 3);
  view->Undo();
  EXPECT_EQ(Root().CanRedo(), 1);
  Coord(ok, 1, 2);
  EXPECT_EQ(Root().CanRedo(), 0);

  for (int i = 0; i < 101; ++i) Coord(ok, 1, 2 + (i % 2));
  EXPECT_EQ(Root().ActionCount(), 100);
  EXPECT_TRUE(Root().Flags() & F_UNDO_TRUNCATED);
  int steps = 0;
  while (Root().CanUndo()) {
    view->Undo();
    ++steps;
  }
  EXPECT_EQ(steps, 100);
  EXPECT_EQ(ok->GetX(), 2);  // the oldest edits were dropped
}

TEST_F(EditTest, ANegativeWidthChangesNothingAndLaterEditsStillUndo) {
  DlgObject* ok = Find("Main.Ok");
  const int32_t width = ok->GetWidth();
  Coord(ok, 2, -4);
  EXPECT_EQ(ok->GetWidth(), width);
  EXPECT_TRUE(canvases.has("error: Unable to set negative object dimension."));
  EXPECT_EQ(Root().CanUndo(), 0);  // the empty group left nothing
  EXPECT_FALSE(doc->IsModified());
  Coord(ok, 2, width + 5);
  EXPECT_TRUE(canvases.has("status: Main.Ok: Width set to " + std::to_string(width + 5) + "."));
  view->Undo();
  EXPECT_EQ(ok->GetWidth(), width);
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(EditTest, InsertsAreNamedInTurnAndUndoTakesThemWithTheirChildren) {
  DlgObject* tmpl = doc->Root().FindRootObject("~pushbutton");
  ASSERT_NE(tmpl, nullptr);
  DlgObject* a = view->InsertFromTemplate(tmpl, {40, 50}, main);
  DlgObject* b = view->InsertFromTemplate(tmpl, {40, 70}, main);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_STREQ(a->Name(), "Untitled1");
  EXPECT_STREQ(b->Name(), "Untitled2");
  EXPECT_EQ(a->GetWidth(), 14);  // the class default's width
  EXPECT_EQ(b->Tracker() != nullptr, true);

  // A copy of the group with its child, placed after the group.
  DlgObject* box = Find("Main.Box");
  DlgObject* copy = view->InsertFromTemplate(box, {60, 90}, main);
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->GetHead(), nullptr);
  DlgObject* before = copy->prev;
  view->Undo();
  EXPECT_EQ(doc->FindObject("Main.Untitled3"), nullptr);
  EXPECT_EQ(before->next, nullptr);
  view->Redo();
  EXPECT_EQ(before->next, copy);
  EXPECT_NE(doc->FindObject("Main.Untitled3.Label"), nullptr);
}

// An object taken from the palette, dropped and then dragged and sized, is
// saved where the canvas shows it and opens there again.
TEST_F(EditTest, ADroppedObjectKeepsItsPlaceAndSizeThroughASave) {
  DlgObject* tmpl = doc->Root().FindRootObject("~edittext");
  ASSERT_NE(tmpl, nullptr);
  DlgRect canvas_rect;
  {
    DlgContextBracket b(main->Anchor(), view);
    canvas_rect = main->GetCanvasRect();
  }
  DlgObject* placed = view->InsertFromTemplate(tmpl, {canvas_rect.left + 40, canvas_rect.top + 50}, main);
  DlgObject* moved = view->InsertFromTemplate(tmpl, {canvas_rect.left + 40, canvas_rect.top + 80}, main);
  ASSERT_NE(placed, nullptr);
  ASSERT_NE(moved, nullptr);
  // The second one is sized and then dragged 30 pixels right.
  Coord(moved, 2, 33);
  Coord(moved, 3, 14);
  view->ClickSelect(moved, 0, false);
  DlgRect r;
  {
    DlgContextBracket b(main->Anchor(), view);
    r = moved->GetCanvasRect();
  }
  const DlgPoint p{r.left + 2, r.top + 2};
  ASSERT_EQ(view->Press(p, 0, false), 1);
  view->MouseMove({p.x + 15, p.y});
  view->MouseMove({p.x + 30, p.y});
  view->Release({p.x + 30, p.y});

  struct Place {
    std::string path;
    int32_t x, y, w, h;
  };
  std::vector<Place> before;
  for (DlgObject* o : {placed, moved})
    before.push_back({o->GetPath(), o->GetX(), o->GetY(), o->GetWidth(), o->GetHeight()});
  EXPECT_GT(before[1].x, before[0].x);
  EXPECT_EQ(before[1].w, 33);
  EXPECT_EQ(before[1].h, 14);

  const std::string out = tmp.file("dlg/dropped.idm");
  ASSERT_EQ(doc->OnSaveDocument(out.c_str()), 1) << sink.all();
  // The saved file opened again (as a copy: the saved one is open already).
  CDlgEditDoc* again = Open(plugin, Write("dlg/reopened.idm", Slurp(out)));
  ASSERT_NE(again, nullptr) << sink.all();
  DlgObject* again_main = again->Root().FindRootObject("Main");
  ASSERT_NE(again_main, nullptr);
  canvases.OpenAnchorView(again, again_main->Anchor());  // shown, as the window would
  for (const Place& b : before) {
    DlgObject* o = again->FindObject(b.path.c_str());
    ASSERT_NE(o, nullptr) << b.path << "\n" << Slurp(out);
    EXPECT_EQ(o->GetX(), b.x) << b.path << "\n" << Slurp(out);
    EXPECT_EQ(o->GetY(), b.y) << b.path;
    EXPECT_EQ(o->GetWidth(), b.w) << b.path;
    EXPECT_EQ(o->GetHeight(), b.h) << b.path;
  }
}

TEST_F(EditTest, UndoOfAnAddedDialogClosesItsViews) {
  DlgObject* tmpl = doc->Root().FindRootObject("~window");
  ASSERT_NE(tmpl, nullptr);
  tmpl->SetFlags(tmpl->Flags() | (1u << 16));
  const size_t views = canvases.canvases.size();
  DlgObject* dlg = view->InsertFromTemplate(tmpl, {0, 0}, nullptr);
  ASSERT_NE(dlg, nullptr);
  ASSERT_EQ(canvases.canvases.size(), views + 1);
  DlgEditCanvas* its_view = canvases.canvases.back().get();
  const uint32_t id = dlg->Anchor()->Id();
  EXPECT_EQ(its_view->Anchor(), dlg->Anchor());
  view->Undo();
  EXPECT_TRUE(its_view->Closed());
  EXPECT_EQ(Root().FindAnchor(id), nullptr);
  view->Redo();
  ASSERT_NE(Root().FindAnchor(id), nullptr);
  EXPECT_EQ(Root().FindAnchor(id)->RootObject(), dlg);
}

TEST_F(EditTest, ReadOnlyDialogsIgnoreUndo) {
  Coord(Find("Main.Ok"), 0, 4);
  Root().SetFlags(Root().Flags() | F_READ_ONLY);
  view->Undo();
  EXPECT_EQ(X("Main.Ok"), 4);
  Coord(Find("Main.Ok"), 0, 6);  // nothing on a read-only dialog
  EXPECT_EQ(X("Main.Ok"), 4);
}

TEST_F(EditTest, PropertyTextsAndSettingThroughThePlugin) {
  DlgObject* copy = doc->Root().FindRootObject("Copy");
  ASSERT_NE(copy, nullptr);
  prop_def title = AttrDef(main, "title");
  EXPECT_EQ(Text(main, title), "Orders");  // own value
  EXPECT_EQ(Text(copy, title), "Copy");    // own value
  EXPECT_EQ(Text(Find("Main.Ok"), NativeDef(Find("Main.Ok"), PROP_NATIVE_WIDTH)), "14 (default)");

  // Setting the template's value drops the own one, and the template shows.
  prop_val orders = PropVal_Text("Orders");
  ASSERT_EQ(doc->SetPropValue(copy, &title, &orders, -1), 1);
  EXPECT_EQ(copy->Props().FindByName("title", -1), nullptr);
  EXPECT_EQ(Text(copy, title), "Orders (Main)");
  EXPECT_TRUE(doc->IsModified());
  view->Undo();
  EXPECT_EQ(Text(copy, title), "Copy");

  // Clearing a string stores the empty text.
  ASSERT_EQ(doc->SetPropValue(main, &title, nullptr, -1), 1);
  ASSERT_NE(main->Props().FindByName("title", -1), nullptr);
  EXPECT_STREQ(main->Props().FindByName("title", -1)->Val().data.text, "");

  // Clearing the horizontal attachment removes the value and the bits.
  prop_def hattach{};
  hattach.name = "hattach";
  hattach.category = "Geometry";
  hattach.kind = PROP_KIND_NATIVE;
  hattach.native = 12;
  hattach.type = PROP_TYPE_INT;
  hattach.index = -1;
  DlgObject* ok = Find("Main.Ok");
  prop_val two = PropVal_Int(2);
  ASSERT_NE(doc->StoreValue(ok, &hattach, &two, -1, nullptr), nullptr);
  ok->SetFlags(ok->Flags() | 2);
  ASSERT_EQ(doc->SetPropValue(ok, &hattach, nullptr, -1), 1);
  EXPECT_EQ(ok->Props().FindByName("hattach", -1), nullptr);
  EXPECT_EQ(ok->Flags() & DLG_F_HATTACH_MASK, 0u);

  // A name that a sibling has is refused in the plug-in's box.
  prop_def name{};
  name.name = "name";
  name.category = "General";
  name.kind = PROP_KIND_NATIVE;
  name.native = PROP_NATIVE_NAME;
  name.type = PROP_TYPE_IDENT;
  name.index = -1;
  prop_val taken = PropVal_Text("Ok");
  EXPECT_EQ(doc->SetPropValue(Find("Main.Cancel"), &name, &taken, -1), 0);
  EXPECT_NE(sink.all().find("Dialog Plug-In: \"Ok\" is not unique."), std::string::npos) << sink.all();
  EXPECT_NE(Find("Main.Cancel"), nullptr);
}

TEST_F(EditTest, CheckPathUpperCasesThePathItStores) {
  prop_def target{};
  target.name = "target";
  target.category = "General";
  target.kind = PROP_KIND_ATTR;
  target.type = PROP_TYPE_PATH;
  target.flags = PROP_F_DECLARED;
  target.index = -1;
  prop_val v = PropVal_Text("dlg.ok");
  DlgObject* ok = Find("Main.Ok");
  ASSERT_EQ(doc->SetPropValue(ok, &target, &v, -1), 1) << sink.all();
  DlgPropValue* stored = ok->Props().FindByName("target", -1);
  ASSERT_NE(stored, nullptr);
  EXPECT_STREQ(stored->Val().data.text, "Dlg.ok");
  prop_val bad = PropVal_Text("my button");
  EXPECT_EQ(doc->SetPropValue(ok, &target, &bad, -1), 0);
  EXPECT_NE(sink.all().find("\"My button\" is not a valid path."), std::string::npos) << sink.all();
}

TEST_F(EditTest, SelectionsByClickShiftCtrlBandAndSelectAll) {
  DlgObject* ok = Find("Main.Ok");
  DlgObject* cancel = Find("Main.Cancel");
  view->ClickSelect(ok, 0, false);
  EXPECT_EQ(view->Primary(), ok);
  view->ClickSelect(cancel, DLG_KEY_CTRL, false);
  EXPECT_NE(ok->Tracker(), nullptr);
  EXPECT_EQ(view->Primary(), cancel);
  EXPECT_EQ(cancel->Tracker()->Style(), static_cast<uint32_t>(DLG_TRK_PRIMARY));
  EXPECT_EQ(ok->Tracker()->Style(), static_cast<uint32_t>(DLG_TRK_HATCHED_BORDER));
  view->ClickSelect(cancel, DLG_KEY_CTRL, false);  // deselects only it
  EXPECT_EQ(cancel->Tracker(), nullptr);
  EXPECT_NE(ok->Tracker(), nullptr);
  EXPECT_EQ(ok->Tracker()->Style(), static_cast<uint32_t>(DLG_TRK_PRIMARY));

  view->SelectAll();
  EXPECT_EQ(main->Tracker(), nullptr);
  EXPECT_NE(ok->Tracker(), nullptr);
  EXPECT_NE(Find("Main.Box.Label")->Tracker(), nullptr);

  // A band of 1 pixel is a click at its start.
  DlgRect okr;
  {
    DlgContextBracket b(main->Anchor(), view);
    okr = ok->GetCanvasRect();
  }
  view->BandSelect({okr.left + 1, okr.top + 1, okr.left + 2, okr.top + 60}, 0);
  EXPECT_EQ(view->Primary(), ok);
  EXPECT_EQ(cancel->Tracker(), nullptr);
  view->BandSelect({okr.left - 1, okr.top - 1, okr.right + 1, okr.bottom + 1}, 0);
  EXPECT_EQ(view->Primary(), ok);
  EXPECT_EQ(main->Anchor()->sel_head->next, nullptr);
}

TEST_F(EditTest, ADragIsOneActionAndASmallMoveIsAClick) {
  DlgObject* ok = Find("Main.Ok");
  DlgObject* cancel = Find("Main.Cancel");
  view->ClickSelect(ok, 0, false);
  view->ClickSelect(cancel, DLG_KEY_SHIFT | DLG_KEY_CTRL, false);
  DlgRect r;
  {
    DlgContextBracket b(main->Anchor(), view);
    r = cancel->GetCanvasRect();
  }
  const int32_t ok_x = ok->GetX(), cancel_x = cancel->GetX();
  DlgPoint p{r.left + 2, r.top + 2};
  ASSERT_EQ(view->Press(p, 0, false), 1);
  view->MouseMove({p.x + 2, p.y + 1});  // within 2 pixels: no drag yet
  view->Release({p.x + 2, p.y + 1});
  EXPECT_EQ(cancel->GetX(), cancel_x);
  EXPECT_EQ(Root().CanUndo(), 0);

  view->ClickSelect(ok, DLG_KEY_CTRL, false);
  ASSERT_EQ(view->Press(p, 0, false), 1);
  view->MouseMove({p.x + 5, p.y});
  view->MouseMove({p.x + 9, p.y});
  view->Release({p.x + 9, p.y});
  EXPECT_EQ(cancel->GetX(), cancel_x + 9);
  EXPECT_EQ(ok->GetX(), ok_x + 9);
  EXPECT_TRUE(doc->IsModified());
  view->Undo();  // one action for both
  EXPECT_EQ(cancel->GetX(), cancel_x);
  EXPECT_EQ(ok->GetX(), ok_x);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(Root().CanUndo(), 0);
}

TEST_F(EditTest, DeletingTheSelectionUndoesAndTheRootAsksFirst) {
  DlgObject* cancel = Find("Main.Cancel");
  view->ClickSelect(cancel, 0, false);
  ASSERT_EQ(view->CanDeleteSelection(), 1);
  view->DeleteSelection();
  EXPECT_EQ(Find("Main.Cancel"), nullptr);
  view->Undo();
  EXPECT_EQ(Find("Main.Cancel"), cancel);
  EXPECT_EQ(Find("Main.Ok")->next, cancel);

  view->ClickSelect(main, 0, false);
  sink.answer = SHELL_IDNO;
  view->DeleteSelection();
  EXPECT_NE(sink.all().find("You are about to delete the dialog Main\nand all its children."), std::string::npos);
  EXPECT_FALSE(view->Closed());
  sink.answer = SHELL_IDYES;
  view->DeleteSelection();
  EXPECT_TRUE(view->Closed());
  EXPECT_TRUE(main->Anchor()->Options() & DLG_ANCHOR_REMOVE);
}

TEST_F(EditTest, ReorderAndToggleVisibility) {
  DlgObject* ok = Find("Main.Ok");
  DlgObject* box = Find("Main.Box");
  view->ReorderObject(ok, box, nullptr);
  EXPECT_EQ(ok->Parent(), box);
  EXPECT_TRUE(doc->IsModified());
  view->Undo();
  EXPECT_EQ(ok->Parent(), main);
  EXPECT_FALSE(doc->IsModified());

  view->ClickSelect(ok, 0, false);
  ASSERT_TRUE(ok->HasFlag(DLG_F_SHOWN));
  view->ToggleVisibility();
  EXPECT_FALSE(ok->HasFlag(DLG_F_SHOWN));
  prop_def visible = NativeDef(ok, 17);
  ASSERT_NE(ok->Props().FindByName(visible.name, -1), nullptr);
  EXPECT_EQ(ok->Props().FindByName(visible.name, -1)->Val().data.num, 0);
  EXPECT_TRUE(doc->IsModified());
  view->Undo();
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(EditTest, DropsTakeOnlyTemplatesOfTheSameDocument) {
  DlgObject* tmpl = doc->Root().FindRootObject("~pushbutton");
  DlgRect lr;
  {
    DlgContextBracket b(main->Anchor(), view);
    lr = Find("Main.Box.Label")->GetCanvasRect();
  }
  // Over the label, the group box is the first container walking up.
  EXPECT_EQ(view->DropTarget(tmpl, {lr.left + 1, lr.top + 1}, 0), Find("Main.Box"));
  EXPECT_EQ(view->Drop(tmpl, {lr.left + 1, lr.top + 1}, 0), 1);
  EXPECT_NE(Find("Main.Box.Untitled1"), nullptr);

  std::string other_path = Write("dlg/other.idm", kDialog);
  CDlgEditDoc* other = Open(plugin, other_path);
  ASSERT_NE(other, nullptr);
  DlgObject* foreign = other->Root().FindRootObject("~pushbutton");
  EXPECT_EQ(view->DropTarget(foreign, {lr.left + 1, lr.top + 1}, 0), nullptr);
  EXPECT_EQ(view->Drop(foreign, {lr.left + 1, lr.top + 1}, 0), 0);
}

// ------------------------------------------------------------ property rows

TEST_F(EditTest, PropertyRowsListTheClassRowPlainPropertiesThenCategories) {
  DlgPropRows rows;
  rows.Fill(doc, main);
  ASSERT_GT(rows.Count(), 1);
  EXPECT_EQ(rows.Row(0)->GetName(), "class");
  EXPECT_EQ(rows.Row(0)->GetStrValue(doc, main, nullptr), "window");
  // Every top-level row after the class row is a collapsed category group
  // (the window's properties all have categories).
  std::vector<std::string> groups;
  for (int r = 1; r < rows.Count(); ++r) {
    EXPECT_EQ(rows.Row(r)->Depth(), 0);
    groups.push_back(rows.Row(r)->GetName());
  }
  EXPECT_NE(std::find(groups.begin(), groups.end(), "Geometry"), groups.end());
  EXPECT_NE(std::find(groups.begin(), groups.end(), "Layout"), groups.end());
  // A bounded array of four starts at the dialog's lowest index.
  const int layout = rows.FindRow("Layout");
  ASSERT_TRUE(rows.Expand(layout, false));
  const int tabs = rows.FindRow("tabs[4]");
  ASSERT_GE(tabs, 0);
  ASSERT_TRUE(rows.Expand(tabs, false));
  const int32_t low = rows.Lowest();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(rows.Row(tabs + 1 + i)->GetName(), "[" + std::to_string(low + i) + "]");
  // New members below the lowest index or on an existing one are refused.
  auto* group = static_cast<DlgPropContainer*>(rows.Row(tabs));
  EXPECT_EQ(rows.ProposedIndex(group), low + 4);
  EXPECT_EQ(rows.AddArrayMember(group, low - 1), -2);
  EXPECT_TRUE(canvases.has("error: Array index " + std::to_string(low - 1) + " out of range, must be at least " +
                           std::to_string(low)));
  EXPECT_EQ(rows.AddArrayMember(group, low), -2);
  EXPECT_TRUE(canvases.has("error: Array index " + std::to_string(low) + " does already exist"));
  EXPECT_EQ(rows.AddArrayMember(group, low + 4), tabs + 5);
  // Collapsing takes the rows away, not the items.
  const int before = rows.Count();
  ASSERT_TRUE(rows.Collapse(tabs, false));
  EXPECT_EQ(rows.Count(), before - 5);
  ASSERT_TRUE(rows.Expand(tabs, false));
  EXPECT_EQ(rows.Count(), before);
}

TEST_F(EditTest, PropertyRowsKeepTheGroupsTheUserExpanded) {
  DlgPropRows::ExpandedGroups().clear();
  DlgPropRows rows;
  rows.Fill(doc, Find("Main.Ok"));
  ASSERT_TRUE(rows.Expand(rows.FindRow("Geometry"), true));
  rows.Fill(doc, Find("Main.Cancel"));
  EXPECT_TRUE(rows.IsExpanded(rows.FindRow("Geometry")));
  EXPECT_FALSE(rows.IsExpanded(rows.FindRow("State")));
  ASSERT_TRUE(rows.Collapse(rows.FindRow("Geometry"), true));
  EXPECT_TRUE(DlgPropRows::ExpandedGroups().empty());
}

TEST_F(EditTest, PropertyRowsCommitThroughTheItemsAndRefuseBadText) {
  DlgObject* ok = Find("Main.Ok");
  view->SelectObject(ok);  // its tracker follows every change below
  DlgPropRows rows;
  rows.Fill(doc, ok);
  rows.Expand(rows.FindRow("Geometry"), true);
  const int xleft = rows.FindRow("xleft");
  ASSERT_GE(xleft, 0);
  struct Case {
    const char* text;
    int result;
    const char* message;
  };
  const Case cases[] = {
      {"12a", 0, "error: Failed to convert 12a to integer."},
      {"", 0, "error: A value is required"},
      {"20", 1, "status: Property xleft set with new value [20]"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(rows.BeginEdit(xleft).kind, DlgEditKind::Edit) << c.text;
    EXPECT_EQ(rows.Commit(xleft, c.text, -1), c.result) << c.text;
    EXPECT_TRUE(canvases.has(c.message)) << c.text;
    EXPECT_EQ(rows.EditingRow(), -1);
  }
  auto tracker_on_object = [&] {
    DlgContextBracket b(main->Anchor(), view);
    return ok->Tracker() != nullptr && ok->Tracker()->Rect() == ok->GetCanvasRect();
  };
  EXPECT_EQ(ok->GetX(), 20);
  EXPECT_TRUE(tracker_on_object());
  Root().Undo();
  EXPECT_EQ(ok->GetX(), 10);
  EXPECT_TRUE(tracker_on_object());
  // A read-only dialog only beeps.
  Root().SetFlags(Root().Flags() | F_READ_ONLY);
  EXPECT_EQ(rows.BeginEdit(xleft).kind, DlgEditKind::Refused);
  Root().SetFlags(Root().Flags() & ~F_READ_ONLY);
}

// A dialog source of the ASCII plug-in whose places are named constants,
// one of them from an included file.
class NamedPlaces : public DlgDocTest {
 protected:
  void SetUp() override {
    DlgDocTest::SetUp();
    DlgDoc_SetNotify(&canvases);
    plugin = LoadPlugin(PLUGTEXT_MODULE, PLUGTEXT_CFG, "plugtext");
    ASSERT_NE(plugin, nullptr);
    Write("dlg/sizes.dlg", "MARGIN = 2\n");
    path = Write("dlg/orders.dlg",
                 "include \"sizes.dlg\"\n"
                 "TOP = 1\n"
                 "Dialog orders {\n"
                 "  .width = 40\n"
                 "  .height = 12\n"
                 "  StaticText label {\n"
                 "    .x = MARGIN\n"
                 "    .y = TOP\n"
                 "    .text = \"Customer #:\"\n"
                 "  }\n"
                 "  PushButton ok {\n"
                 "    .x = MARGIN\n"
                 "    .y = 10\n"
                 "    .text = \"OK\"\n"
                 "  }\n"
                 "}\n");
    doc = Open(plugin, path);
    ASSERT_NE(doc, nullptr) << sink.all();
    DlgObject* dialog = doc->Root().FindRootObject("orders");
    ASSERT_NE(dialog, nullptr);
    view = static_cast<DlgEditCanvas*>(canvases.OpenAnchorView(doc, dialog->Anchor()));
  }
  void TearDown() override {
    canvases.canvases.clear();
    DlgDocTest::TearDown();
  }
  std::string Saved() {
    const std::string out = tmp.file("dlg/out.dlg");
    EXPECT_EQ(doc->OnSaveDocument(out.c_str()), 1) << sink.all();
    return Slurp(out);
  }

  CanvasNotify canvases;
  PluginID* plugin = nullptr;
  std::string path;
  CDlgEditDoc* doc = nullptr;
  DlgEditCanvas* view = nullptr;
};

// A dialog opened in a window and saved unchanged is written as it was
// read: no place is added to the dialog, which had none.
TEST_F(NamedPlaces, AnUnchangedDialogSavesWithoutPlacesItDidNotHave) {
  const std::string saved = Saved();
  EXPECT_EQ(saved.find(".x = 0"), std::string::npos) << saved;
  EXPECT_EQ(saved.find(".y = 0"), std::string::npos) << saved;
  EXPECT_FALSE(doc->IsModified());
}

// Showing the dialog and dragging the label down two rows: the label's new
// row is written as a number, every place the drag left alone keeps its
// constant's name.
TEST_F(NamedPlaces, ADragKeepsTheNamesOfThePlacesItDidNotChange) {
  EXPECT_FALSE(doc->IsModified());
  DlgObject* label = doc->FindObject("orders.label");
  ASSERT_NE(label, nullptr);
  const int32_t row = label->SizeToPixelY(1);
  DlgRect r;
  {
    DlgContextBracket b(label->Anchor(), view);
    r = label->GetCanvasRect();
  }
  const DlgPoint p{r.left + 2, r.top + 2};
  view->ClickSelect(label, 0, false);
  ASSERT_EQ(view->Press(p, 0, false), 1);
  view->MouseMove({p.x, p.y + row});
  view->MouseMove({p.x, p.y + 2 * row});
  view->Release({p.x, p.y + 2 * row});
  ASSERT_EQ(label->GetY(), 3);
  const std::string saved = Saved();
  EXPECT_NE(saved.find("StaticText label {\n  .x = MARGIN\n  .y = 3\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("PushButton ok {\n  .x = MARGIN\n  .y = 10\n"), std::string::npos) << saved;
}

}  // namespace
