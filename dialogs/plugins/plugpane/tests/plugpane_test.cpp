// The VUZ dialog plug-in as the host sees it: the module is loaded with
// dlopen, initialised with its class model, and driven through a small host.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "dialogs/plugins/classmodel/tests/pluginhost.h"
#include "tests/support/testsupport.h"

namespace {

class Plugpane : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = dlopen(PLUGPANE_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module_, nullptr) << dlerror();
  }
  void SetUp() override { ASSERT_NE(module_, nullptr); }
  // A fresh initialisation with the given FontVariant (absent when < -1).
  void init(int font_variant = 1) {
    std::string why;
    host_ = testhost::start(
        module_, PLUGPANE_FIXTURES,
        [&](testhost::Host& host) {
          if (font_variant >= -1) host.profile["FontVariant"] = font_variant;
        },
        &why);
    ASSERT_NE(host_, nullptr) << why;
    desc_ = host_->desc();
  }
  // Loads a text given in memory and returns the load's result.
  int load_text(const std::string& text) {
    host_->files["in.idm"] = text;
    return host_->load("in.idm");
  }
  std::string copy_text(const std::string& text) {
    EXPECT_EQ(load_text(text), 0) << host_->last_error() << " line " << host_->last_error_line();
    return host_->save();
  }

  static void* module_;
  PluginDesc* desc_ = nullptr;
  std::unique_ptr<testhost::Host> host_;
};

void* Plugpane::module_ = nullptr;

TEST_F(Plugpane, DescriptorAndChecks) {
  init();
  EXPECT_EQ(desc_->Version, 8);
  EXPECT_EQ(desc_->Number, 100);
  EXPECT_STREQ(desc_->Category, "DLG");
  EXPECT_STREQ(desc_->Ident, "ide-plugpane");
  EXPECT_STREQ(desc_->Description, "VUZ Dialog Plug-In");
  EXPECT_STREQ(desc_->Revision, "3.0.5.1");
  EXPECT_STREQ(desc_->Date, "Jul  7 2001");
  EXPECT_STREQ(desc_->Module, PLUGPANE_MODULE);
  EXPECT_STREQ(desc_->FilterTitle, "VUZ Dialog Files");
  EXPECT_STREQ(desc_->DefaultType, "VUZ Dialog File");
  ASSERT_EQ(desc_->NumFileTypes, 1);
  EXPECT_STREQ(desc_->FileTypes[0].Ext, ".idm");
  EXPECT_EQ(desc_->FileTypes[0].Kind, PLUGIN_FT_SOURCE);
  auto setup = reinterpret_cast<SetupPluginFn>(dlsym(module_, "SetupPlugin"));
  ASSERT_NE(setup, nullptr);
  setup();  // a host without an application window: nothing is shown, nothing waits
  EXPECT_EQ(dlsym(module_, "var_init"), nullptr) << "only GetPlugin, InitPlugin and SetupPlugin are exported";

  char a[] = "my button";
  EXPECT_EQ(desc_->Plugin.CheckIdentifier(a, static_cast<int>(sizeof a - 1)), 0);
  EXPECT_STREQ(a, "My_button");
  char b[] = "my button";
  EXPECT_EQ(desc_->Plugin.CheckPath(b, static_cast<int>(sizeof b - 1)), -1);
  char c[] = "dlg.ok";
  EXPECT_EQ(desc_->Plugin.CheckPath(c, static_cast<int>(sizeof c - 1)), 0);
  EXPECT_STREQ(c, "Dlg.ok");
  char d[] = "1abc";
  EXPECT_EQ(desc_->Plugin.CheckIdentifier(d, 4), -1);
  EXPECT_EQ(desc_->Plugin.CheckPath(d, 0), -1);
  int w = 7, h = 7;
  EXPECT_EQ(desc_->Plugin.MaxRootSize(&w, &h), 0);
  EXPECT_EQ(w, 7);
}

// Golden round trips: the copy matches the golden text and copying the copy
// changes nothing.
TEST_F(Plugpane, GoldenRoundTrips) {
  for (const char* name : {"basic", "fonts", "import"}) {
    SCOPED_TRACE(name);
    init();
    std::string src = vtest::read_file(std::string(PLUGPANE_FIXTURES) + "/" + name + ".idm");
    std::string golden = vtest::read_file(std::string(PLUGPANE_FIXTURES) + "/" + name + ".golden");
    ASSERT_EQ(host_->load(std::string(name) + ".idm"), 0)
        << host_->last_error() << " line " << host_->last_error_line();
    std::string first = host_->save();
    if (std::getenv("VARNICA_UPDATE_GOLDEN") != nullptr) {
      std::ofstream(std::string(PLUGPANE_FIXTURES) + "/" + name + ".golden", std::ios::binary) << first;
      golden = first;
    }
    EXPECT_EQ(first, golden);
    EXPECT_EQ(copy_text(first), first);
  }
}

// The example of the demo is written in the writer's own form: a copy leaves
// it byte for byte as it is.
TEST_F(Plugpane, ExampleRoundTripsUnchanged) {
  init();
  host_->base_dir = PLUGPANE_EXAMPLES;
  std::string src = vtest::read_file(std::string(PLUGPANE_EXAMPLES) + "/sample.idm");
  ASSERT_FALSE(src.empty());
  ASSERT_EQ(host_->load("sample.idm"), 0) << host_->last_error() << " line " << host_->last_error_line();
  EXPECT_EQ(host_->save(), src);
  EXPECT_EQ(host_->ref_width, 8);
  ASSERT_NE(host_->attr("OrderEntry", "font"), nullptr);
  EXPECT_EQ(host_->attr("OrderEntry", "font")->text, "Fixed");
}

TEST_F(Plugpane, BasicLoadBuildsObjects) {
  init();
  ASSERT_EQ(host_->load("basic.idm"), 0) << host_->last_error();
  EXPECT_EQ(host_->ref_width, 8);
  EXPECT_EQ(host_->ref_height, 16);
  const testhost::Attr* abc = host_->attr("MainWindow.Ok", "text");
  ASSERT_NE(abc, nullptr);
  EXPECT_EQ(abc->store, "ABC");
  const testhost::Attr* cafe = host_->attr("MainWindow._Unnamed_1", "text");
  ASSERT_NE(cafe, nullptr);
  EXPECT_EQ(cafe->store, "Caf\xe9 \"quoted\" back\\slash");
  const testhost::Attr* unknown = host_->attr("MainWindow", "comment");
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(unknown->def_cat, "Unknown");
  EXPECT_EQ(unknown->def.flags, static_cast<uint32_t>(PROP_F_PLUS | PROP_F_DECLARED));
  const testhost::Attr* count = host_->attr("MainWindow", "Count");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->def_cat, "Variables");
  EXPECT_EQ(count->val.data.num, 5);
  const testhost::Attr* fgc = host_->attr("MainWindow", "fgc");
  ASSERT_NE(fgc, nullptr);
  EXPECT_EQ(fgc->text, "Red");
  EXPECT_EQ(host_->find("MainWindow.Thing"), nullptr) << "an unknown class stays text";
  ASSERT_NE(host_->find("_Unnamed_2"), nullptr);
  // the class default block set the default width of every pushbutton
  const testhost::Attr* width = host_->attr("~pushbutton", "width");
  ASSERT_NE(width, nullptr);
  EXPECT_EQ(width->val.data.num, 14);
  // the GUI modifier of ".default 1" went to the host: gui_setws=default*1
  testhost::Obj* ok = host_->find("MainWindow.Ok");
  ASSERT_NE(ok, nullptr);
  bool seen = false;
  for (int v : ok->gui_values) seen = seen || v == 1;
  EXPECT_TRUE(seen);
}

// Positions and sizes count in the dialog's raster: every object is made
// in units, and every container takes the raster of the dialog block,
// also the ones made before the block (the class defaults among them).
TEST_F(Plugpane, ObjectsCountInTheDialogRaster) {
  struct Case {
    const char* text;
    int raster_x, raster_y;
  } cases[] = {
      {"dialog D { .xraster 8; .yraster 16; }\nwindow W { child groupbox G { } }\n", 8, 16},
      {"window W { child groupbox G { } }\ndialog D { .yraster 14; .xraster 7; }\n", 7, 14},
      {"window W { child groupbox G { } }\n", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    init();
    ASSERT_EQ(load_text(c.text), 0) << host_->last_error();
    for (const char* path : {"W", "W.G", "~window", "~groupbox"}) {
      testhost::Obj* o = host_->find(path);
      ASSERT_NE(o, nullptr) << path;
      EXPECT_EQ(o->flag27, 1) << path;
      EXPECT_EQ(o->flag28, 1) << path;
      EXPECT_EQ(o->raster_x, c.raster_x) << path;
      EXPECT_EQ(o->raster_y, c.raster_y) << path;
    }
    testhost::Obj* button = host_->find("~pushbutton");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->flag28, 1);
    EXPECT_EQ(button->raster_x, 0) << "only containers take the raster";
  }
}

// Statements that only define symbolic values are kept as text and define
// their names in their groups, also inside an application block.
TEST_F(Plugpane, SymbolicStatementsDefineGroups) {
  init();
  const std::string src =
      "accelerator AccOk \"o\";\n"
      "cursor Wait 3;\n"
      "tile Brick \"brick.bmp\";\n"
      "format Money \"9.99\";\n"
      "format \"###\" plain;\n"
      "function callback OnOk();\n"
      "function formatfunc Fmt();\n"
      "function integer Other();\n"
      "application App\n"
      "{\n"
      "  color Sky \"#8080FF\";\n"
      "  .title \"app\";\n"
      "  on start { run; }\n"
      "}\n";
  EXPECT_EQ(copy_text(src), src);
  struct Want {
    const char* name;
    int group;
  } want[] = {{"AccOk", 1}, {"Wait", 4}, {"Brick", 10}, {"Money", 6}, {"###", 6}, {"OnOk", 7}, {"Fmt", 8}, {"Sky", 3}};
  for (const Want& w : want) {
    bool found = false;
    for (const testhost::Const& c : host_->consts) found = found || (c.name == w.name && c.group == w.group);
    EXPECT_TRUE(found) << w.name;
  }
  for (const testhost::Const& c : host_->consts) EXPECT_NE(c.name, "Other");
  EXPECT_EQ(load_text("application { default window { } }\n"), -1);
  EXPECT_EQ(host_->last_error(), "Keyword 'default' not expected in this context");
}

TEST_F(Plugpane, FontVariants) {
  struct Case {
    int variant;
    const char* face;
    int size;
    int style;
    const char* wexpr;
  } cases[] = {
      {0, "Courier", 10, FONT_BOLD, ""},
      {1, "Arial", 8, 0, ""},
      {2, "Arial", 10, FONT_BOLD | FONT_ITALIC, "(w*120)/100+1"},
      {-1, "Arial", 8, 0, ""},  // negative: the default 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant);
    init(c.variant);
    ASSERT_EQ(host_->load("fonts.idm"), 0) << host_->last_error();
    ASSERT_EQ(host_->fonts.size(), 2u);
    // with variant 0 the plain form is used; otherwise the plain form is empty
    const testhost::Font& f = c.variant == 0 ? host_->fonts[0] : host_->fonts[1];
    EXPECT_EQ(f.face, c.face);
    EXPECT_EQ(f.size, c.size);
    EXPECT_EQ(f.style, c.style);
    EXPECT_EQ(f.wexpr, c.wexpr);
    if (c.variant == 0) {
      EXPECT_EQ(host_->fonts[1].face, "");
    }
    if (c.variant != 0) {
      EXPECT_EQ(host_->fonts[0].face, "");
    }
  }
}

TEST_F(Plugpane, ImportReusesAndHidesModuleObjects) {
  init();
  ASSERT_EQ(host_->load("import.idm"), 0) << host_->last_error();
  testhost::Obj* shared = host_->find("Shared");
  testhost::Obj* hidden = host_->find("Hidden");
  ASSERT_NE(shared, nullptr);
  ASSERT_NE(hidden, nullptr);
  EXPECT_EQ(shared->flags & OBJ_CREATE_TEMPORARY, 0);
  EXPECT_NE(hidden->flags & OBJ_CREATE_TEMPORARY, 0);
  testhost::Obj* proto = host_->find("Proto");
  ASSERT_NE(proto, nullptr);
  EXPECT_NE(proto->flags & OBJ_CREATE_NOWND_F19, 0);
  testhost::Obj* p1 = host_->find("Main.P1");
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(p1->tmpl, proto);
  // a second import of the same module reuses its objects
  host_->files["twice.idm"] = "import Common \"common.if\";\nimport Common \"common.if\";\n";
  EXPECT_EQ(host_->load("twice.idm"), 0) << host_->last_error();
}

TEST_F(Plugpane, WriterEscapesAndNames) {
  init();
  // unnamed objects are written without a name; _Unnamed_ and _Unnamed_7a are names
  std::string out = copy_text(
      "window { .xleft 2; }\nwindow _Unnamed_ { }\nwindow _Unnamed_7a { }\n"
      "window W { .title \"a\\\"b\\134\"; }\nwindow V { .title \"\\134101 x\"; }\n");
  EXPECT_NE(out.find("window\n{\n  .xleft 2;\n}\n"), std::string::npos) << out;
  EXPECT_NE(out.find("window _Unnamed_\n"), std::string::npos) << out;
  EXPECT_NE(out.find("window _Unnamed_7a\n"), std::string::npos) << out;
  EXPECT_NE(out.find(".title \"a\\\"b\\134\";"), std::string::npos) << out;
  // "\\101" is a backslash before digits: written so that it reads back as one
  EXPECT_NE(out.find(".title \"\\134101 x\";"), std::string::npos) << out;
  ASSERT_EQ(load_text(out), 0) << host_->last_error();
  EXPECT_EQ(host_->attr("W", "title")->store, "a\"b\\");
  EXPECT_EQ(host_->attr("V", "title")->store, "\\101 x");
}

TEST_F(Plugpane, HostileSources) {
  std::string long_line = "window W { .title \"" + std::string(1 << 20, 'a') + "\"; }\n";
  std::string nine;
  for (int i = 0; i < 9; ++i)
    nine += std::string(i == 0 ? "window" : "child groupbox") + " G" + std::to_string(i) + " {\n";
  struct Case {
    std::string text;
    const char* message;
    int line;
  } cases[] = {
      {"window W {\n .title \"abc", "String constant is not terminated", 2},
      {"window W {\n/* open", "Comment is not terminated", 2},
      {"window W {\n .title \"bad escape\\\";\n}\n", "String constant is not terminated", 2},
      {long_line, "String is too long", 1},
      {nine, "Nesting to deep, MAX_DEPTH is 8", 9},
      {"window W {\n .title \"\\1\";\n .tabs[x] 1;\n}\n", "Unexpected character 0x78 in array index", 3},
      {"window W {\n .tabs[99999999999] 1;\n}\n", "Unexpected character 0x39 in array index", 2},
      {std::string("window W {\n .xleft 1;\n", 22) + std::string(1, '\0') + " .ytop 2; }\n", "Unexpected token 0x00",
       3},
      // A NUL inside a kept definition's quoted text would cut the kept line.
      {std::string("color C\n\"red", 11) + std::string(1, '\0') + "blue\";\n", "Unexpected token 0x00", 2},
      {std::string("font F \"Sans", 12) + std::string(1, '\0') + "x\", 10;\n", "Unexpected token 0x00", 1},
      {"window W {\n", "'}' expected, level = 1", 2},
      {"}\n", "'}' not expected", 1},
      {".xleft 1;\n", "Attribute not expected outside object", 1},
      {"pushbutton P { }\n", "Invalid root object:\nPath=\"P\"", 1},
      {"window W { .xleft \"a\"; }\n", "Attribute data type mismatch:\nPath=\"W.xleft\"", 1},
      {"window W { .fgc Nothing; }\n", "Symbolic value not found:\nNothing", 1},
      {"window W { }\nwindow W { }\n", "Object with same name does already exist:\nPath=\"W\"", 2},
      {"export window W { }\n", "Keyword 'export' outside module not expected", 1},
      {"window W { model window M { } }\n", "Keyword 'model' not expected inside object", 1},
      {"child window W { }\n", "Keyword 'child' not expected outside object", 1},
      {"window W { integer N[2] := 1; }\n", "Array subscript not expected in this context", 1},
      {"window W { font F \"x\"; }\n", "Keyword 'font' not expected inside object", 1},
      {"font F\n{\n  1 \"x\";\n}\n", "':' expected", 3},
      {"font F \"x\", 10, heavy;\n", "Keyword expected: 'bold' or 'italic'", 1},
      {"import M \"missing.if\";\n", "Unable to open interface file:\nmissing.if", 1},
      {"window ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFG { }\n", "Identifier is too long", 1},
      {"window W { .ab#c 1; }\n", "Attribute identifier contains invalid character '#'", 1},
      {"bold;\n", "Unexpected keyword 'bold'", 1},
      {"dialog D { .xraster \"a\"; }\n", "Data type mismatch", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    init();
    EXPECT_EQ(load_text(c.text), -1);
    EXPECT_EQ(host_->last_error().substr(0, strlen(c.message)), c.message) << host_->last_error();
    EXPECT_EQ(host_->last_error_line(), c.line);
  }
}

// A megabyte-long line is kept whole when it is text and refused when it is
// a word.
TEST_F(Plugpane, MegabyteLines) {
  init();
  std::string comment = "// " + std::string(1 << 20, 'c') + "\nwindow W { }\n";
  std::string out = copy_text(comment);
  EXPECT_EQ(out.substr(0, (1u << 20) + 4), comment.substr(0, (1u << 20) + 4));
  EXPECT_EQ(load_text("window " + std::string(1 << 20, 'A') + " { }\n"), -1);
  EXPECT_EQ(host_->last_error(), "Identifier is too long");
}

TEST_F(Plugpane, NineNestedImportsAreRefused) {
  init();
  for (int i = 0; i < 10; ++i) {
    std::string n = std::to_string(i);
    host_->files["m" + n + ".if"] = "interface of module M" + n + " \"m" + n + ".mod\";\n";
    host_->files["m" + n + ".mod"] =
        "module M" + n + ";\nimport M" + std::to_string(i + 1) + " \"m" + std::to_string(i + 1) + ".if\";\n";
  }
  EXPECT_EQ(load_text("import M0 \"m0.if\";\n"), -1);
  EXPECT_EQ(host_->last_error(), "import: File nesting too deep");
  host_->files["m7.mod"] = "module M7;\n";
  EXPECT_EQ(load_text("import M0 \"m0.if\";\n"), 0) << host_->last_error();
  host_->files["bad.if"] = "interface of M \"x\";\n";
  EXPECT_EQ(load_text("import M \"bad.if\";\n"), -1);
  EXPECT_EQ(host_->last_error(), "Unable to open module file:\nbad.if\nSyntax error in interface file.");
}

TEST_F(Plugpane, ValueTextAndAttributeEnumeration) {
  init();
  ASSERT_EQ(load_text("window W { .xleft 3; .title \"T\"; }\n"), 0) << host_->last_error();
  obj_hndl w{host_->find("W")};
  prop_def d{};
  int seen = 0;
  std::string names;
  for (void* c = desc_->Plugin.FirstAttrDef("window", &d); c != nullptr;
       c = desc_->Plugin.NextAttrDef("window", c, &d)) {
    names += std::string(d.name) + ",";
    if (std::string(d.name) == "xleft") {
      EXPECT_STREQ(desc_->Plugin.ValueText(w, &d), "3");
    }
    if (std::string(d.name) == "title") {
      EXPECT_STREQ(desc_->Plugin.ValueText(w, &d), "T");
    }
    if (std::string(d.name) == "height") {
      EXPECT_STREQ(desc_->Plugin.ValueText(w, &d), "1");
    }
    if (std::string(d.name) == "width") {
      EXPECT_EQ(desc_->Plugin.ValueText(w, &d), nullptr);
    }
    ++seen;
  }
  EXPECT_EQ(names, "xleft,ytop,width,height,visible,sensitive,font,fgc,bgc,title,tabs,");
  int dw = 0, dh = 0;
  desc_->Plugin.DefaultSize("window", &dw, &dh);
  EXPECT_EQ(dw, 40);
  EXPECT_EQ(dh, 12);
  desc_->Plugin.DefaultSize("nosuch", &dw, &dh);
  EXPECT_EQ(dw, 10);
  EXPECT_EQ(dh, 1);
}

}  // namespace
