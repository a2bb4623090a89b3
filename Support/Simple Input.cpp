#include "Support/Simple Input.h"

#include <string_view>

#include "Support/VGA Lookup.h"
#include "platform/platform.h"

// The palette table of the two-argument SIMPLESLEEP: empty at start-up, filled by its first
// lookup and kept for the rest of the run.
static rt::Array<std::string> SIMPLESLEEP_TABLE;

void QUITONESCAPE(const std::string& KEY) {
  if (KEY == platform::kEscape || KEY == platform::kClose) platform::End(0);
}

namespace {

// Prints the CR LF-terminated lines at the front of MSG and removes them from MSG. True when a
// line began with Escape: its rest was printed and nothing after it was taken.
bool PrintLeadingLines(std::string& MSG) {
  std::string_view rest = MSG;
  bool escaped = false;
  for (size_t OFFSET = rest.find("\r\n"); OFFSET != std::string_view::npos && !escaped;
       OFFSET = rest.find("\r\n")) {
    std::string_view MSGTEMP = rest.substr(0, OFFSET);
    rest.remove_prefix(OFFSET + 2);
    escaped = !MSGTEMP.empty() && MSGTEMP.front() == '\x1b';
    if (escaped) MSGTEMP.remove_prefix(1);
    platform::Print(MSGTEMP);
  }
  MSG.erase(0, MSG.size() - rest.size());
  return escaped;
}

// Polls the keyboard every millisecond until a key arrives.
std::string AwaitKey() {
  std::string CI = platform::Inkey();
  while (CI.empty()) {
    platform::Sleep(1);
    CI = platform::Inkey();
  }
  QUITONESCAPE(CI);
  return CI;
}

}  // namespace

std::string SIMPLESLEEP(rt::Array<std::string>& TABLE, std::string& MSG, uint64_t VGA) {
  const auto INDEX = static_cast<int32_t>(static_cast<uint32_t>(VGA));
  platform::Color(static_cast<uint32_t>(VGA_LOOKUP2(TABLE, INDEX, VGA_TABLE_FILE)));
  if (PrintLeadingLines(MSG)) return std::string();
  platform::Print(MSG, false);
  platform::Flip();
  return AwaitKey();
}

std::string SIMPLESLEEP(std::string& MSG, uint64_t VGA) {
  return SIMPLESLEEP(SIMPLESLEEP_TABLE, MSG, VGA);
}
