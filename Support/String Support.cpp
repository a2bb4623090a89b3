#include "Support/String Support.h"

#include <cmath>
#include <functional>

#include "Support/File Support.h"
#include "Support/Simple Input.h"
#include "platform/platform.h"
#include "platform/runtime.h"

static constexpr char MODULE_NAME[] = "Support/String Support";

// The four rules every procedure here is built on. Positions are 1-based; counts and
// positions are taken as 64-bit so that sums of them cannot wrap.

// First occurrence of n in t, or 0 (also when either is empty or n is longer).
static int64_t FirstOf(std::string_view n, std::string_view t) {
  if (n.empty() || t.empty()) return 0;
  const size_t at = t.find(n);
  return at == std::string_view::npos ? 0 : static_cast<int64_t>(at) + 1;
}

// Last occurrence of n in t, or 0 under the same conditions.
static int64_t LastOf(std::string_view n, std::string_view t) {
  if (n.empty() || t.empty()) return 0;
  const size_t at = t.rfind(n);
  return at == std::string_view::npos ? 0 : static_cast<int64_t>(at) + 1;
}

// Middle part of t from position s with count c: a negative c means to the end.
static std::string_view Mid(std::string_view t, int64_t s, int64_t c) {
  const auto length = static_cast<int64_t>(t.size());
  if (t.empty() || s < 1 || s > length || c == 0) return {};
  const int64_t rest = length - s + 1;
  return t.substr(static_cast<size_t>(s - 1), static_cast<size_t>(c < 0 || c > rest ? rest : c));
}

// Left part of t with count k.
static std::string_view Left(std::string_view t, int64_t k) {
  if (k <= 0) return {};
  return t.substr(0, static_cast<size_t>(k));
}

static int64_t Len(std::string_view t) {
  return static_cast<int64_t>(t.size());
}

// Whether `part` lies inside the storage of `whole` (it would move when `whole` is rewritten).
static bool LiesIn(std::string_view part, const std::string& whole) {
  const std::less<const char*> before;
  return !part.empty() && !before(part.data(), whole.data()) &&
         before(part.data(), whole.data() + whole.size());
}

// ---------------------------------------------------------------------------------------------
// Search and cutting

int32_t STRPOS(std::string_view NEEDLE, std::string_view HAYSTACK) {
  return static_cast<int32_t>(FirstOf(NEEDLE, HAYSTACK));
}

int32_t STRRPOS(std::string_view NEEDLE, std::string_view HAYSTACK) {
  const int64_t last = LastOf(NEEDLE, HAYSTACK);
  return static_cast<int32_t>(last == 0 ? Len(HAYSTACK) + 1 : last);
}

std::string PREFIX(std::string_view NEEDLE, std::string_view HAYSTACK) {
  return std::string(Mid(HAYSTACK, 1, FirstOf(NEEDLE, HAYSTACK) - 1));
}

std::string SUFFIX(std::string_view NEEDLE, std::string_view HAYSTACK) {
  const int64_t at = FirstOf(NEEDLE, HAYSTACK);
  if (at == 0) return {};
  return std::string(Mid(HAYSTACK, at + Len(NEEDLE), -1));
}

std::string EXT_PREFIX(std::string_view NEEDLE, std::string_view HAYSTACK) {
  return std::string(Left(HAYSTACK, STRRPOS(NEEDLE, HAYSTACK) - int64_t{1}));
}

std::string EXT_SUFFIX(std::string_view NEEDLE, std::string_view HAYSTACK) {
  return std::string(Mid(HAYSTACK, STRRPOS(NEEDLE, HAYSTACK) + Len(NEEDLE), -1));
}

std::string AXISLABEL_S(std::string_view BUFFER, std::string_view OPEN_S,
                        std::string_view CLOSE_S) {
  const int64_t open = FirstOf(OPEN_S, BUFFER), close = FirstOf(CLOSE_S, BUFFER);
  if ((open > 0 && close == 0) || close > open) return std::string(Left(BUFFER, open - 1));
  return std::string(BUFFER);
}

std::string AXISPARAM_S(std::string_view BUFFER, std::string_view OPEN_S,
                        std::string_view CLOSE_S) {
  const int64_t open = FirstOf(OPEN_S, BUFFER), close = FirstOf(CLOSE_S, BUFFER);
  if (open > 0 && close > open)
    return std::string(Mid(BUFFER, open + Len(OPEN_S), close - open - Len(OPEN_S)));
  return {};
}

// ---------------------------------------------------------------------------------------------
// Rewriting

std::string& STR_REPLACE(std::string_view NEEDLE, std::string_view REPLACEMENT,
                         std::string& HAYSTACK) {
  if (NEEDLE.empty()) return HAYSTACK;
  // The parameters may be parts of HAYSTACK; they keep the text they had on entry.
  std::string needle_copy, replacement_copy;
  if (LiesIn(NEEDLE, HAYSTACK)) NEEDLE = needle_copy.assign(NEEDLE);
  if (LiesIn(REPLACEMENT, HAYSTACK)) REPLACEMENT = replacement_copy.assign(REPLACEMENT);

  if (REPLACEMENT.find(NEEDLE) != std::string_view::npos) {
    std::string out;
    size_t from = 0;
    for (size_t at; (at = HAYSTACK.find(NEEDLE, from)) != std::string::npos;
         from = at + NEEDLE.size()) {
      out.append(HAYSTACK, from, at - from).append(REPLACEMENT);
    }
    if (from == 0) return HAYSTACK;
    out.append(HAYSTACK, from, std::string::npos);
    HAYSTACK = std::move(out);
    return HAYSTACK;
  }
  // Searching again from the first byte finds the same match as searching from the first
  // position where the replacement can have made one: no match ends before the last one began.
  size_t at = HAYSTACK.find(NEEDLE);
  while (at != std::string::npos) {
    HAYSTACK.replace(at, NEEDLE.size(), REPLACEMENT);
    at = HAYSTACK.find(NEEDLE, at + 1 > NEEDLE.size() ? at + 1 - NEEDLE.size() : 0);
  }
  return HAYSTACK;
}

std::string& PACKTEXT(std::string& BUFFER, std::string_view NEWLINE) {
  std::string line_copy;
  if (LiesIn(NEWLINE, BUFFER)) NEWLINE = line_copy.assign(NEWLINE);
  if (!BUFFER.empty()) BUFFER += "\r\n";
  BUFFER += NEWLINE;
  return BUFFER;
}

std::string& PACKTEXTREVERSE(std::string& BUFFER, std::string_view NEWLINE) {
  std::string line_copy;
  if (LiesIn(NEWLINE, BUFFER)) NEWLINE = line_copy.assign(NEWLINE);
  if (!BUFFER.empty()) BUFFER.insert(0, "\r\n");
  BUFFER.insert(0, NEWLINE);
  return BUFFER;
}

// ---------------------------------------------------------------------------------------------
// Counting and capitalising

int32_t NEEDLECOUNT(std::string_view NEEDLE, std::string& HAYSTACK) {
  int32_t count = 0;
  if (!NEEDLE.empty()) {
    std::string_view rest = HAYSTACK;
    for (size_t at; (at = rest.find(NEEDLE)) != std::string_view::npos;) {
      rest.remove_prefix(at + NEEDLE.size());
      if (rest.empty()) break;
      ++count;
    }
  }
  HAYSTACK.clear();
  return count;
}

static char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
static char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string UCWORDS(std::string& SUBJECT) {
  std::string value;
  std::string_view rest = SUBJECT;
  while (!rest.empty()) {
    if (!value.empty()) value += ' ';
    const size_t blank = rest.find(' ');
    const std::string_view word = rest.substr(0, blank);
    if (!word.empty()) {
      value += Upper(word[0]);
      for (char c : word.substr(1)) value += Lower(c);
    }
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
  }
  SUBJECT.clear();
  return value;
}

// ---------------------------------------------------------------------------------------------
// Whole-file read, line print, spinner and prompt

std::string LOAD_BUFFER(const std::string& FULLFILENAME) {
  RT_PROCEDURE;
  std::string BUFFER;
  if (!IS_FILE(FULLFILENAME)) {
    platform::Color(0xFFFFFFFFu);
    platform::Print("Is not a file: \"" + FULLFILENAME + "\"");
    return BUFFER;
  }
  ReadFileBytes(FULLFILENAME, BUFFER, RT_HERE);
  return BUFFER;
}

void DUMP_BUFFER(std::string_view BUFFER) {
  std::string_view TEMPSUFFIX = BUFFER;
  while (!TEMPSUFFIX.empty()) {
    const size_t end = TEMPSUFFIX.find("\r\n");
    platform::Print(TEMPSUFFIX.substr(0, end));
    TEMPSUFFIX = end == std::string_view::npos ? std::string_view() : TEMPSUFFIX.substr(end + 2);
  }
}

std::string ANICURSOR() {
  static constexpr char kFrames[] = "\\|/-";
  // The quarter-second count modulo 4, taken on the double so that no clock value overflows;
  // a negative clock still selects a frame.
  int32_t F = rt::TruncInt(std::fmod(std::trunc(platform::Timer() * 4.0), 4.0));
  if (F < 0) F += 4;
  return std::string(1, kFrames[F]);
}

// Moves the text cursor one cell back, to the end of the row above from column 1.
static void StepBack() {
  if (platform::CursorColumn() > 1) {
    platform::Locate(platform::CursorRow(), platform::CursorColumn() - 1);
  } else if (platform::CursorRow() > 1) {
    platform::Locate(platform::CursorRow() - 1, platform::ScreenWidth() / 8);
  }
}

// Shows the spinner on the cursor until a key arrives; quits on Escape or the close key. The
// work page goes to the window whenever the spinner turns, so what was typed shows too.
static std::string AwaitKeyWithSpinner() {
  std::string CI, SHOWN;
  while (CI.empty()) {
    const std::string FRAME = ANICURSOR();
    platform::Print(FRAME, false);
    StepBack();
    if (FRAME != SHOWN) platform::ShowWorkPage();
    SHOWN = FRAME;
    CI = platform::Inkey();
    platform::Sleep(1);
    QUITONESCAPE(CI);
  }
  return CI;
}

std::string PROMPT(std::string_view LABEL) {
  std::string VALUE;
  platform::Print(LABEL, false);
  for (;;) {
    const std::string CI = AwaitKeyWithSpinner();
    if (CI == platform::kBackspace) {
      if (VALUE.empty()) continue;
      VALUE.pop_back();
      StepBack();
      platform::Print(" ", false);
      StepBack();
    } else if (CI == platform::kEnter) {
      platform::Print(" ");
      return VALUE;
    } else if (static_cast<unsigned char>(CI.front()) >= static_cast<unsigned char>(' ')) {
      VALUE += CI;
      platform::Print(CI, false);
    }
  }
}
