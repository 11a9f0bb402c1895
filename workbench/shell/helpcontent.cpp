#include "workbench/shell/helpcontent.h"

#include <cstdint>
#include <string_view>

#include "workbench/base/settings/config.h"
#include "workbench/base/sysassert.h"

namespace {

// Images of the three content types: closed, then open.
constexpr int kImages[3][2] = {{0, 1}, {2, 3}, {4, 4}};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Cuts the next blank-separated token off the front of `line`.
std::string_view next_token(std::string_view& line) {
  size_t at = 0;
  while (at < line.size() && is_blank(line[at])) ++at;
  size_t end = at;
  while (end < line.size() && !is_blank(line[end])) ++end;
  std::string_view token = line.substr(at, end - at);
  line.remove_prefix(end);
  return token;
}

// The rest of the line after its leading blanks.
std::string_view rest_of(std::string_view line) {
  size_t at = 0;
  while (at < line.size() && is_blank(line[at])) ++at;
  return line.substr(at);
}

// A level: decimal digits only, 1 to INT32_MAX; 0 for anything else.
int32_t parse_level(std::string_view token) {
  if (token.empty()) return 0;
  int64_t value = 0;
  for (char c : token) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) return 0;
  }
  return static_cast<int32_t>(value);
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

ContentItem::ContentItem(const char* name, const char* url, int type) : type_(type) {
  SYS_ASSERT(name);  // "new_name"
  if (type < TopBook || type > Page)
    Sys_AssertFailed("!\"ContentItem::ContentItem() invalid ContentType\"", __FILE__, __LINE__);
  name_ = name;
  if (url != nullptr) SetUrl(url);
}

void ContentItem::SetUrl(const char* new_url) {
  SYS_ASSERT(new_url);
  url_ = new_url;
  has_url_ = true;
}

int ContentItem::Image() const { return kImages[type_][0]; }
int ContentItem::ExpandedImage() const { return kImages[type_][1]; }

ContentItem* ContentItem::AddChild(std::unique_ptr<ContentItem> child) {
  child->parent_ = this;
  children_.push_back(std::move(child));
  return children_.back().get();
}

ContentItem* HelpContents::AddTop(std::unique_ptr<ContentItem> item) {
  top_.push_back(std::move(item));
  return top_.back().get();
}

HelpReadResult HelpContent_Read(const char* data, size_t size, CfgHelp* help, HelpContents* contents) {
  HelpReadResult result;
  // The last entry of each level on the road to the entry read last.
  std::vector<ContentItem*> open;
  ContentItem* last = nullptr;
  size_t at = 0;
  int number = 0;
  while (at < size) {
    size_t end = at;
    while (end < size && data[end] != '\n' && data[end] != '\r' && data[end] != '\0') ++end;
    std::string_view line(data + at, end - at);
    at = end;
    if (at < size) {
      if (data[at] == '\r' && at + 1 < size && data[at + 1] == '\n') ++at;
      ++at;
    }
    ++number;

    std::string_view rest = line;
    std::string_view first = next_token(rest);
    if (first.empty() || first[0] == '#' || first[0] == ';') continue;
    bool ok = first.size() == 1;
    char kind = ok ? upper(first[0]) : '\0';
    if (kind == 'M') {
      if (help != nullptr) help->BuildUrl(std::string(rest_of(rest)).c_str());
      result.base_set = true;
    } else if (kind == 'U') {
      ok = last != nullptr;
      if (ok) last->SetUrl(std::string(rest_of(rest)).c_str());
    } else if (kind == 'T' || kind == 'D') {
      int32_t level = parse_level(next_token(rest));
      std::string title(rest_of(rest));
      // A level may be at most one deeper than the entry before it.
      ok = level >= 1 && !title.empty() && static_cast<size_t>(level) <= open.size() + 1;
      if (ok) {
        int type = kind == 'D' ? ContentItem::Page : level == 1 ? ContentItem::TopBook : ContentItem::Book;
        auto item = std::make_unique<ContentItem>(title.c_str(), nullptr, type);
        size_t depth = static_cast<size_t>(level);
        last = depth == 1 ? contents->AddTop(std::move(item)) : open[depth - 2]->AddChild(std::move(item));
        open.resize(depth - 1);
        open.push_back(last);
      }
    } else {
      ok = false;
    }
    if (!ok) {
      result.error_line = number;
      return result;
    }
  }
  return result;
}

std::string HelpContent_SyntaxMessage(const char* file_name, int line) {
  std::string text = "Syntax error in on-line help project file:\nFile ";
  text += file_name ? file_name : "";
  text += ", Line " + std::to_string(line);
  return text;
}
