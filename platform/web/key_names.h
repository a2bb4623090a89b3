// The browser's key names (KeyboardEvent.key) as the viewer's key texts, the same texts the
// desktop window gives for the same keys, and the page's own keys.
#pragma once

#include <string>
#include <string_view>

namespace platform::web {

// What a key press does in the page.
enum class PageKey {
  kNone,            // the key text, if any, goes to the keyboard buffer
  kReleasePointer,  // F10
  kFullscreen,      // F11 and Alt+Enter
  kScreenshot,      // F12 and Print Screen
};

struct KeyPress {
  std::string text;  // the key text for the keyboard buffer; empty for none
  PageKey page = PageKey::kNone;
};

// A key press named `key` with Alt or Ctrl (or Meta) held. Held keys repeat their text; the
// page's own keys act once (`repeat` ignores them). Characters typed with Ctrl or Meta are the
// browser's shortcuts and give nothing, like characters above U+00FF.
KeyPress TranslateKey(std::string_view key, bool alt, bool ctrl, bool repeat);

// The held-key name (platform::KeyDown) of the key whose KeyboardEvent.key is `key` and whose
// KeyboardEvent.code is `code`, with Shift held or not, as the desktop window names the same key,
// or the empty text for a key without one. Letters, digits and punctuation are named by the
// character the layout gives them without Shift, and by their place where Shift changed that
// character or the layout has no Latin one; the numeric keypad's keys have no names, as on the
// desktop.
std::string HeldKeyName(std::string_view key, std::string_view code, bool shift);

}  // namespace platform::web
