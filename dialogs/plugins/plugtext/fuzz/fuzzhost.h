// The host of the plug-in's fuzzing targets: the in-test host with the
// plug-in's class model, the character sets, and one template file.
#ifndef VARNICA_PLUGTEXT_FUZZHOST_H
#define VARNICA_PLUGTEXT_FUZZHOST_H

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "dialogs/plugins/classmodel/classmodel.h"
#include "dialogs/plugins/classmodel/tests/pluginhost.h"
#include "dialogs/plugins/plugtext/plugtext.h"
#include "language/charset.h"

namespace fuzzhost {

inline int convert(int from, int to, char* buffer, int length) {
  return length < 0 ? -1 : yq__charset_map(from, to, buffer, static_cast<size_t>(length));
}

inline testhost::Host& host() {
  static testhost::Host* h = [] {
    PluginDesc* desc = GetPlugin();
    auto* x = new testhost::Host(desc);
    x->pending_blanks = true;
    desc->Host.ConvertCharset = &convert;
    x->profile_text["TemplateFiles\\Total"] = "1";
    x->profile_text["TemplateFiles\\1"] = "t.tdlg";
    std::ifstream in(PLUGTEXT_CFG, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (var_init_text(desc, text.str(), PLUGTEXT_CFG) != 0) std::abort();
    return x;
  }();
  return *h;
}

}  // namespace fuzzhost

#endif
