// The configuration file of a plug-in: reading, canonical writing and the
// definition syntax of attributes.
#include <cstdlib>
#include <cstring>
#include <set>
#include <strings.h>

#include "dialogs/plugins/classmodel/classmodel.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && is_blank(s[b])) ++b;
  while (e > b && is_blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool same(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// Texts of parsed definitions: they live until var_exit.
std::set<std::string>& pool() {
  static std::set<std::string> texts;
  return texts;
}

const char* keep(const std::string& s) { return pool().insert(s).first->c_str(); }

// Reads decimal digits with an optional "-" as a whole text; false when the
// text is empty, holds anything else or does not fit 32 bits.
bool read_int(const std::string& s, int32_t& out) {
  size_t i = (!s.empty() && s[0] == '-') ? 1 : 0;
  if (i >= s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (s[0] == '-') v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  out = static_cast<int32_t>(v);
  return true;
}

const char* const kTypes[] = {"any", "path", "ident", "string", "int"};

}  // namespace

void var_pool_clear() { pool().clear(); }

const VarSection* VarConfig::find(const std::string& name) const {
  for (const VarSection& s : sections)
    if (strcasecmp(s.name.c_str(), name.c_str()) == 0) return &s;
  return nullptr;
}

int var_cfg_parse(const std::string& text, const std::string& path, VarConfig& out, std::string& error) {
  out.path = path;
  out.sections.clear();
  VarSection* current = nullptr;
  size_t pos = 0;
  int line = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++line;
    size_t eq = raw.find('=');
    std::string key = trim(eq == std::string::npos ? raw : raw.substr(0, eq));
    if (key.empty() || key[0] == '#') continue;
    bool bad = false;
    if (eq != std::string::npos) {
      if (current == nullptr)
        bad = true;
      else
        current->entries.push_back({key, trim(raw.substr(eq + 1))});
    } else if (key.size() >= 2 && key.front() == '[' && key.back() == ']') {
      std::string name = key.substr(1, key.size() - 2);
      current = nullptr;
      for (VarSection& s : out.sections)
        if (strcasecmp(s.name.c_str(), name.c_str()) == 0) current = &s;
      if (current == nullptr) {
        out.sections.push_back({name, {}});
        current = &out.sections.back();
      }
    } else {
      bad = true;
    }
    if (bad) {
      error = "Syntax error in configuration file:\n" + path + ", line " + std::to_string(line);
      return -1;
    }
  }
  return 0;
}

std::string var_cfg_path(const std::string& module) {
  size_t slash = module.rfind('/');
  size_t dot = module.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return module + ".cfg";
  return module.substr(0, dot) + ".cfg";
}

int var_parse_attr_def(prop_def* out, const char* key_text, const char* value_text) {
  std::string key = key_text != nullptr ? key_text : "";
  std::string v = value_text != nullptr ? value_text : "";
  prop_def d{};
  d.index = -1;
  size_t p = 0;
  std::string name = key;
  if (!v.empty() && v[0] == '(') {
    size_t close = v.find(')');
    if (close == std::string::npos) return -1;
    name = v.substr(1, close - 1);
    d.flags |= PROP_F_ALIAS;
    p = close + 1;
  }
  if (name.empty() || name.size() > 31) return -1;
  size_t colon = v.find(':', p);
  if (colon == std::string::npos) return -1;
  std::string type = v.substr(p, colon - p);
  if (!type.empty() && type.back() == ']') {
    size_t open = type.rfind('[');
    if (open == std::string::npos) return -1;
    std::string digits = type.substr(open + 1, type.size() - open - 2);
    if (digits.empty()) return -1;
    for (char c : digits)
      if (c < '0' || c > '9') return -1;
    int32_t count = 0;
    if (!read_int(digits, count)) return -1;
    d.count = count;
    d.flags |= PROP_F_ARRAY;
    type.resize(open);
  }
  bool known = false;
  for (int t = 0; t < 5; ++t)
    if (type.size() == strlen(kTypes[t]) && strcasecmp(type.c_str(), kTypes[t]) == 0) {
      d.type = t;
      known = true;
    }
  if (!known) return -1;
  p = colon + 1;
  if (p < v.size() && v[p] == '+') {
    d.flags |= PROP_F_PLUS;
    ++p;
  }
  if (p < v.size() && v[p] == '*') {
    d.flags |= PROP_F_STAR_GROUP;
    ++p;
  }
  colon = v.find(':', p);
  if (colon == std::string::npos || !read_int(v.substr(p, colon - p), d.group)) return -1;
  p = colon + 1;
  if (p < v.size() && v[p] == '*') {
    d.flags |= PROP_F_STAR_KIND;
    ++p;
  }
  colon = v.find(':', p);
  if (colon == std::string::npos) return -1;
  std::string kind = v.substr(p, colon - p);
  if (kind == "attr") {
    d.kind = PROP_KIND_ATTR;
  } else if (kind.compare(0, 5, "attr@") == 0) {
    std::string gui = kind.substr(5);
    if (gui.empty() || gui.size() > 31) return -1;
    d.kind = PROP_KIND_ATTR;
    d.gui = keep(gui);
  } else if (kind.compare(0, 7, "native$") == 0) {
    std::string n = kind.substr(7);
    for (char c : n)
      if (c < '0' || c > '9') return -1;
    if (!read_int(n, d.native) || d.native < 1) return -1;
    d.kind = PROP_KIND_NATIVE;
  } else {
    return -1;
  }
  p = colon + 1;
  colon = v.find(':', p);
  std::string category = v.substr(p, colon == std::string::npos ? std::string::npos : colon - p);
  if (category.size() > 31) return -1;
  if (colon != std::string::npos) d.defval = keep(v.substr(colon + 1));
  d.name = keep(name);
  d.category = keep(category);
  *out = d;
  return 0;
}

std::string var_format_attr_def(const prop_def& d) {
  std::string s;
  if ((d.flags & PROP_F_ALIAS) != 0) s += std::string("(") + d.name + ")";
  s += kTypes[d.type >= 0 && d.type < 5 ? d.type : 0];
  if ((d.flags & PROP_F_ARRAY) != 0) s += "[" + std::to_string(d.count) + "]";
  s += ":";
  if ((d.flags & PROP_F_PLUS) != 0) s += "+";
  if ((d.flags & PROP_F_STAR_GROUP) != 0) s += "*";
  s += std::to_string(d.group) + ":";
  if ((d.flags & PROP_F_STAR_KIND) != 0) s += "*";
  if (d.kind == PROP_KIND_NATIVE)
    s += "native$" + std::to_string(d.native);
  else if (d.gui != nullptr)
    s += std::string("attr@") + d.gui;
  else
    s += "attr";
  s += ":";
  s += d.category != nullptr ? d.category : "";
  if (d.defval != nullptr) s += std::string(":") + d.defval;
  return s;
}

std::string var_cfg_write(const VarConfig& cfg) {
  std::set<std::string> attr_sections = {"attributes"};
  if (const VarSection* classes = cfg.find("classes"))
    for (const VarEntry& e : classes->entries) {
      size_t colon = e.value.find(':');
      if (colon != std::string::npos) {
        std::string n = e.value.substr(colon + 1);
        for (char& c : n) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        attr_sections.insert(n);
      }
    }
  std::string out;
  bool first = true;
  for (const VarSection& s : cfg.sections) {
    if (!first) out += "\n";
    first = false;
    out += "[" + s.name + "]\n";
    std::string lower = s.name;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    bool defs = attr_sections.count(lower) != 0 || same(s.name, "RootAttributes");
    for (const VarEntry& e : s.entries) {
      prop_def d{};
      if (defs && var_parse_attr_def(&d, e.key.c_str(), e.value.c_str()) == 0)
        out += e.key + "=" + var_format_attr_def(d) + "\n";
      else
        out += e.key + "=" + e.value + "\n";
    }
  }
  return out;
}
