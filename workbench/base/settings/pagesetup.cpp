// The page header renderer of the page setup record.
#include <cstdio>
#include <ctime>

#include "workbench/base/settings/config.h"
#include "workbench/base/sysassert.h"

namespace {

std::string Now(const char* format) {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  size_t n = std::strftime(buf, sizeof buf, format, &tm);
  return std::string(buf, n);
}

void Flush(CfgHeaderPainter* painter, const CfgRect& rect, std::string* pending, int alignment) {
  if (!pending->empty()) painter->DrawLine(rect, *pending, alignment);
  pending->clear();
}

}  // namespace

void CfgPageSetup::RenderHeader(CfgHeaderPainter* painter, const CfgRect& rect, const std::string& text,
                                CfgPageState* state) {
  SYS_ASSERT(painter);
  SYS_ASSERT(state);
  std::string pending;
  size_t pos = 0;
  for (;;) {
    size_t amp = text.find('&', pos);
    if (amp == std::string::npos || amp + 1 >= text.size()) break;
    pending.append(text, pos, amp - pos);
    const char code = text[amp + 1];
    pos = amp + 2;
    char num[16];
    switch (code) {
      case 'F': pending += state->file_name; break;
      case 'P':
        std::snprintf(num, sizeof num, "%u", state->page);
        pending += num;
        break;
      case 'A':
        std::snprintf(num, sizeof num, "%u", state->pages);
        pending += num;
        break;
      case 'D': pending += state->date.empty() ? Now("%x") : state->date; break;
      case 'T': pending += state->time.empty() ? Now("%H:%M") : state->time; break;
      case 'L':
      case 'C':
      case 'R':
        Flush(painter, rect, &pending, state->alignment);
        state->alignment = code == 'L' ? 1 : code == 'R' ? 2 : 0;
        break;
      default:
        pending.push_back('&');
        pending.push_back(code);
        break;
    }
  }
  pending.append(text, pos, std::string::npos);
  Flush(painter, rect, &pending, state->alignment);
}
