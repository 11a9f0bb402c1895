// Parts of the ASCII dialog plug-in that the module does not export: the
// FORM reader and layout, with files made by fixtures/makeform.py and hostile
// variants of them, and the template file list in the profile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/plugins/classmodel/tests/pluginhost.h"
#include "dialogs/plugins/plugtext/formfile.h"
#include "dialogs/plugins/plugtext/plugtext.h"
#include "tests/support/testsupport.h"

namespace {

FormStatus parse(const std::string& bytes, Form& form) {
  return form_parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), form);
}

std::string form20() { return vtest::read_file(std::string(PLUGTEXT_FIXTURES) + "/form20.form"); }

void put_word(std::string& bytes, size_t at, unsigned v) {
  bytes[at] = static_cast<char>(v >> 8);
  bytes[at + 1] = static_cast<char>(v & 0xff);
}

TEST(FormFile, CellsOfEveryKind) {
  Form form;
  ASSERT_EQ(parse(form20(), form), FORM_OK);
  ASSERT_EQ(form.lines.size(), 20u);
  EXPECT_EQ(form.width, 78u);
  EXPECT_EQ(form.table_a.size(), 2u);
  const std::vector<FormCell>& name = form.lines[2];
  ASSERT_EQ(name.size(), 28u);
  EXPECT_EQ(name[5].code, ':');
  EXPECT_EQ(name[6].field, FORM_INPUT);
  EXPECT_EQ(name[26].field, FORM_PLAIN);
  const FormCell& rule = form.lines[6][0];  // mode 1 above 31: bit 7 set, kind 2
  EXPECT_EQ(rule.code, '-' | 0x80);
  EXPECT_EQ(rule.kind, 2);
  EXPECT_EQ(form.lines[8][0].attr, 1);
  EXPECT_EQ(form.lines[8][6].field, FORM_BOTH);
  EXPECT_EQ(form.lines[10][1].code, 'a' + 96);  // mode 2: alternate characters
  EXPECT_EQ(form.lines[10][1].kind, 0);
  EXPECT_EQ(form.lines[12][2].code, 0x01);
  EXPECT_EQ(form.lines[12][4].code, ' ');  // mode 3: blank cells
  EXPECT_TRUE(form.lines[19].empty());
}

TEST(FormFile, LayoutOfTextsAndFields) {
  Form form;
  ASSERT_EQ(parse(form20(), form), FORM_OK);
  std::vector<FormText> texts;
  std::vector<FormEdit> inputs, outputs;
  form_layout(form, texts, inputs, outputs);
  std::vector<std::string> seen;
  for (const FormText& t : texts) seen.push_back(std::to_string(t.y) + ":" + std::to_string(t.x) + " " + t.text);
  std::vector<std::string> want = {"1:3 Customer 'Orders'",
                                   "3:2 Name:",
                                   "3:28 #",
                                   "5:2 Total:",
                                   "7:1 " + std::string(78, '.'),
                                   "9:2 Code:",
                                   "11:2 \xc1\xc2 plain",
                                   "13:2 A B",
                                   "15:2 " + std::string(70, 'w')};
  EXPECT_EQ(seen, want);
  ASSERT_EQ(inputs.size(), 2u);
  EXPECT_EQ(inputs[0].x, 7);
  EXPECT_EQ(inputs[0].y, 3);
  EXPECT_EQ(inputs[0].width, 20);
  EXPECT_EQ(inputs[1].width, 5);
  ASSERT_EQ(outputs.size(), 1u) << "an output field on input cells gets no object";
  EXPECT_EQ(outputs[0].x, 8);
  EXPECT_EQ(outputs[0].y, 5);
  EXPECT_EQ(outputs[0].width, 10);
}

TEST(FormFile, StaticTextsStopAt160Cells) {
  Form form;
  form.lines.resize(1);
  form.lines[0].assign(170, FormCell{FORM_PLAIN, 0, 0, 'w'});
  std::vector<FormText> texts;
  std::vector<FormEdit> inputs, outputs;
  form_layout(form, texts, inputs, outputs);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text.size(), 160u);
  EXPECT_EQ(texts[1].x, 161);
}

struct Hostile {
  const char* what;
  void (*spoil)(std::string&);
};

void PrintTo(const Hostile& h, std::ostream* os) { *os << h.what; }

class FormHostile : public ::testing::TestWithParam<Hostile> {};

TEST_P(FormHostile, IsNotAFormFile) {
  std::string bytes = form20();
  GetParam().spoil(bytes);
  Form form;
  EXPECT_EQ(parse(bytes, form), FORM_NOT_FORM);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormHostile,
    ::testing::Values(
        Hostile{"13 bytes", [](std::string& b) { b.resize(13); }},
        Hostile{"empty", [](std::string& b) { b.clear(); }},
        Hostile{"cut in the text area", [](std::string& b) { b.resize(b.size() - 1); }},
        Hostile{"huge text area", [](std::string& b) { put_word(b, 2, 0xffff); }},
        Hostile{"huge first area", [](std::string& b) { put_word(b, 4, 0xffff); }},
        Hostile{"no first area", [](std::string& b) { put_word(b, 4, 0); }},
        Hostile{"huge line count", [](std::string& b) { put_word(b, 0, 0xfffc); }},
        Hostile{"line count not a multiple of 3", [](std::string& b) { put_word(b, 0, 59); }},
        Hostile{"tables A and B differ", [](std::string& b) { put_word(b, 8, 7); }},
        Hostile{"table end before the header", [](std::string& b) { put_word(b, 8, 5); }},
        Hostile{"tables running backwards", [](std::string& b) { put_word(b, 12, 0); }},
        Hostile{"tables past the first area", [](std::string& b) { put_word(b, 12, 0xffff); }},
        Hostile{"line record past the end", [](std::string& b) { put_word(b, 256, 0xffff); }},
        Hostile{"bad marker", [](std::string& b) { b[256 + 60 * 256] = 0; }},
        Hostile{"missing end byte", [](std::string& b) {
                  for (size_t i = b.size(); i-- > 256 + 60 * 256;)
                    if (static_cast<unsigned char>(b[i]) == 0xff) b[i] = 0x00;
                }},
        Hostile{"run without its end", [](std::string& b) {
                  for (size_t i = b.size(); i-- > 256 + 60 * 256;)
                    if (static_cast<unsigned char>(b[i]) == 0xfc) b[i] = 'x';
                }}));

TEST(FormFile, FixtureFilesOfTheToolTests) {
  Form form;
  EXPECT_EQ(parse(vtest::read_file(std::string(PLUGTEXT_FIXTURES) + "/short.form"), form), FORM_NOT_FORM);
  EXPECT_EQ(parse(vtest::read_file(std::string(PLUGTEXT_FIXTURES) + "/nonl.form"), form), FORM_NOT_FORM);
}

// The list of template files: count, names from 0, append, clear.
TEST(TemplateList, CountNameAppendClear) {
  testhost::Host host(GetPlugin());
  EXPECT_EQ(text_template_count(), 0);
  EXPECT_EQ(text_template_name(0), "");
  text_template_append("a.dlg");
  text_template_append("/lib/b.dlg");
  EXPECT_EQ(text_template_count(), 2);
  EXPECT_EQ(text_template_name(0), "a.dlg");
  EXPECT_EQ(text_template_name(1), "/lib/b.dlg");
  EXPECT_EQ(host.profile_text["TemplateFiles\\2"], "/lib/b.dlg");
  EXPECT_EQ(host.profile_text["TemplateFiles\\Total"], "2");
  text_template_clear();
  EXPECT_EQ(text_template_count(), 0);
  EXPECT_EQ(host.profile_text.count("TemplateFiles\\1"), 0u);
  EXPECT_EQ(host.profile_text.count("TemplateFiles\\2"), 0u);
  host.profile_text["TemplateFiles\\Total"] = "-4";
  EXPECT_EQ(text_template_count(), 0);
}

}  // namespace
