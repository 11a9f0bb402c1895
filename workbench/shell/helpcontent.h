// The table of contents of the on-line help: a tree of books and pages read
// from the help project file. Lines are blank-separated tokens, the last
// field being the rest of the line:
//
//   # or ;            a comment (as is an empty line)
//   M address         the help base address (built by CfgHelp::BuildUrl)
//   T level title     a book      D level title     a page
//   U address         the address of the entry defined last
//
// An entry of level n goes under the nearest preceding entry of level n - 1
// (level 1 at the top) and may be at most one deeper than the entry before
// it. The first line that breaks a rule stops reading; what was read stays.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class CfgHelp;

class ContentItem {
 public:
  // The content types, which pick the images.
  enum Type { TopBook = 0, Book = 1, Page = 2 };

  // A type outside 0 to 2 is a failed check; a null name is one too.
  ContentItem(const char* name, const char* url, int type);
  ContentItem(const ContentItem&) = delete;
  ContentItem& operator=(const ContentItem&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& Url() const { return url_; }
  bool HasUrl() const { return has_url_; }
  // A null address is a failed check.
  void SetUrl(const char* new_url);
  int ContentType() const { return type_; }
  // Image indexes in the pane's image list: 0 and 1 for a top-level book,
  // 2 and 3 for a nested book, 4 for a page (closed and open alike).
  int Image() const;
  int ExpandedImage() const;

  ContentItem* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<ContentItem>>& Children() const { return children_; }
  ContentItem* AddChild(std::unique_ptr<ContentItem> child);

 private:
  std::string name_;
  std::string url_;
  bool has_url_ = false;
  int type_;
  ContentItem* parent_ = nullptr;
  std::vector<std::unique_ptr<ContentItem>> children_;
};

// The whole table: its top-level entries in file order.
class HelpContents {
 public:
  const std::vector<std::unique_ptr<ContentItem>>& Top() const { return top_; }
  ContentItem* AddTop(std::unique_ptr<ContentItem> item);
  void Clear() { top_.clear(); }
  bool Empty() const { return top_.empty(); }

 private:
  std::vector<std::unique_ptr<ContentItem>> top_;
};

struct HelpReadResult {
  // 0 when the whole text was read, else the number (from 1) of the line
  // that broke a rule.
  int error_line = 0;
  // An "M" line was read (its address is then help->Url).
  bool base_set = false;
};

// Reads a project file's text into `contents` (which keeps what it held
// before). Lines end at LF, CR or CR LF; a NUL byte ends a line as well.
// An "M" line builds the base address through `help` (may be null: the line
// is then only checked).
HelpReadResult HelpContent_Read(const char* data, size_t size, CfgHelp* help, HelpContents* contents);

// The text of the syntax-error box for a file name and line number.
std::string HelpContent_SyntaxMessage(const char* file_name, int line);
