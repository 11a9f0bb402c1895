#include "workbench/shell/apphelp.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "workbench/base/diag.h"
#include "workbench/base/shellsink.h"
#include "workbench/framework/fwcommandids.h"

extern char** environ;

namespace {

struct HelpTopic {
  unsigned long id;
  const char* topic;
};

// Searched in order, the first match wins (131276 appears twice).
const HelpTopic kHelpTopics[] = {
    {131240, "HIDR_MAINFRAME"},     {131241, "HIDR_EDITTYPE"},         {131284, "HIDR_DLGEDITTYPE"},
    {131245, "HIDR_EXPLORETYPE"},   {131273, "HIDR_OUTPUTTYPE"},       {131275, "HIDR_VARIABLETYPE"},
    {131277, "HIDR_CALLSTACKTYPE"}, {131276, "HIDR_DLGPROPTYPE"},      {131325, "HIDR_DLGPROPTYPE"},
    {131286, "HIDR_DLGPALETTYPE"},  {131172, "HIDD_ABOUTBOX"},         {131315, "HIDD_PRINT_PAGE_SETUP"},
    {131270, "HIDD_FIND"},          {131260, "HIDD_REPLACE"},          {131178, "HIDD_PROP_GENERAL"},
    {131180, "HIDD_PROP_SERVER"},   {131269, "HIDD_PROP_DEBUG"},       {131272, "HIDD_PROP_EDIT"},
    {131276, "HIDD_PROP_COLORS"},   {131278, "HIDD_PROP_FILE"},        {131326, "HIDD_PROP_FILE"},
    {131283, "HIDD_PROP_HELP"},     {131308, "HIDD_PROP_PROGRAM"},     {131316, "HIDD_PROP_PASSWD"},
    {131321, "HIDD_PROP_ENV"},      {131323, "HIDD_PROP_PLUGIN"},      {131247, "HIDD_SERVER_SETUP"},
    {131287, "HIDD_DEBUG_SETUP"},   {131317, "HIDD_PASSWD_SETUP"},     {131322, "HIDD_ENV_SETUP"},
    {131324, "HIDD_PLUGIN_INFO"},   {131306, "HIDD_BREAKPOINTS"},      {131307, "HIDD_LINEDRAW"},
    {131318, "HIDD_PASSWD_ENTER"},  {131319, "HIDD_PASSWD_ADDTOLIST"}, {131320, "HIDD_PASSWD_CHANGE"},
};

// The desktop viewer: the base address with "#" and the topic, opened by
// the desktop's URL handler (VARNICA_HELP_VIEWER names another program).
// A viewer that cannot be started is reported at once; one that ends with a
// failure is reported, and every one is reaped, at the next idle time.
class DesktopHelp : public HelpSink {
 public:
  void show(const std::string& base, const std::string& topic) override {
    std::string url = base + "#" + topic;
    const char* env = std::getenv("VARNICA_HELP_VIEWER");
    std::string viewer = env != nullptr && *env != '\0' ? env : "xdg-open";
    pid_t pid = 0;
    char* argv[] = {viewer.data(), url.data(), nullptr};
    const int err = posix_spawnp(&pid, viewer.c_str(), nullptr, nullptr, argv, environ);
    if (err != 0) {
      Report(viewer, url, std::strerror(err));
      return;
    }
    children_.push_back({pid, viewer, url});
  }

  void reap() override {
    for (size_t i = 0; i < children_.size();) {
      int status = 0;
      const pid_t done = waitpid(children_[i].pid, &status, WNOHANG);
      if (done == 0) {
        ++i;
        continue;
      }
      const Child child = children_[i];
      children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(i));
      if (done < 0) continue;
      if (WIFEXITED(status) && WEXITSTATUS(status) == 0) continue;
      char why[64];
      if (WIFEXITED(status))
        std::snprintf(why, sizeof why, "it ended with exit code %d", WEXITSTATUS(status));
      else
        std::snprintf(why, sizeof why, "it ended with signal %d", WIFSIGNALED(status) ? WTERMSIG(status) : 0);
      Report(child.viewer, child.url, why);
    }
  }

 private:
  struct Child {
    pid_t pid;
    std::string viewer, url;
  };

  static void Report(const std::string& viewer, const std::string& url, const char* why) {
    const std::string text = "The help viewer \"" + viewer + "\" could not show\n" + url + "\n(" + why + ").";
    Shell_Sink().message_box(Shell_OwnerWindow(), "Help", text.c_str(), SHELL_MB_OK | SHELL_MB_ICONEXCLAMATION);
  }

  std::vector<Child> children_;
};

DesktopHelp g_desktop;
HelpSink* g_help = &g_desktop;

}  // namespace

const char* Help_TopicForId(unsigned long help_id) {
  for (const auto& t : kHelpTopics)
    if (t.id == help_id) return t.topic;
  return "TOPIC_NOT_FOUND";
}

unsigned long Help_IdForWindow(int resource) {
  // The framework numbers the help of resource n as this base plus n.
  constexpr unsigned long kResourceHelpBase = 0x20000;
  return kResourceHelpBase + static_cast<unsigned long>(resource > 0 ? resource : IDR_MAINFRAME);
}

std::string Help_KeywordTopic(const char* text) {
  std::string topic = "Key__";
  if (text == nullptr) return topic + "NULL";
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '#') continue;
    topic += *p == ' ' ? '_' : static_cast<char>(toupper(static_cast<unsigned char>(*p)));
  }
  return topic;
}

HelpSink* Help_SetSink(HelpSink* sink) {
  HelpSink* previous = g_help;
  g_help = sink ? sink : &g_desktop;
  return previous == &g_desktop ? nullptr : previous;
}

HelpSink& Help_Sink() { return *g_help; }

bool AppHelp::CallHelp(const std::string& base, const std::string& topic, int64_t now_ms) {
  if (base.empty() || suppressed_) return false;
  if (topic == last_topic_ && now_ms >= last_tick_ && now_ms - last_tick_ < 1000) return false;
  last_topic_ = topic;
  Diag_Trace('H', 3, "CYqApp::CallHelp(strTopic=\"%s\")", topic.c_str());
  Help_Sink().show(base, topic);
  last_tick_ = now_ms;
  return true;
}

bool AppHelp::ShowHelp(const std::string& base, const std::string& topic, int64_t now_ms) {
  suppressed_ = false;
  bool shown = CallHelp(base, topic, now_ms);
  suppressed_ = true;
  return shown;
}

bool AppHelp::ShowKeywordHelp(const std::string& base, const char* text, int64_t now_ms) {
  return ShowHelp(base, Help_KeywordTopic(text), now_ms);
}

bool AppHelp::WinHelp(const std::string& base, unsigned long data, unsigned command, int64_t now_ms) {
  const char* topic = command == 1 || command == 8 ? Help_TopicForId(data) : "CONTENTS";
  return CallHelp(base, topic, now_ms);
}
