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

// Held-key names by KeyboardEvent.key, then by KeyboardEvent.code for what Shift or the layout
// changes.
constexpr Named kHeldByKey[] = {
    {"ArrowUp", "Up"},        {"ArrowDown", "Down"}, {"ArrowLeft", "Left"},
    {"ArrowRight", "Right"},  {" ", "Space"},        {"Enter", "Enter"},
    {"Escape", "Escape"},     {"Tab", "Tab"},        {"Backspace", "Backspace"},
    {"Home", "Home"},         {"End", "End"},        {"PageUp", "PageUp"},
    {"PageDown", "PageDown"}, {"Insert", "Insert"},  {"Delete", "Delete"},
    {",", "Comma"},           {".", "Period"},       {"/", "Slash"},
    {";", "Semicolon"},       {"'", "Quote"},        {"-", "Minus"},
    {"=", "Equals"},          {"[", "LeftBracket"},  {"]", "RightBracket"},
    {"\\", "Backslash"},      {"`", "Backquote"},
};
constexpr Named kHeldByCode[] = {
    {"Comma", "Comma"},
    {"Period", "Period"},
    {"Slash", "Slash"},
    {"Semicolon", "Semicolon"},
    {"Quote", "Quote"},
    {"Minus", "Minus"},
    {"Equal", "Equals"},
    {"BracketLeft", "LeftBracket"},
    {"BracketRight", "RightBracket"},
    {"Backslash", "Backslash"},
    {"Backquote", "Backquote"},
    {"ShiftLeft", "LeftShift"},
    {"ShiftRight", "RightShift"},
    {"ControlLeft", "LeftCtrl"},
    {"ControlRight", "RightCtrl"},
    {"AltLeft", "LeftAlt"},
    {"AltRight", "RightAlt"},
};

}  // namespace

std::string HeldKeyName(std::string_view key, std::string_view code, bool shift) {
  if (code.substr(0, 6) == "Numpad") return std::string();
  if (key.size() == 1 && ((key[0] >= 'a' && key[0] <= 'z') || (key[0] >= 'A' && key[0] <= 'Z'))) {
    return std::string(1, static_cast<char>(key[0] & ~0x20));
  }
  const bool shifted = shift && key.size() == 1;  // Shift changed the character
  if (!shifted && key.size() == 1 && key[0] >= '0' && key[0] <= '9') return std::string(key);
  if (key.size() == 2 && key[0] == 'F' && key[1] >= '1' && key[1] <= '9') return std::string(key);
  for (const Named& named : kHeldByKey) {
    if (named.name == key && !(shifted && key != " ")) return named.text;
  }
  if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z') {
    return std::string(code.substr(3));
  }
  if (code.size() == 6 && code.substr(0, 5) == "Digit" && code[5] >= '0' && code[5] <= '9') {
    return std::string(code.substr(5));
  }
  for (const Named& named : kHeldByCode) {
    if (named.name == code) return named.text;
  }
  return std::string();
}

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
