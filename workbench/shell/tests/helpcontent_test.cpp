// The help project file reader: placement by level, base and entry
// addresses, comments, and lines that stop reading.
#include <string>

#include <gtest/gtest.h>

#include "workbench/base/settings/config.h"
#include "workbench/base/sysassert.h"
#include "workbench/shell/helpcontent.h"

namespace {

HelpReadResult Read(const std::string& text, HelpContents* contents, CfgHelp* help = nullptr) {
  return HelpContent_Read(text.data(), text.size(), help, contents);
}

// The tree as "name(type)[url]{children}" for compact comparisons.
std::string Shape(const ContentItem& item) {
  std::string s = item.Name() + "(" + std::to_string(item.ContentType()) + ")";
  if (item.HasUrl()) s += "[" + item.Url() + "]";
  if (!item.Children().empty()) {
    s += "{";
    for (const auto& child : item.Children()) s += Shape(*child) + ",";
    s += "}";
  }
  return s;
}

std::string Shape(const HelpContents& contents) {
  std::string s;
  for (const auto& item : contents.Top()) s += Shape(*item) + ";";
  return s;
}

TEST(HelpContent, LevelsPlaceEachEntryUnderTheNearestEntryOneLevelUp) {
  HelpContents contents;
  HelpReadResult r = Read(
      "T 1 Book A\n"
      "t 2 Chapter\r\n"
      "d 3 Page one\r"
      "T 1 Book B\n"
      "D 2 Page two\n",
      &contents);
  EXPECT_EQ(r.error_line, 0);
  EXPECT_EQ(Shape(contents), "Book A(0){Chapter(1){Page one(2),},};Book B(0){Page two(2),};");
}

TEST(HelpContent, UrlLinesSetTheAddressOfTheEntryAbove) {
  HelpContents contents;
  Read("T 1 Book\nU book.htm\nD 2   Page with  blanks  \nu  page.htm#top\n", &contents);
  EXPECT_EQ(Shape(contents), "Book(0)[book.htm]{Page with  blanks  (2)[page.htm#top],};");
}

TEST(HelpContent, BaseAddressIsBuiltByTheHelpRecord) {
  HelpContents contents;
  CfgHelp help;
  help.ConfigURL = "http://docs.example";
  HelpReadResult r = Read("m manuals/index\nT 1 Book\n", &contents, &help);
  EXPECT_EQ(r.error_line, 0);
  EXPECT_TRUE(r.base_set);
  EXPECT_EQ(help.Url, "http://docs.example/manuals/index");
}

TEST(HelpContent, CommentsAndEmptyLinesGiveAnEmptyTree) {
  HelpContents contents;
  HelpReadResult r = Read("# a comment\n; another\n\n   \n#T 1 not a book\n", &contents);
  EXPECT_EQ(r.error_line, 0);
  EXPECT_TRUE(contents.Empty());
}

TEST(HelpContent, BadLinesStopReadingAndKeepWhatWasRead) {
  struct Case {
    const char* bad_line;
  } cases[] = {
      {"X 1 unknown kind"},
      {"TT 1 two letters"},
      {"T"},                          // no level
      {"T 0 level zero"},             // not positive
      {"T -1 negative"},              //
      {"T 1x not a number"},          //
      {"T 2"},                        // no title
      {"T 3 jumps two levels"},       //
      {"D 4294967297 past 32 bits"},  // wraps to 1 in 32 bits
      {"T 2147483648 past int32"},    //
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bad_line);
    HelpContents contents;
    std::string text = "# head\nT 1 Book\n" + std::string(c.bad_line) + "\nD 2 never read\n";
    HelpReadResult r = Read(text, &contents);
    EXPECT_EQ(r.error_line, 3);
    EXPECT_EQ(Shape(contents), "Book(0);");
  }
}

TEST(HelpContent, UrlBeforeAnyEntryIsAnError) {
  HelpContents contents;
  EXPECT_EQ(Read("\nU page.htm\nT 1 Book\n", &contents).error_line, 2);
  EXPECT_TRUE(contents.Empty());
  // The first entry must be at level 1.
  EXPECT_EQ(Read("T 2 Book\n", &contents).error_line, 1);
}

TEST(HelpContent, SyntaxMessageNamesFileAndLine) {
  EXPECT_EQ(HelpContent_SyntaxMessage("/opt/html/yqhelp.cfg", 7),
            "Syntax error in on-line help project file:\nFile /opt/html/yqhelp.cfg, Line 7");
}

TEST(HelpContent, ImagesFollowTheContentType) {
  ContentItem top("a", nullptr, ContentItem::TopBook), book("b", nullptr, ContentItem::Book),
      page("c", nullptr, ContentItem::Page);
  EXPECT_EQ(top.Image(), 0);
  EXPECT_EQ(top.ExpandedImage(), 1);
  EXPECT_EQ(book.Image(), 2);
  EXPECT_EQ(book.ExpandedImage(), 3);
  EXPECT_EQ(page.Image(), 4);
  EXPECT_EQ(page.ExpandedImage(), 4);
  EXPECT_FALSE(page.HasUrl());

  SysAssertHandler previous = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
  EXPECT_THROW(ContentItem("x", nullptr, 3), SysAssertError);
  Sys_SetAssertHandler(previous);
}

}  // namespace
