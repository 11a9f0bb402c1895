// On-line help of the environment: the help topic table of help ids, the
// topic of a language keyword, and the one road to the help viewer (a
// replaceable sink) with its suppression flag and its one-second guard
// against the same topic twice.
#pragma once

#include <cstdint>
#include <string>

// The topic of a help id ("TOPIC_NOT_FOUND" for an id not in the table).
const char* Help_TopicForId(unsigned long help_id);
// The help requests of the framework (`WinHelp` commands).
enum HelpCommand : unsigned {
  HELP_CONTEXT = 1,   // the topic of a help id
  HELP_CONTENTS = 3,  // the contents
};
// The help id of a window: the help base of resources plus the resource of
// its kind, the main frame's (IDR_MAINFRAME) for kind 0.
unsigned long Help_IdForWindow(int resource);
// The topic of a keyword: "Key__", the text with blanks turned into "_" and
// "#" dropped, in upper case; "Key__NULL" for a null text.
std::string Help_KeywordTopic(const char* text);

// Where help requests go. The desktop sink opens the base address with the
// topic in the user's browser; tests record.
class HelpSink {
 public:
  virtual ~HelpSink() = default;
  virtual void show(const std::string& base, const std::string& topic) = 0;
  // Idle time: viewers that have ended are reaped, and a failed one is
  // reported.
  virtual void reap() {}
};
// The sink in force (null restores the desktop one); returns the previous.
HelpSink* Help_SetSink(HelpSink* sink);
HelpSink& Help_Sink();

class AppHelp {
 public:
  // Shows a topic unless the base is empty, help is suppressed, or the same
  // topic finished less than 1000 ms before `now_ms`. True when shown.
  bool CallHelp(const std::string& base, const std::string& topic, int64_t now_ms);
  // Explicit requests: clear the suppression flag, call, set it again.
  bool ShowHelp(const std::string& base, const std::string& topic, int64_t now_ms);
  bool ShowKeywordHelp(const std::string& base, const char* text, int64_t now_ms);
  // The framework's requests: commands 1 (context) and 8 (context pop-up)
  // look the id up; every other command shows "CONTENTS".
  bool WinHelp(const std::string& base, unsigned long data, unsigned command, int64_t now_ms);
  // Idle time clears the suppression flag and reaps ended viewers.
  void OnIdle() {
    suppressed_ = false;
    Help_Sink().reap();
  }
  bool Suppressed() const { return suppressed_; }

 private:
  bool suppressed_ = false;
  std::string last_topic_;
  int64_t last_tick_ = -1000000;
};
