// The ASCII dialog plug-in as the host sees it: the module is loaded with
// dlopen, initialised with its class model, and driven through a small host
// that keeps blank lines the way the environment does.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "dialogs/plugins/classmodel/tests/pluginhost.h"
#include "language/charset.h"
#include "tests/support/testsupport.h"

namespace {

int convert(int from, int to, char* buffer, int length) {
  if (length < 0) return -1;
  return yq__charset_map(from, to, buffer, static_cast<size_t>(length));
}

class Plugtext : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = dlopen(PLUGTEXT_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module_, nullptr) << dlerror();
  }
  void SetUp() override { ASSERT_NE(module_, nullptr); }
  // A fresh initialisation; `setup` fills the profile first.
  template <typename F>
  void init(F setup) {
    std::string why;
    host_ = testhost::start(
        module_, PLUGTEXT_FIXTURES,
        [&](testhost::Host& host) {
          host.pending_blanks = true;
          host.desc()->Host.ConvertCharset = &convert;
          setup(host);
        },
        &why);
    ASSERT_NE(host_, nullptr) << why;
    desc_ = host_->desc();
  }
  void init() {
    init([](testhost::Host&) {});
  }
  int load_text(const std::string& text) {
    host_->files["in.dlg"] = text;
    return host_->load("in.dlg");
  }
  std::string copy_text(const std::string& text) {
    EXPECT_EQ(load_text(text), 0) << host_->last_error() << " line " << host_->last_error_line();
    return host_->save();
  }
  std::string error() const { return host_->last_error(); }

  static void* module_;
  PluginDesc* desc_ = nullptr;
  std::unique_ptr<testhost::Host> host_;
};

void* Plugtext::module_ = nullptr;

TEST_F(Plugtext, DescriptorAndCallbacks) {
  init();
  EXPECT_EQ(desc_->Version, 8);
  EXPECT_EQ(desc_->Number, 200);
  EXPECT_STREQ(desc_->Category, "DLG");
  EXPECT_STREQ(desc_->Ident, "ide-plugtext");
  EXPECT_STREQ(desc_->Description, "ASCII DLG Plug-In");
  EXPECT_STREQ(desc_->Revision, "3.0.5.1");
  EXPECT_STREQ(desc_->Date, "Jul  7 2001");
  EXPECT_STREQ(desc_->Module, PLUGTEXT_MODULE);
  EXPECT_STREQ(desc_->FilterTitle, "ASCII DLG Files");
  EXPECT_STREQ(desc_->DefaultType, "ASCII DLG File");
  ASSERT_EQ(desc_->NumFileTypes, 2);
  EXPECT_STREQ(desc_->FileTypes[0].Name, "ASCII DLG File");
  EXPECT_STREQ(desc_->FileTypes[0].Ext, ".dlg");
  EXPECT_EQ(desc_->FileTypes[0].Kind, PLUGIN_FT_SOURCE);
  EXPECT_NE(desc_->FileTypes[0].BeginObj, nullptr);
  EXPECT_STREQ(desc_->FileTypes[1].Name, "QX Varnica FORM File");
  EXPECT_STREQ(desc_->FileTypes[1].Ext, ".form");
  EXPECT_EQ(desc_->FileTypes[1].Kind, PLUGIN_FT_IMPORT);
  EXPECT_NE(desc_->FileTypes[1].Load, nullptr);
  EXPECT_EQ(desc_->FileTypes[1].BeginObj, nullptr);
  EXPECT_EQ(desc_->FileTypes[1].EndObj, nullptr);
  EXPECT_EQ(desc_->FileTypes[1].WriteAttr, nullptr);
  EXPECT_EQ(desc_->FileTypes[1].WriteLine, nullptr);
  auto setup = reinterpret_cast<SetupPluginFn>(dlsym(module_, "SetupPlugin"));
  ASSERT_NE(setup, nullptr);
  setup();  // a host without an application window: nothing is shown, nothing waits
  EXPECT_EQ(dlsym(module_, "text_load"), nullptr) << "only GetPlugin, InitPlugin and SetupPlugin are exported";

  int w = 0, h = 0;
  EXPECT_EQ(desc_->Plugin.MaxRootSize(&w, &h), 1);
  EXPECT_EQ(w, 80);
  EXPECT_EQ(h, 24);
  prop_def def{};
  def.kind = PROP_KIND_NATIVE;
  for (int native : {6, 10, 11, 15, 17}) {
    def.native = native;
    const char* text = desc_->Plugin.ValueText(obj_hndl{}, &def);
    if (native == 11 || native == 17)
      EXPECT_STREQ(text, "1") << native;
    else
      EXPECT_EQ(text, nullptr) << native;
  }
  char a[] = "my button";
  EXPECT_EQ(desc_->Plugin.CheckIdentifier(a, static_cast<int>(sizeof a - 1)), 0);
  EXPECT_STREQ(a, "My_button");
  char c[] = "dlg.ok";
  EXPECT_EQ(desc_->Plugin.CheckPath(c, static_cast<int>(sizeof c - 1)), 0);
  EXPECT_STREQ(c, "Dlg.ok");
}

TEST_F(Plugtext, LoadSetsOptionsReferenceFontAndObjectFlags) {
  init();
  ASSERT_EQ(load_text("Dialog d {\n StaticText s {\n }\n}\n"), 0) << error();
  EXPECT_EQ(host_->ctx()->Options, 22);
  EXPECT_EQ(host_->ctx()->Levels, 1);
  ASSERT_EQ(host_->fonts.size(), 1u);
  EXPECT_EQ(host_->fonts[0].face, "ANSI_FIXED_FONT");
  testhost::Obj* d = host_->find("d");
  testhost::Obj* s = host_->find("d.s");
  ASSERT_NE(d, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(d->flags, OBJ_CREATE_CONTAINER | OBJ_CREATE_ROOT | OBJ_CREATE_F19);
  EXPECT_EQ(s->flags, OBJ_CREATE_F19);
  EXPECT_EQ(d->flag27, 1);
  EXPECT_EQ(d->flag28, 1);
  EXPECT_EQ(s->flag27, 1);
  EXPECT_EQ(d->font, 1) << "a container gets the reference font";
  EXPECT_EQ(s->font, 0);
  testhost::Obj* def = host_->find("~Dialog");
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(def->flags & (OBJ_CREATE_NOWND_F21 | OBJ_CREATE_F19), OBJ_CREATE_NOWND_F21);
  EXPECT_EQ(def->font, 1);
}

struct Layout {
  int indent;  // -1: absent from the profile
  int blank_lines;
  const char* golden;
};

// Golden copies for each layout; copying a copy changes nothing.
TEST_F(Plugtext, GoldenRoundTrips) {
  const Layout layouts[] = {{-1, -1, "basic-1-1"}, {0, 0, "basic-0-0"}, {0, 1, "basic-0-1"},
                            {3, 0, "basic-3-0"},   {3, 1, "basic-3-1"}, {-3, 0, "basic-1-0"}};
  for (const Layout& l : layouts) {
    SCOPED_TRACE(l.golden);
    init([&](testhost::Host& h) {
      if (l.indent != -1) h.profile["Indent"] = l.indent;
      if (l.blank_lines != -1) h.profile["BlankLines"] = l.blank_lines;
    });
    std::string path = std::string(PLUGTEXT_FIXTURES) + "/" + l.golden + ".golden";
    ASSERT_EQ(host_->load("basic.dlg"), 0) << error() << " line " << host_->last_error_line();
    std::string first = host_->save();
    if (std::getenv("VARNICA_UPDATE_GOLDEN") != nullptr) std::ofstream(path, std::ios::binary) << first;
    EXPECT_EQ(first, vtest::read_file(path));
    EXPECT_EQ(copy_text(first), first);
  }
}

TEST_F(Plugtext, ValuesReadAsTheirKindsAndCharacterSet) {
  init();
  ASSERT_EQ(host_->load("basic.dlg"), 0) << error();
  const testhost::Attr* title = host_->attr("main", "title");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->store,
            "Caf\xe9 \xa3"
            "5")
      << "Roman-8 bytes read as ISO 8859-1";
  EXPECT_EQ(title->text, "TITLE");
  const testhost::Attr* w = host_->attr("main", "w");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->val.data.num, 40);
  EXPECT_EQ(w->text, "WIDTH");
  ASSERT_NE(host_->attr("main", "tabs[1]"), nullptr);
  EXPECT_EQ(host_->attr("main", "tabs[1]")->val.data.num, 16);
  const testhost::Attr* grid = host_->attr("main", "grid");
  ASSERT_NE(grid, nullptr);
  EXPECT_NE(grid->def.flags & PROP_F_STAR_KIND, 0u);
  EXPECT_EQ(host_->attr("main.label", "text")->store,
            "Gr\xdf"
            "e a#b");
  bool width_defined = false;
  for (const testhost::Const& c : host_->consts) width_defined = width_defined || (c.name == "WIDTH" && c.group == 2);
  EXPECT_TRUE(width_defined);
}

// Template files are read before each load: their objects and symbols can be
// used, nothing of them is written.
TEST_F(Plugtext, TemplateFilesComeFirstAndStayOut) {
  init([](testhost::Host& h) {
    h.profile_text["TemplateFiles\\Total"] = "2";
    h.profile_text["TemplateFiles\\1"] = "base.tdlg";
    h.profile_text["TemplateFiles\\2"] = "second.tdlg";
  });
  ASSERT_EQ(host_->load("usesbase.dlg"), 0) << error() << " line " << host_->last_error_line();
  testhost::Obj* copy = host_->find("copy");
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->tmpl, nullptr);
  EXPECT_EQ(copy->tmpl->path, "Base");
  EXPECT_EQ(host_->attr("copy", "title")->store, "OK");
  EXPECT_EQ(host_->attr("copy", "h")->val.data.num, 7);
  EXPECT_FALSE(host_->find("Base")->written);
  EXPECT_EQ(host_->save(), "\nBase copy {\n .title = OKTEXT\n .h = HEIGHT\n}\n");

  init([](testhost::Host& h) {
    h.profile_text["TemplateFiles\\Total"] = "2";
    h.profile_text["TemplateFiles\\1"] = "base.tdlg";
    h.profile_text["TemplateFiles\\2"] = "nowhere.tdlg";
  });
  EXPECT_EQ(host_->load("usesbase.dlg"), -1);
  EXPECT_EQ(error(), "Unable to open dialog template file\nnowhere.tdlg");
}

TEST_F(Plugtext, DefinesSurviveASaveAndIncludedOnesStayOut) {
  init();
  host_->files["inc.dlg"] = "# included\nBORDER = 2\n";
  const std::string src =
      "include \"inc.dlg\"\n"
      "NAME = \"x\"   # a text\n"
      "SAME = NAME\n"
      "\n"
      "Dialog d {\n"
      " .title = SAME\n"
      " .w = BORDER\n"
      "}\n";
  EXPECT_EQ(copy_text(src), src);
}

// "?name" opens a file that may be missing: the plug-in asks the host for a
// quiet Open, skips the file when it cannot be opened, and its other Opens
// stay ordinary.
TEST_F(Plugtext, AnOptionalIncludeOpensQuietlyAndIsSkippedWhenMissing) {
  init();
  host_->files["inc.dlg"] = "BORDER = 2\n";
  ASSERT_EQ(
      load_text("include \"?none.dlg\"\ninclude \"?inc.dlg\"\ninclude \"inc.dlg\"\nDialog d {\n .w = BORDER\n}\n"), 0)
      << error();
  EXPECT_TRUE(host_->errors.empty());
  std::vector<std::pair<std::string, bool>> quiet;
  for (const auto& [name, options] : host_->opens)
    if (name != "in.dlg") quiet.emplace_back(name, (options & PLOAD_OPTION_QUIET_OPEN) != 0);
  const std::vector<std::pair<std::string, bool>> expected = {
      {"none.dlg", true}, {"inc.dlg", true}, {"inc.dlg", false}};
  EXPECT_EQ(quiet, expected);
  EXPECT_EQ(host_->ctx()->Options & PLOAD_OPTION_QUIET_OPEN, 0);
}

struct Refusal {
  const char* text;
  int line;
  const char* message;
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.message; }

class PlugtextRefusals : public Plugtext, public ::testing::WithParamInterface<Refusal> {};

TEST_P(PlugtextRefusals, EndTheLoadWithTheirMessageAndLine) {
  const Refusal& r = GetParam();
  init();
  host_->files["one.dlg"] = "include \"two.dlg\"\n";
  host_->files["two.dlg"] = "\ninclude \"three.dlg\"\n";
  host_->files["three.dlg"] = "X = 1\n";
  EXPECT_EQ(load_text(r.text), -1);
  EXPECT_EQ(error(), r.message);
  EXPECT_EQ(host_->last_error_line(), r.line);
  EXPECT_EQ(host_->errors.size(), 1u) << "one message only";
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlugtextRefusals,
    ::testing::Values(
        Refusal{"Dialog d {\n .title = \"open\n}\n", 2, "Missing quote"},
        Refusal{"Dialog a { StaticText b {\n}\n}\n}\n", 4, "Extra '}'"},
        Refusal{"Dialog d {\n", 1, "Missing '}', level = 1"},
        Refusal{"Dialog a {\n Dialog b {\n Dialog c {\n Dialog d {\n Dialog e {\n Dialog f {\n Dialog g {\n"
                " Dialog h {\n Dialog i {\n",
                9, "Nesting to deep, MAX_DEPTH is 8"},
        Refusal{"include \"one.dlg\"\n", 2, "include: File nesting too deep"},
        Refusal{"include \"nothere.dlg\"\n", 1, "Unable to open include file:\nnothere.dlg"},
        Refusal{"Dialog {\n", 1, "Object name expected:\nUnexpected token 0x7b"},
        Refusal{"= 1\n", 1, "Identifier expected:\nUnexpected token 0x3d"},
        Refusal{"Dialog d\n.w = 1\n", 2, "'{' expected"}, Refusal{"Dialog d {\n .tabs[1 = 2\n}\n", 2, "']' expected"},
        Refusal{"Dialog d {\n .w 2\n}\n", 2, "'=' expected"},
        Refusal{"Dialog d {\n .w = {\n}\n", 2, "Constant or symbolic value expected"},
        Refusal{"A = }\n", 1, "define: Constant or symbolic value expected"},
        Refusal{"Dialog d {\n .w = NOWHERE\n}\n", 2, "Symbolic value not found:\nNOWHERE"},
        Refusal{"\nA = 4294967296\n", 2, "Numeric constant is too large:\n4294967296"},
        Refusal{"Window w {\n}\n", 1, "Unable to locate object:\nPath=\"w\""},
        Refusal{"Dialog d {\n .colour = 1\n}\n", 2, "Attribute not recognized:\nPath=\"d.colour\""},
        Refusal{"Dialog d {\n .w = \"wide\"\n}\n", 2, "Attribute data type mismatch:\nPath=\"d.w\""},
        // tabs is an int[4]: its elements are 0 to 3.
        Refusal{"Dialog d {\n .tabs[0] = 1\n .tabs[-1] = 2\n}\n", 3, "Attribute index expected"},
        Refusal{"Dialog d {\n .tabs[4] = 2\n}\n", 2, "Attribute index expected"},
        Refusal{"Dialog d {\n .tabs[1000000] = 2\n}\n", 2, "Attribute index expected"},
        Refusal{"Dialog d {\n}\nDialog d {\n}\n", 3, "Object with same name does already exist:\nPath=\"d\""},
        Refusal{"StaticText s {\n}\n", 1, "Invalid root object:\nPath=\"s\""}));

TEST_F(Plugtext, AMegabyteLineIsRefusedAtItsLine) {
  init();
  EXPECT_EQ(load_text("Dialog d {\n # " + std::string(1 << 20, 'x') + "\n}\n"), -1);
  EXPECT_EQ(error(), "Line is too long (more than 65536 characters)");
  EXPECT_EQ(host_->last_error_line(), 2);
}

// Texts that a ".dlg" string cannot carry fail the save with the
// attribute's name; nothing changed is written.
TEST_F(Plugtext, TextsTheFileCannotCarryFailTheSave) {
  const char* bad[] = {"\"say \"hi\"\"", "\"two\nlines\"", "\"\xa9 2001\""};
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    init();
    ASSERT_EQ(load_text("Dialog d {\n .title = \"ok\"\n}\n"), 0) << error();
    testhost::Obj* d = host_->find("d");
    ASSERT_NE(d, nullptr);
    for (testhost::Attr& a : d->attrs)
      if (a.name == "title") a.text = text;
    EXPECT_EQ(host_->save(), "<save failed>");
    EXPECT_NE(error().find("attribute \"title\""), std::string::npos) << error();
  }
}

// A FORM import builds one dialog with its texts and fields; the ".dlg" it
// saves loads and saves as a fixed point.
TEST_F(Plugtext, FormImportBuildsADialog) {
  init();
  ASSERT_EQ(host_->load("form20.form", 1), 0) << error();
  EXPECT_EQ(host_->ctx()->Options, 22);
  testhost::Obj* dialog = host_->find("Untitled1");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->cls->name, std::string("Dialog"));
  EXPECT_EQ(host_->attr("Untitled1", "w")->val.data.num, 80);
  EXPECT_EQ(host_->attr("Untitled1", "h")->val.data.num, 22);
  EXPECT_EQ(host_->attr("Untitled1.St_1", "text")->store, "Customer 'Orders'");
  EXPECT_EQ(host_->attr("Untitled1.St_1", "x")->val.data.num, 3);
  EXPECT_EQ(host_->attr("Untitled1.St_7", "text")->store, "\xea\xf4 plain") << "Roman-8 0xC1 and 0xC2 in ISO 8859-1";
  EXPECT_EQ(host_->find("Untitled1.St_10"), nullptr);
  EXPECT_EQ(host_->attr("Untitled1.If_1", "maxchars")->val.data.num, 20);
  EXPECT_EQ(host_->attr("Untitled1.If_2", "w")->val.data.num, 5);
  EXPECT_EQ(host_->attr("Untitled1.If_2", "fgc")->val.data.num, 1);
  EXPECT_EQ(host_->attr("Untitled1.Of_1", "w")->val.data.num, 10);
  EXPECT_EQ(host_->attr("Untitled1.Of_1", "maxchars"), nullptr);
  EXPECT_EQ(host_->find("Untitled1.Of_2"), nullptr) << "the output field on an input cell";
  EXPECT_EQ(host_->find("Untitled1.St_1")->flags, OBJ_CREATE_F19);
  std::string saved = host_->save();
  EXPECT_EQ(saved.rfind("\nDialog Untitled1 {\n .w = 80\n .h = 22\n", 0), 0u) << saved;
  EXPECT_EQ(copy_text(saved), saved);
}

TEST_F(Plugtext, HostileFormFilesAreNotFormFiles) {
  for (const char* name : {"short.form", "nonl.form"}) {
    SCOPED_TRACE(name);
    init();
    EXPECT_EQ(host_->load(name, 1), -1);
    EXPECT_EQ(error(), "This is not a FORM file.");
    EXPECT_EQ(host_->last_error_line(), 1);
    EXPECT_EQ(host_->find("Untitled1"), nullptr);
  }
}

TEST_F(Plugtext, ExamplesLoad) {
  init([](testhost::Host& h) { h.profile["Indent"] = 2; });
  host_->base_dir = PLUGTEXT_EXAMPLES;
  ASSERT_EQ(host_->load("sample.dlg"), 0) << error() << " line " << host_->last_error_line();
  std::string first = host_->save();
  EXPECT_EQ(first, vtest::read_file(std::string(PLUGTEXT_EXAMPLES) + "/sample.dlg"))
      << "the sample is in the writer's form";
  host_->files["copy.dlg"] = first;
  ASSERT_EQ(host_->load("copy.dlg"), 0) << error();
  EXPECT_EQ(host_->save(), first);
  ASSERT_EQ(host_->load("sample.form", 1), 0) << error();
  EXPECT_NE(host_->find("Untitled1.If_2"), nullptr);
}

}  // namespace
