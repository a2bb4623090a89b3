// The text utilities: the input is cut at its first two bytes 0x1F into three texts A, B and C
// (missing ones are empty), and every utility runs on them and is compared with a plain
// reference built, step by step, on the four primitive rules of the string module (first and
// last occurrence, middle part, left part). A difference is a finding.
//
// The text box wraps A to the width and height given by the first two bytes of B (widths 0 to
// 81, heights 0 to 41: the program's own boxes are 40 x 30) and renders the result scrolled by
// the number in C, every pause answered. A width below 2 must stop the wrapping with runtime
// error 1, and a size below 1 the rendering with runtime error 7; otherwise the wrapped text
// must hold A's words in order (those longer than the width cut into hyphenated pieces), in
// lines no wider than the box, without empty lines or stray blanks, and the image must have the
// box's size.
//
// STR_REPLACE searches again from the start after each replacement, so its callers must give a
// rewriting that ends. The harness runs it only where that is certain: a replacement shorter
// than the needle (the text shrinks with each pass), a replacement that contains the needle
// (which the utility rewrites in one pass), or a replacement that can form no new needle with
// the text around it (no edge of it overlaps an edge of the needle).
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Support/Memory Management.h"
#include "Support/String Support.h"
#include "Support/Text Box.h"
#include "fuzz/harness.h"

namespace {

// ----- the primitive rules, 1-based, 0 for "not found" -----

int64_t First(std::string_view n, std::string_view t) {
  if (n.empty() || t.empty() || n.size() > t.size()) return 0;
  for (size_t i = 0; i + n.size() <= t.size(); ++i) {
    if (t.compare(i, n.size(), n) == 0) return static_cast<int64_t>(i) + 1;
  }
  return 0;
}

std::string Mid(std::string_view t, int64_t s, int64_t c) {
  const auto length = static_cast<int64_t>(t.size());
  if (t.empty() || s < 1 || s > length || c == 0) return {};
  if (c < 0 || s - 1 + c > length) c = length - s + 1;
  return std::string(t.substr(static_cast<size_t>(s - 1), static_cast<size_t>(c)));
}

std::string Left(std::string_view t, int64_t k) {
  if (k <= 0) return {};
  return std::string(t.substr(0, static_cast<size_t>(k)));
}

int64_t Len(std::string_view t) {
  return static_cast<int64_t>(t.size());
}

// ----- the utilities as their definitions read -----

std::string RefPrefix(std::string_view n, std::string_view h) {
  return Mid(h, 1, First(n, h) - 1);
}

std::string RefSuffix(std::string_view n, std::string_view h) {
  const int64_t at = First(n, h);
  return at == 0 ? std::string() : Mid(h, at + Len(n), -1);
}

std::string RefAxisLabel(std::string_view b, std::string_view open, std::string_view close) {
  const int64_t o1 = First(open, b), o2 = First(close, b);
  if (o1 > 0 && o2 == 0) return Left(b, o1 - 1);
  if (o2 > o1) return Left(b, o1 - 1);
  return std::string(b);
}

std::string RefAxisParam(std::string_view b, std::string_view open, std::string_view close) {
  const int64_t o1 = First(open, b), o2 = First(close, b);
  if (o1 > 0 && o2 == 0) return {};
  if (o1 > 0 && o2 > o1) return Mid(b, o1 + Len(open), o2 - o1 - Len(open));
  return {};
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string RefUcwords(std::string subject) {
  std::string value;
  while (!subject.empty()) {
    if (!value.empty()) value += ' ';
    const std::string word = RefPrefix(" ", subject);
    if (!word.empty()) {
      value += Upper(word[0]);
      for (char c : word.substr(1)) value += Lower(c);
    }
    subject = RefSuffix(" ", subject);
  }
  return value;
}

// Every pass cuts at the first needle and searches the whole new text again.
std::string RefReplace(std::string_view n, std::string_view r, std::string h) {
  while (First(n, h) != 0) h = RefPrefix(n, h) + std::string(r) + RefSuffix(n, h);
  return h;
}

// One left-to-right pass: the rewriting of a replacement that contains its needle.
std::string RefReplaceOnce(std::string_view n, std::string_view r, std::string_view h) {
  std::string out;
  for (int64_t at; (at = First(n, h)) != 0; h.remove_prefix(static_cast<size_t>(at - 1) + n.size()))
    out.append(h.substr(0, static_cast<size_t>(at - 1))).append(r);
  return out.append(h);
}

// Whether some edge of r, of 1 to n.size() - 1 bytes, equals the opposite edge of n.
bool EdgesOverlap(std::string_view n, std::string_view r) {
  for (size_t k = 1; k < n.size() && k <= r.size(); ++k) {
    if (r.substr(r.size() - k) == n.substr(0, k) || r.substr(0, k) == n.substr(n.size() - k))
      return true;
  }
  return false;
}

void Expect(const std::string& got, const std::string& want, const char* what) {
  if (got != want) fuzz::Finding(what, static_cast<long>(got.size()));
}

// The rewriting STR_REPLACE must give, or false when the harness cannot be sure that it ends.
bool Expected(std::string_view n, std::string_view r, const std::string& h, std::string& want) {
  if (n.empty()) {
    want = h;
  } else if (r.find(n) != std::string_view::npos) {
    want = RefReplaceOnce(n, r, h);
  } else if (r.size() < n.size() || !EdgesOverlap(n, r)) {
    want = RefReplace(n, r, h);
  } else {
    return false;
  }
  return true;
}

void CheckReplace(std::string_view n, std::string_view r, const std::string& h) {
  std::string want;
  if (Expected(n, r, h, want)) {
    std::string haystack = h;
    if (&STR_REPLACE(n, r, haystack) != &haystack) fuzz::Finding("STR_REPLACE returns a copy");
    Expect(haystack, want, "STR_REPLACE");
  }
  // The needle and the replacement may be parts of the text being rewritten: here the first
  // and the last bytes of it.
  const std::string needle = h.substr(0, n.size());
  const std::string replacement = h.substr(h.size() - std::min(r.size(), h.size()));
  if (Expected(needle, replacement, h, want)) {
    std::string self = h;
    const std::string_view view = self;
    STR_REPLACE(view.substr(0, needle.size()), view.substr(self.size() - replacement.size()), self);
    Expect(self, want, "STR_REPLACE of parts of its own text");
  }
}

// The pieces of `text` between the separators " " and CR LF, empty ones left out.
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool crlf = text.substr(i, 2) == "\r\n";
    if (i == text.size() || text[i] == ' ' || crlf) {
      if (!word.empty()) words.push_back(word);
      word.clear();
      if (crlf) ++i;
    } else {
      word += text[i];
    }
  }
  return words;
}

// The words of `text` as a box of width w shows them: a longer word cut into pieces of w - 1
// bytes and "-" until at most w bytes are left.
std::vector<std::string> BoxWords(std::string_view text, size_t w) {
  std::vector<std::string> words;
  for (std::string_view word : Words(text)) {
    for (; word.size() > w; word.remove_prefix(w - 1))
      words.push_back(std::string(word.substr(0, w - 1)) + "-");
    words.emplace_back(word);
  }
  return words;
}

void CheckLines(std::string_view wrapped, size_t w) {
  while (!wrapped.empty()) {
    const size_t end = wrapped.find("\r\n");
    const std::string_view line = wrapped.substr(0, end);
    wrapped = end == std::string_view::npos ? std::string_view() : wrapped.substr(end + 2);
    if (line.empty() || line.size() > w || line.front() == ' ' || line.back() == ' ' ||
        line.find("  ") != std::string_view::npos) {
      fuzz::Finding("TEXT_BOX_STRING line", static_cast<long>(line.size()));
    }
  }
}

void CheckTextBox(const std::string& text, const std::string& size, const std::string& scroll) {
  const int32_t w = size.size() > 0 ? static_cast<uint8_t>(size[0]) % 82 : 40;
  const int32_t h = size.size() > 1 ? static_cast<uint8_t>(size[1]) % 42 : 30;
  std::string wrapped;
  const int wrapping = fuzz::ExitCodeOf([&] { wrapped = TEXT_BOX_STRING(text, w, h); });
  fuzz::ExpectExit(wrapping, {w < 2 ? 1 : -1});
  if (wrapping != -1) return;
  CheckLines(wrapped, static_cast<size_t>(w));
  if (Words(wrapped) != BoxWords(text, static_cast<size_t>(w)))
    fuzz::Finding("TEXT_BOX_STRING words");
  platform::IMAGE* image = nullptr;
  const int rendering =
      fuzz::ExitCodeOf([&] { image = TEXT_BOX_RENDER(wrapped, w, h, rt::ValInt(scroll)); });
  fuzz::ExpectExit(rendering, {h < 1 ? 7 : -1});
  if (image != nullptr && (image->WIDTH != static_cast<uint32_t>(w) * 8 ||
                           image->HEIGHT != static_cast<uint32_t>(h) * 8)) {
    fuzz::Finding("TEXT_BOX_RENDER size");
  }
  IMAGEDESTROY2(image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string parts[3];
  for (std::string& part : parts) {
    const size_t cut = rest.find('\x1f');
    part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  const std::string &a = parts[0], &b = parts[1], &c = parts[2];

  Expect(PREFIX(a, b), RefPrefix(a, b), "PREFIX");
  Expect(SUFFIX(a, b), RefSuffix(a, b), "SUFFIX");
  Expect(AXISLABEL_S(a, b, c), RefAxisLabel(a, b, c), "AXISLABEL_S");
  Expect(AXISPARAM_S(a, b, c), RefAxisParam(a, b, c), "AXISPARAM_S");
  std::string subject = a;
  Expect(UCWORDS(subject), RefUcwords(a), "UCWORDS");
  if (!subject.empty()) fuzz::Finding("UCWORDS keeps its subject");
  CheckReplace(a, b, c);

  const fuzz::InScratchFolder scratch;
  if (!platform::headless::WindowOpen()) {
    fuzz::Reset();
    if (platform::ScreenRes(64, 64, 32, 2, 0) != 0) fuzz::Finding("no 64 x 64 window");
    platform::PageSet(1, 0);
  }
  CheckTextBox(a, b, c);
  return 0;
}
