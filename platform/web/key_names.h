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

}  // namespace platform::web
