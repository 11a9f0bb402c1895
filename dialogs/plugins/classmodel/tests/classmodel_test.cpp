// The class model: configuration reading, the class table, definitions,
// GUI modifiers and the object-building steps, with a small in-test host.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "dialogs/plugins/classmodel/classmodel.h"
#include "dialogs/plugins/classmodel/tests/pluginhost.h"

namespace {

const char kConfig[] =
    "# test model\n"
    "  # x = 1\n"
    "[classes]\n"
    "window=cw:aw\n"
    "[attributes]\n"
    "xleft=int:0:native$6:Geometry:0\n"
    "old=(new)int:0:attr:G\n"
    "font=int:5:native$16:Appearance\n"
    "[cw]\n"
    "root=1\n"
    "container=1\n"
    "w_default=0\n"
    "h_default=3\n"
    "f_ampersand=1\n"
    "w_char_offset=-2\n"
    "[aw]\n"
    "level=int:0:attr@gmod:State:2\n"
    "bad=int:0:attr@gfoo:State\n"
    "far=int:0:native$19:G\n"
    "[classes]\n"
    "frame=cf:af\n"
    "[cf]\n"
    "root_req=1\n"
    "gui_wc=Frame\n"
    "gui_setws=3\n"
    "[af]\n"
    "title=string:0:attr:Text\n"
    "[gmod]\n"
    "gui_setws=level*2+xleft\n"
    "[gfoo]\n"
    "gui_foo=1\n";

class ClassModel : public ::testing::Test {
 protected:
  void SetUp() override {
    desc_ = PluginDesc{};
    host_ = std::make_unique<testhost::Host>(&desc_);
  }
  void TearDown() override { var_exit(); }
  int init(const std::string& text) { return var_init_text(&desc_, text, "/m/ide-x.cfg"); }
  std::string failure() const { return host_->failures.empty() ? "" : host_->failures.back(); }

  PluginDesc desc_{};
  std::unique_ptr<testhost::Host> host_;
};

TEST_F(ClassModel, ReadsSectionsAndClasses) {
  ASSERT_EQ(init(kConfig), 0) << failure();
  ASSERT_EQ(var_class_count(), 2u) << "[classes] seen twice continues one section";
  classrec* w = var_find_class("WINDOW");
  ASSERT_NE(w, nullptr);
  EXPECT_STREQ(w->name, "window");
  EXPECT_EQ(w->flags, static_cast<uint32_t>(CLASS_F_AMPERSAND));
  EXPECT_EQ(w->w_char_offset, -2);
  EXPECT_EQ(var_next_class(true), w);
  EXPECT_STREQ(var_next_class(false)->name, "frame");
  EXPECT_EQ(var_next_class(false), nullptr);
  int dw = 0, dh = 0;
  var_DefaultSize("window", &dw, &dh);
  EXPECT_EQ(dw, 10) << "w_default=0 keeps 10";
  EXPECT_EQ(dh, 3);
  EXPECT_EQ(var_cfg_path("/a/b.c/ide-plugpane.so"), "/a/b.c/ide-plugpane.cfg");
}

TEST_F(ClassModel, ConfigurationErrors) {
  struct Case {
    std::string text;
    const char* message;
  } cases[] = {
      {"x=1\n", "Syntax error in configuration file:\n/m/ide-x.cfg, line 1"},
      {"[a]\n\nnot a section\n", "Syntax error in configuration file:\n/m/ide-x.cfg, line 3"},
      {"[a]\nx=1\n",
       "Configuration file is inconsistent:\n/m/ide-x.cfg\nSection [classes] does not exist or is empty."},
      {"[classes]\nButton=ButtonClass:\n",
       "Configuration file is inconsistent:\n/m/ide-x.cfg\nEntry \"Button=\" in section [classes] has illegal format."},
      {"[classes]\nButton=:attrs\n",
       "Configuration file is inconsistent:\n/m/ide-x.cfg\nEntry \"Button=\" in section [classes] has illegal format."},
      {"[classes]\nB=cb:ab\n[cb]\nx=1\n",
       "Configuration file is inconsistent:\n/m/ide-x.cfg\nSection [ab] does not exist or is empty."},
      {"[classes]\nB=cb:ab\n[cb]\nx=1\n[ab]\nx=int:0:attr:G\n",
       "Configuration file is inconsistent:\n/m/ide-x.cfg\nSection [attributes] does not exist or is empty."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(init(c.text), -1);
    EXPECT_EQ(failure(), c.message);
    EXPECT_EQ(var_class_count(), 0u);
  }
  desc_.Module = "/nonexistent/ide-none.so";
  EXPECT_EQ(var_init(&desc_), -1);
  EXPECT_EQ(failure(), "Plug-In configuration file not found:\n/nonexistent/ide-none.cfg");
}

TEST_F(ClassModel, LongLinesStayWhole) {
  std::string value(5000, 'v');
  ASSERT_EQ(init(std::string(kConfig) + "[long]\nkey=" + value + "\n"), 0);
  const VarEntry* e = var_cfg_find("long", nullptr);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->value, value);
  EXPECT_EQ(var_cfg_next_entry(), nullptr);
}

TEST_F(ClassModel, ParsesDefinitions) {
  struct Case {
    const char* key;
    const char* value;
    int rc;
    const char* name;
    int type;
    uint32_t flags;
    int count, group, kind, native;
    const char* gui;
    const char* category;
    const char* defval;
  } cases[] = {
      {"key", "int[3]:0:attr:Geometry", 0, "key", 4, PROP_F_ARRAY, 3, 0, 0, 0, nullptr, "Geometry", nullptr},
      {"key", "int[x]:0:attr:G", -1, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
      {"key", "int3]:0:attr:G", -1, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
      {"old", "(new)int:0:attr:G", 0, "new", 4, PROP_F_ALIAS, 0, 0, 0, 0, nullptr, "G", nullptr},
      {"x", "int:0:native$0:G", -1, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
      {"x", "int:0:native$19:G", 0, "x", 4, 0, 0, 0, 1, 19, nullptr, "G", nullptr},
      {"x", "STRING:+*7:*attr@sec:Cat:a:b", 0, "x", 3, PROP_F_PLUS | PROP_F_STAR_GROUP | PROP_F_STAR_KIND, 0, 7, 0, 0,
       "sec", "Cat", "a:b"},
      {"x", "ints:0:attr:G", -1, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
      {"x", "int:0:attrib:G", -1, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
      {"x", "int:0:attr@:G", -1, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
      {"x", "int:0:attr", -1, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
      {"x", "int:zero:attr:G", -1, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
      {"abcdefghijklmnopqrstuvwxyz012345", "any:0:attr:G", -1, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
      {"x", "path:0:attr:abcdefghijklmnopqrstuvwxyz012345", -1, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
      {"x", "any:0:attr::", 0, "x", 0, 0, 0, 0, 0, 0, nullptr, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    prop_def d{};
    ASSERT_EQ(var_parse_attr_def(&d, c.key, c.value), c.rc);
    if (c.rc != 0) continue;
    EXPECT_STREQ(d.name, c.name);
    EXPECT_EQ(d.type, c.type);
    EXPECT_EQ(d.flags, c.flags);
    EXPECT_EQ(d.count, c.count);
    EXPECT_EQ(d.group, c.group);
    EXPECT_EQ(d.kind, c.kind);
    EXPECT_EQ(d.native, c.native);
    EXPECT_EQ(d.index, -1);
    if (c.gui == nullptr) {
      EXPECT_EQ(d.gui, nullptr);
    } else {
      EXPECT_STREQ(d.gui, c.gui);
    }
    EXPECT_STREQ(d.category, c.category);
    if (c.defval == nullptr) {
      EXPECT_EQ(d.defval, nullptr);
    } else {
      EXPECT_STREQ(d.defval, c.defval);
    }
    // the canonical text parses back to the same definition
    prop_def again{};
    ASSERT_EQ(var_parse_attr_def(&again, c.key, var_format_attr_def(d).c_str()), 0);
    EXPECT_EQ(var_format_attr_def(again), var_format_attr_def(d));
  }
  // texts outlive the next parse
  prop_def a{}, b{};
  ASSERT_EQ(var_parse_attr_def(&a, "first", "int:0:attr:One:11"), 0);
  ASSERT_EQ(var_parse_attr_def(&b, "second", "int:0:attr:Two:22"), 0);
  EXPECT_STREQ(a.name, "first");
  EXPECT_STREQ(a.defval, "11");
}

TEST_F(ClassModel, CanonicalConfigurationIsAFixedPoint) {
  VarConfig cfg;
  std::string err;
  ASSERT_EQ(var_cfg_parse(kConfig, "x.cfg", cfg, err), 0);
  std::string once = var_cfg_write(cfg);
  VarConfig again;
  ASSERT_EQ(var_cfg_parse(once, "x.cfg", again, err), 0);
  EXPECT_EQ(var_cfg_write(again), once);
  EXPECT_NE(once.find("[classes]\nwindow=cw:aw\nframe=cf:af\n"), std::string::npos) << once;
  EXPECT_NE(once.find("old=(new)int:0:attr:G\n"), std::string::npos) << once;
  EXPECT_NE(once.find("xleft=int:0:native$6:Geometry:0\n"), std::string::npos) << once;
}

// The shipped models initialise, every definition in them parses (each
// class has the common attributes and its own), and their canonical forms
// are fixed points.
TEST_F(ClassModel, ShippedModelsAreConsistent) {
  for (const char* path : {PLUGPANE_CFG, PLUGTEXT_CFG}) {
    SCOPED_TRACE(path);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    ASSERT_EQ(init(text.str()), 0) << failure();
    prop_def d{};
    for (classrec* r = var_next_class(true); r != nullptr; r = var_next_class(false)) {
      int n = 0;
      for (void* c = var_FirstAttrDef(r->name, &d); c != nullptr; c = var_NextAttrDef(r->name, c, &d)) ++n;
      EXPECT_GT(n, 7) << r->name;
    }
    EXPECT_TRUE(host_->failures.empty()) << failure();
    VarConfig cfg;
    std::string err;
    ASSERT_EQ(var_cfg_parse(text.str(), "x.cfg", cfg, err), 0);
    std::string once = var_cfg_write(cfg);
    VarConfig again;
    ASSERT_EQ(var_cfg_parse(once, "x.cfg", again, err), 0);
    EXPECT_EQ(var_cfg_write(again), once);
  }
}

TEST_F(ClassModel, EnumerationSkipsAliasesAndNests) {
  ASSERT_EQ(init(kConfig), 0);
  std::string outer;
  prop_def d{};
  for (void* c = var_FirstAttrDef("window", &d); c != nullptr; c = var_NextAttrDef("window", c, &d)) {
    outer += std::string(d.name) + ",";
    // a nested enumeration does not disturb the outer cursor
    prop_def inner{};
    int n = 0;
    for (void* k = var_FirstAttrDef("frame", &inner); k != nullptr; k = var_NextAttrDef("frame", k, &inner)) ++n;
    EXPECT_EQ(n, 3);
  }
  EXPECT_EQ(outer, "xleft,font,level,bad,far,");
  EXPECT_EQ(var_FirstAttrDef("nosuch", &d), nullptr);
  ASSERT_EQ(init(std::string(kConfig) + "[aw]\nbroken=int:0:oops:G\n"), 0);
  int n = 0;
  for (void* c = var_FirstAttrDef("window", &d); c != nullptr; c = var_NextAttrDef("window", c, &d)) ++n;
  EXPECT_EQ(n, 5);
  EXPECT_EQ(failure(),
            "Unable to obtain attribute definition:\nThe configuration file seems to be inconsistent\n(entry "
            "\"broken=\" for class \"window\" has illegal format).");
}

// Object building with the in-test host.
class Building : public ClassModel {
 protected:
  void SetUp() override {
    ClassModel::SetUp();
    ASSERT_EQ(init(kConfig), 0);
    ctx_ = host_->ctx();
    ASSERT_EQ(var_load_prologue(ctx_), 0) << host_->last_error();
  }
  int assign(const char* path, int32_t n) {
    prop_val v{};
    v.type = VAL_INT;
    v.data.num = n;
    return var_assign_attr(ctx_, path, &v, false, -1);
  }
  int assign(const char* path, const char* text, bool symbolic = false) {
    prop_val v{};
    std::string t = text;
    v.type = VAL_TEXT;
    v.data.text = t.data();
    return var_assign_attr(ctx_, path, &v, symbolic, -1);
  }
  pload* ctx_ = nullptr;
};

TEST_F(Building, CreatesObjectsWithFlags) {
  ASSERT_NE(host_->find("~window"), nullptr);
  ASSERT_NE(host_->find("~frame"), nullptr);
  ASSERT_EQ(var_create_object(ctx_, "W", "window", 0), 0) << host_->last_error();
  EXPECT_EQ(host_->find("W")->flags, OBJ_CREATE_CONTAINER | OBJ_CREATE_ROOT);
  ASSERT_EQ(var_create_object(ctx_, "F", "frame", 0), 0) << host_->last_error();
  EXPECT_EQ(host_->find("F")->flags, OBJ_CREATE_ROOT | OBJ_CREATE_ROOT_REQ);
  EXPECT_EQ(var_create_object(ctx_, "W.F2", "frame", 0), -1);
  EXPECT_EQ(host_->last_error(), "Object must be root:\nPath=\"W.F2\"");
  EXPECT_EQ(var_create_object(ctx_, "Nope.X", "window", 0), -1);
  EXPECT_EQ(host_->last_error(), "Unable to locate parent object:\nPath=\"Nope.X\"");
  EXPECT_EQ(var_create_object(ctx_, "W.a-b", "window", 0), -1);
  EXPECT_EQ(host_->last_error(), "Invalid object path:\nPath=\"W.a-b\"");
  EXPECT_EQ(var_create_object(ctx_, "X", "nosuch", 0), 1);
  ASSERT_EQ(var_create_object(ctx_, "W.T", "W", 0), 0) << "a template";
  EXPECT_EQ(host_->find("W.T")->tmpl, host_->find("W"));
  std::string deep = "W." + std::string(1100, 'a') + ".b";
  EXPECT_EQ(var_create_object(ctx_, deep.c_str(), "window", 0), -1);
  EXPECT_EQ(host_->last_error().substr(0, 23), "Object path is too long");
  // an included file's object is reused
  ctx_->IncludeDepth = 1;
  int nesting = ctx_->Nesting;
  EXPECT_EQ(var_create_object(ctx_, "W", "window", VAR_CREATE_PRIVATE), 0);
  EXPECT_EQ(ctx_->Nesting, nesting + 1);
}

TEST_F(Building, AssignsAttributes) {
  ASSERT_EQ(var_create_object(ctx_, "W", "window", 0), 0);
  EXPECT_EQ(assign("W.xleft", 3), 0);
  EXPECT_EQ(assign("W.xleft", "a"), -1);
  EXPECT_EQ(host_->last_error(), "Attribute data type mismatch:\nPath=\"W.xleft\"");
  EXPECT_EQ(assign("W.far", 1), -1);
  EXPECT_EQ(host_->last_error(),
            "Native attribute \"far\" could not be recognized:\nThe configuration file seems to be "
            "inconsistent.\nPath=\"W.far\"");
  EXPECT_EQ(assign("W.old", 4), 0) << "an alias";
  EXPECT_NE(host_->attr("W", "new"), nullptr);
  EXPECT_EQ(assign("W.mystery", "x"), 0);
  EXPECT_EQ(host_->attr("W", "mystery")->def_cat, "Unknown");
  EXPECT_EQ(assign("Nope.x", 1), -1);
  EXPECT_EQ(host_->last_error(), "Unable to locate object:\nPath=\"Nope.x\"");
  EXPECT_EQ(assign("W.a-b", 1), -1);
  EXPECT_EQ(host_->last_error(), "Invalid object path:\nPath=\"W.a-b\"");
  EXPECT_EQ(assign("W.font", "F", true), -1);
  EXPECT_EQ(host_->last_error(), "Symbolic value not found:\nF");
  host_->fail_gui = true;
  EXPECT_EQ(assign("W.font", 2), -1);
  EXPECT_EQ(host_->last_error(), "Unable to set font,\nPath=\"W.font\"");
}

TEST_F(Building, GuiModifiers) {
  ASSERT_EQ(var_create_object(ctx_, "W", "window", 0), 0);
  ASSERT_EQ(assign("W.xleft", 5), 0);
  testhost::Obj* w = host_->find("W");
  w->gui_values.clear();
  ASSERT_EQ(assign("W.level", 3), 0) << host_->last_error();
  ASSERT_EQ(w->gui_values.size(), 1u);
  EXPECT_EQ(w->gui_values[0], 3 * 2 + 5);
  EXPECT_EQ(assign("W.bad", 1), -1);
  EXPECT_EQ(host_->last_error(), "Illegal entry\"gui_foo=\"\nin configuration section [gfoo]");
  // defaults: an unset attribute with a GUI section gets its default applied
  ASSERT_EQ(var_create_object(ctx_, "V", "window", 0), 0);
  testhost::Obj* v = host_->find("V");
  v->gui_values.clear();
  host_->find("~window")->attrs.clear();
  EXPECT_EQ(var_set_default_attrs(ctx_, "V"), -1) << "gfoo fails for the unset attribute bad";
  ASSERT_GE(v->gui_values.size(), 1u);
  EXPECT_EQ(v->gui_values[0], 2 * 2 + 0);
  EXPECT_EQ(var_set_default_attrs(ctx_, "Nope"), -1);
  EXPECT_EQ(host_->last_error(), "Unable to locate object:\nNope");
}

TEST(ClassModelPrologue, ConstantErrors) {
  struct Case {
    const char* entry;
    const char* message;
  } cases[] = {
      {"k=int", "Configuration error:\nData type is not terminated,\nSection [Constants], entry \"k=\""},
      {"k=float:1:2", "Configuration error:\nUnknown data type,\nSection [Constants], entry \"k=\""},
      {"k=int:1", "Configuration error:\nConstant identifier is not terminated,\nSection [Constants], entry \"k=\""},
  };
  for (const Case& c : cases) {
    PluginDesc desc{};
    testhost::Host host(&desc);
    ASSERT_EQ(var_init_text(&desc, std::string(kConfig) + "[Constants]\n" + c.entry + "\n", "x.cfg"), 0);
    EXPECT_EQ(var_load_prologue(host.ctx()), -1);
    EXPECT_EQ(host.last_error(), c.message);
    var_exit();
  }
}

}  // namespace
