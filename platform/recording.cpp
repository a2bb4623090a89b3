// Recorded sessions: the text of each event, the reader of a session's lines and the writer
// that the platform core feeds while the engine runs.
#include "platform/recording.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>
#include <version>

#include "platform/internal.h"
#include "platform/platform.h"

namespace platform::recording {

namespace {

// Key texts with a name of their own in a "type" line.
struct TypedKey {
  const char* name;
  const char* text;
};
constexpr TypedKey kTypedKeys[] = {
    {"Escape", kEscape}, {"Enter", kEnter},     {"Backspace", kBackspace}, {"Tab", "\t"},
    {"Space", " "},      {"Up", kUp},           {"Down", kDown},           {"Left", kLeft},
    {"Right", kRight},   {"Close", kClose},     {"Home", "\xffG"},         {"End", "\xffO"},
    {"PageUp", "\xffI"}, {"PageDown", "\xffQ"}, {"Insert", "\xffR"},       {"Delete", "\xffS"}};

std::FILE* out = nullptr;  // the recording being written, or null
bool disabled = false;     // Start records nothing

// The shortest text that reads back as the same double. A standard library without std::to_chars
// for doubles (the browser build's) takes the fewest %g digits that read back.
std::string Number(double value) {
  char digits[32];
#if defined(__cpp_lib_to_chars)
  return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
#else
  for (int precision = 1;; ++precision) {
    std::snprintf(digits, sizeof digits, "%.*g", precision, value);
    if (precision >= 17 || !std::isfinite(value) || std::strtod(digits, nullptr) == value) {
      return digits;
    }
  }
#endif
}

// Reads a double from the whole of `word` as std::from_chars does: an optional minus sign, no
// blank, plus sign or hexadecimal prefix; false when that fails or the number is out of range.
bool ReadDouble(std::string_view word, double& value) {
#if defined(__cpp_lib_to_chars)
  const auto [end, problem] = std::from_chars(word.data(), word.data() + word.size(), value);
  return problem == std::errc() && end == word.data() + word.size();
#else
  const size_t digits = word.substr(0, 1) == "-" ? 1 : 0;
  if (word.size() <= digits || word.find_first_of(" \t\n\v\f\r+xXpP") <= digits ||
      word.find_first_of("xXpP") != std::string_view::npos) {
    return false;
  }
  const std::string text(word);
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return errno != ERANGE && end == text.c_str() + text.size();
#endif
}

std::string TypedName(const std::string& text) {
  for (const TypedKey& key : kTypedKeys) {
    if (text == key.text) return key.name;
  }
  if (text.size() == 1 && text[0] > ' ' && text[0] < 127) return text;
  std::string hex = "0x";
  for (unsigned char byte : text) {
    hex += "0123456789abcdef"[byte >> 4];
    hex += "0123456789abcdef"[byte & 15];
  }
  return hex;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The key text a "type" line names; false when it names none.
bool TypedText(std::string_view name, std::string& text) {
  for (const TypedKey& key : kTypedKeys) {
    if (name == key.name) {
      text = key.text;
      return true;
    }
  }
  if (name.size() == 1 && name[0] > ' ' && name[0] < 127) {
    text = std::string(name);
    return true;
  }
  if (name.size() < 4 || name.size() % 2 != 0 || name.substr(0, 2) != "0x") return false;
  text.clear();
  for (size_t i = 2; i < name.size(); i += 2) {
    const int high = HexDigit(name[i]), low = HexDigit(name[i + 1]);
    if (high < 0 || low < 0) return false;
    text += static_cast<char>(high * 16 + low);
  }
  return true;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    if (line[at] == ' ' || line[at] == '\t') {
      ++at;
      continue;
    }
    const size_t end = line.find_first_of(" \t", at);
    words.push_back(line.substr(at, end == std::string_view::npos ? end : end - at));
    at = end == std::string_view::npos ? line.size() : end;
  }
  return words;
}

// A finite number filling the whole word and lying in [low, high].
bool NumberIn(std::string_view word, double low, double high, double& value) {
  return ReadDouble(word, value) && std::isfinite(value) && value >= low && value <= high;
}

bool IntegerIn(std::string_view word, int32_t low, int32_t high, int32_t& value) {
  const auto [end, problem] = std::from_chars(word.data(), word.data() + word.size(), value);
  return problem == std::errc() && end == word.data() + word.size() && value >= low &&
         value <= high;
}

}  // namespace

std::string Format(const Event& event) {
  switch (event.kind) {
    case Event::kSeed:
      return "seed " + Number(event.value);
    case Event::kFrame:
      return "frame " + Number(event.value);
    case Event::kDown:
      return "down " + event.key;
    case Event::kUp:
      return "up " + event.key;
    case Event::kType:
      return "type " + TypedName(event.key);
    case Event::kMouse:
      return "mouse " + std::to_string(event.dx) + " " + std::to_string(event.dy) + " " +
             std::to_string(event.buttons);
    case Event::kAxis:
      return std::string("axis ") + AxisName(event.axis) + " " + Number(event.value);
  }
  return std::string();
}

bool Reader::ReadLine(std::string& line, std::string& error) {
  line.clear();
  for (int c; (c = in_.get()) != EOF;) {
    if (c == '\n') break;
    if (line.size() == kMaxLineBytes) {
      error = "line " + std::to_string(line_ + 1) + ": longer than " +
              std::to_string(kMaxLineBytes) + " bytes";
      return false;
    }
    line += static_cast<char>(c);
  }
  if (line.empty() && in_.eof()) return false;
  ++line_;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool Reader::Parse(const std::string& line, Event& event, std::string& error) {
  const std::vector<std::string_view> words = Words(line);
  const size_t n = words.size();
  const std::string_view verb = n > 0 ? words[0] : std::string_view();
  std::string problem;
  double frames = 0;
  event = Event{};
  if (n == 2 && verb == "seed") {
    event.kind = Event::kSeed;
    if (!NumberIn(words[1], -HUGE_VAL, HUGE_VAL, event.value)) problem = "the seed is no number";
  } else if (n == 2 && verb == "frame") {
    event.kind = Event::kFrame;
    if (!NumberIn(words[1], 0, kMaxFrameSeconds, event.value))
      problem = "a frame lasts 0 to 60 seconds";
  } else if (n == 7 && words[1] == "seconds" && words[2] == "at" && words[4] == "frames" &&
             words[5] == "per" && words[6] == "second") {
    double fps = 0;
    // F below 1/60 would make frames longer than a frame line may be.
    if (!NumberIn(words[3], 1 / kMaxFrameSeconds, kMaxFramesPerSecond, fps) ||
        !NumberIn(verb, 0, kMaxFrames, frames)) {
      problem = "N seconds at F frames per second needs N of 0 or more and F from 1/60 to 1000";
    } else {
      frames = std::round(frames * fps);
      repeat_seconds_ = 1 / fps;
      event.kind = Event::kFrame;
      event.value = repeat_seconds_;
    }
  } else if (n == 2 && (verb == "down" || verb == "up")) {
    event.kind = verb == "down" ? Event::kDown : Event::kUp;
    event.key = std::string(words[1]);
    if (!IsKeyName(event.key))
      problem = "unknown key " + event.key + " (keys: " + KeyNameList() + ")";
  } else if (n == 2 && verb == "type") {
    event.kind = Event::kType;
    if (!TypedText(words[1], event.key)) problem = "no key text: " + std::string(words[1]);
  } else if (n == 4 && verb == "mouse") {
    event.kind = Event::kMouse;
    if (!IntegerIn(words[1], -kMaxMouseMotion, kMaxMouseMotion, event.dx) ||
        !IntegerIn(words[2], -kMaxMouseMotion, kMaxMouseMotion, event.dy) ||
        !IntegerIn(words[3], 0, 3, event.buttons))
      problem = "mouse DX DY BUTTONS needs whole numbers within 1000000 and buttons 0 to 3";
  } else if (n == 3 && verb == "axis") {
    event.kind = Event::kAxis;
    event.axis = AxisFromName(words[1]);
    if (event.axis < 0 || !NumberIn(words[2], -1, 1, event.value))
      problem =
          "axis NAME VALUE needs leftx, lefty, rightx, righty, lefttrigger or "
          "righttrigger and a value from -1 to 1";
  } else {
    problem = "not an event: " + line.substr(0, 60);
  }
  if (problem.empty() && event.kind == Event::kFrame) {
    const long count = verb == "frame" ? 1 : static_cast<long>(frames);
    if (count > kMaxFrames - frames_) problem = "more than 1000000 frames";
    repeat_ = problem.empty() ? count : 0;
    if (verb == "frame") repeat_seconds_ = event.value;
  } else if (problem.empty() && ++events_in_frame_ > kMaxEventsPerFrame) {
    problem = "more than 10000 events in one frame";
  }
  if (!problem.empty()) error = "line " + std::to_string(line_) + ": " + problem;
  return problem.empty();
}

bool Reader::Next(Event& event, std::string& error) {
  error.clear();
  std::string line;
  while (repeat_ == 0) {
    if (!ReadLine(line, error)) return false;
    if (Words(line).empty() || line[line.find_first_not_of(" \t")] == '#') continue;
    if (!Parse(line, event, error)) return false;
    if (event.kind != Event::kFrame) return true;
  }
  --repeat_;
  ++frames_;
  events_in_frame_ = 0;
  event = Event{};
  event.value = repeat_seconds_;
  return true;
}

void Disable() {
  disabled = true;
}

int Start(const std::string& path) {
  if (disabled) return 0;
  if (out != nullptr) std::fclose(out);
  out = std::fopen(path.c_str(), "w");
  if (out == nullptr) return 2;
  std::fputs(
      "# maze viewer session: one event a line, the events before a frame line belong "
      "to it\n",
      out);
  Event seed;
  seed.kind = Event::kSeed;
  seed.value = RandomSeed();
  Note(seed);
  for (const Event& event : internal::InputState()) Note(event);
  return 0;
}

void Note(const Event& event) {
  if (out == nullptr) return;
  if (event.kind == Event::kMouse && event.dx == 0 && event.dy == 0 && event.buttons == 0) return;
  std::fputs((Format(event) + "\n").c_str(), out);
  if (event.kind == Event::kFrame) std::fflush(out);
}

}  // namespace platform::recording

namespace platform {

int RecordSession(const std::string& path) {
  return recording::Start(path);
}

}  // namespace platform
