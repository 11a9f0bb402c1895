#include "dialogs/formmorph/drvargs.h"

std::vector<std::string> drv_split_arguments(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0, n = text.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (i < n) {
    while (i < n && blank(text[i])) ++i;
    if (i >= n) break;
    std::string word;
    bool quoted = false, literal = false;
    while (i < n && (quoted || literal || !blank(text[i]))) {
      char c = text[i];
      if (c == '\\' && i + 1 < n) {
        word += text[i + 1];
        i += 2;
        continue;
      }
      if (c == '\'') {
        literal = !literal;
      } else if (c == '"' && !literal) {
        quoted = !quoted;
      } else {
        word += c;
      }
      ++i;
    }
    words.push_back(word);
  }
  return words;
}
