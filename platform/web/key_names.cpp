#include "platform/web/key_names.h"

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace platform::web {

namespace {

struct Named {
  std::string_view name;
  const char* text;
};

// The keys that produce no character, with their texts (extended keys: byte 255 and a letter).
constexpr Named kNamedKeys[] = {
    {"Escape", kEscape}, {"Enter", kEnter},    {"Backspace", kBackspace}, {"Tab", "\t"},
    {"ArrowUp", kUp},    {"ArrowDown", kDown}, {"ArrowLeft", kLeft},      {"ArrowRight", kRight},
    {"Home", "\xffG"},   {"End", "\xffO"},     {"PageUp", "\xffI"},       {"PageDown", "\xffQ"},
    {"Insert", "\xffR"}, {"Delete", "\xffS"},
};

PageKey PageKeyOf(std::string_view key, bool alt) {
  if (key == "F10") return PageKey::kReleasePointer;
  if (key == "F11" || (key == "Enter" && alt)) return PageKey::kFullscreen;
  if (key == "F12" || key == "PrintScreen") return PageKey::kScreenshot;
  return PageKey::kNone;
}

// One character of the key name in UTF-8, up to U+00FF, as its byte; empty for anything else.
std::string CharacterText(std::string_view key) {
  const auto* s = reinterpret_cast<const unsigned char*>(key.data());
  if (key.size() == 1 && s[0] < 0x80) return std::string(1, key[0]);
  if (key.size() == 2 && (s[0] & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80) {
    const unsigned code = ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
    if (code >= 0x80 && code < 0x100) return std::string(1, static_cast<char>(code));
  }
  return std::string();
}

}  // namespace

KeyPress TranslateKey(std::string_view key, bool alt, bool ctrl, bool repeat) {
  KeyPress press;
  if (const PageKey page = PageKeyOf(key, alt); page != PageKey::kNone) {
    if (!repeat) press.page = page;
    return press;
  }
  for (const Named& named : kNamedKeys) {
    if (named.name == key) {
      press.text = named.text;
      return press;
    }
  }
  if (!ctrl) press.text = CharacterText(key);
  return press;
}

}  // namespace platform::web
