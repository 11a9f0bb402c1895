// Feeds arbitrary bytes to the VUZ dialog reader as a main file whose imports
// open the same bytes again; a load that succeeds is written back.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "dialogs/plugins/classmodel/classmodel.h"
#include "dialogs/plugins/classmodel/tests/pluginhost.h"
#include "dialogs/plugins/plugpane/plugpane.h"

namespace {

PluginFileType g_type = {"VUZ Dialog File", ".idm",       PLUGIN_FT_SOURCE, pane_load,
                         pane_begin_obj,    pane_end_obj, pane_write_attr,  pane_write_line};

PluginDesc& desc() {
  static PluginDesc d = [] {
    PluginDesc x{};
    x.FileTypes = &g_type;
    x.NumFileTypes = 1;
    return x;
  }();
  return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testhost::Host* host = [] {
    auto* h = new testhost::Host(&desc());
    std::ifstream in(PLUGPANE_CFG, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (var_init_text(&desc(), text.str(), PLUGPANE_CFG) != 0) __builtin_trap();
    return h;
  }();
  std::string bytes(reinterpret_cast<const char*>(data), size);
  host->files.clear();
  host->files["in.idm"] = bytes;
  host->files["x.if"] = bytes;
  host->files["x.mod"] = bytes;
  if (host->load("in.idm") == 0) (void)host->save();
  return 0;
}
