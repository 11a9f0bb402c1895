// Feeds arbitrary bytes to the dialog language reader as a main file whose
// includes open the same bytes again.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "dialogs/language/dlgread.h"

namespace {

const DlgMessages kMessages = {
    "Not inside object",
    "Extra '}'",
    "Object name expected: unexpected token 0x%02x",
    "Missing '}', level = %d",
    "Identifier expected: unexpected token 0x%02x",
    "Nesting to deep, MAX_DEPTH is %d",
    "'{' Expected",
    "Attribute expected",
    "Attribute index expected",
    "']' Expected",
    "'=' Expected",
    "Attribute value expected",
    "define: attribute value expected",
    "include: File name expected",
    "Include: File nesting too deep",
    "Missing quote",
    "%s: Number does not fit 32 bits",
    "Line longer than %zu characters",
    "Out of memory",
};

class User : public DlgReaderUser {
 public:
  explicit User(const std::string& text) : text_(text) {}
  int object(const DlgObject&, std::string&) override { return 0; }
  int attribute(const DlgAttribute& a, std::string&) override { return a.object ? 0 : 1; }
  int define(const std::string& name, const DlgValue& value, std::string&) override {
    if (defines_.size() < 1000) defines_[name] = value;
    return 0;
  }
  int lookup(const std::string& name, DlgValue& value, std::string& message) override {
    auto it = defines_.find(name);
    if (it == defines_.end()) {
      message = "undefined";
      return DLG_ERR_SYNTAX;
    }
    value = it->second;
    return 0;
  }
  int include_open(const std::string& name, bool optional, const DlgSource&, DlgSource& source, std::string&) override {
    if (optional && name.empty()) return 1;
    source.name = name;
    source.text = text_;
    return 0;
  }

 private:
  std::string text_;
  std::map<std::string, DlgValue> defines_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  User user(text);
  DlgReadOptions options;
  options.messages = &kMessages;
  options.ide_lines = size % 2 ? DLG_IDE_AS_CONTENT : DLG_IDE_AS_COMMENT;
  options.max_line = 4096;
  options.keep_source = size % 4 >= 2;
  DlgReadResult result;
  dlg_read(user, options, DlgSource{"fuzz.dlg", text}, &result);
  return 0;
}
