// The browser build's own pieces, checked natively: its bitmap decoder against SDL's, and its
// key names against the desktop window's key texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/web/key_names.h"
#include "tests/hardening/bitmap_file.h"

namespace {

using platform::internal::BitmapLayout;

// Where the test bitmap's pixels lie.
BitmapLayout Layout(const testbitmap::Bitmap& b, const std::string& bytes) {
  const auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
    return v;
  };
  BitmapLayout layout{b.width,
                      b.height < 0 ? -int64_t{b.height} : b.height,
                      b.height < 0,
                      b.bits,
                      b.compression == 3,
                      {},
                      nullptr,
                      bytes.data() + u32(10),
                      (int64_t{b.width} * b.bits + 31) / 32 * 4};
  // A 40-byte header has no alpha mask: three masks follow it.
  const size_t masks = b.info_size >= 56 ? b.masks.size() : std::min<size_t>(b.masks.size(), 3);
  for (size_t i = 0; i < masks; ++i) layout.masks[i] = b.masks[i];
  if (b.bits <= 8) layout.palette = bytes.data() + 14 + b.info_size;
  return layout;
}

// Pixel rows for a 4 x 4 palette picture: varied indexes, all inside a palette of 200 colours.
std::string PaletteRows() {
  std::string rows;
  for (int i = 0; i < 16; ++i) rows.push_back(static_cast<char>(i * 12 + i % 3));
  return rows;
}

struct DecodeCase {
  const char* name;
  testbitmap::Bitmap bitmap;
  bool clear_alpha;
};

TEST(PlainBitmapDecoder, GivesSdlsPixelsForEveryFormatItTakes) {
  const std::string zero_fourth(64, '\0');
  std::string no_alpha;  // 32-bit rows whose fourth bytes are all zero
  for (int i = 0; i < 64; ++i) no_alpha.push_back(static_cast<char>(i % 4 == 3 ? 0 : i * 3 + 1));
  const std::vector<uint32_t> argb = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
  const std::vector<uint32_t> xrgb = {0xFF0000, 0xFF00, 0xFF};
  const DecodeCase cases[] = {
      {"1-bit", {.bits = 1, .pixels = PaletteRows()}, false},
      {"4-bit", {.bits = 4, .pixels = PaletteRows()}, false},
      {"8-bit, 200 colours", {.bits = 8, .colours = 200, .pixels = PaletteRows()}, false},
      {"24-bit", {}, false},
      {"24-bit top down", {.height = -4, .pixels = no_alpha.substr(0, 48)}, false},
      {"32-bit with alpha", {.bits = 32}, false},
      {"32-bit, alpha cleared", {.bits = 32}, true},
      {"32-bit, fourth bytes zero", {.bits = 32, .pixels = no_alpha}, false},
      {"32-bit ARGB fields", {.bits = 32, .compression = 3, .masks = argb}, false},
      {"32-bit ARGB fields, alpha zero",
       {.bits = 32, .compression = 3, .info_size = 56, .masks = argb, .pixels = no_alpha},
       false},
      {"32-bit XRGB fields", {.bits = 32, .compression = 3, .masks = xrgb}, false},
      {"32-bit fields in a 56-byte header",
       {.bits = 32, .compression = 3, .info_size = 56, .masks = argb},
       false},
  };
  for (const DecodeCase& c : cases) {
    const std::string bytes = c.bitmap.Bytes();
    const BitmapLayout layout = Layout(c.bitmap, bytes);
    platform::IMAGE* sdl = platform::ImageCreate(4, 4);
    platform::IMAGE* plain = platform::ImageCreate(4, 4);
    ASSERT_EQ(platform::internal::DecodeBitmap(bytes, layout, sdl, c.clear_alpha), 0) << c.name;
    ASSERT_EQ(platform::internal::DecodePlainBitmap(layout, plain, c.clear_alpha), 0) << c.name;
    for (uint32_t y = 0; y < 4; ++y) {
      for (uint32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(plain->Row(y)[x], sdl->Row(y)[x]) << c.name << " at " << x << "," << y;
      }
    }
    platform::ImageDestroy(sdl);
    platform::ImageDestroy(plain);
  }
}

TEST(PlainBitmapDecoder, RefusesWhatItCannotMatchAndKnowsNoOtherMasks) {
  const testbitmap::Bitmap sixteen{.bits = 16};
  const std::string bytes = sixteen.Bytes();
  platform::IMAGE* image = platform::ImageCreate(4, 4);
  EXPECT_EQ(platform::internal::DecodePlainBitmap(Layout(sixteen, bytes), image, false), 1);
  platform::ImageDestroy(image);
  const uint32_t bgra[4] = {0xFF00, 0xFF0000, 0xFF000000u, 0xFF};
  EXPECT_TRUE(platform::internal::KnownMasks(32, bgra));  // SDL takes it; the plain one does not
  EXPECT_FALSE(platform::internal::PlainKnownMasks(32, bgra));
}

TEST(WebKeys, GiveTheDesktopsKeyTextsAndThePagesOwnKeys) {
  using platform::web::PageKey;
  struct Case {
    const char* key;
    bool alt, ctrl, repeat;
    std::string text;
    PageKey page;
  };
  const Case cases[] = {
      {"ArrowUp", false, false, true, platform::kUp, PageKey::kNone},
      {"ArrowLeft", false, false, false, platform::kLeft, PageKey::kNone},
      {"PageDown", false, false, false, "\xffQ", PageKey::kNone},
      {"Escape", false, true, false, platform::kEscape, PageKey::kNone},
      {"Enter", false, false, false, platform::kEnter, PageKey::kNone},
      {" ", false, false, false, " ", PageKey::kNone},
      {"a", true, false, false, "a", PageKey::kNone},
      {"r", false, true, false, "", PageKey::kNone},              // the browser's Ctrl+R
      {"\xc3\xa9", false, false, false, "\xe9", PageKey::kNone},  // U+00E9 as one byte
      {"\xe2\x82\xac", false, false, false, "", PageKey::kNone},  // U+20AC: no byte
      {"Shift", false, false, false, "", PageKey::kNone},
      {"F10", false, false, false, "", PageKey::kReleasePointer},
      {"F11", false, false, false, "", PageKey::kFullscreen},
      {"Enter", true, false, false, "", PageKey::kFullscreen},
      {"F12", false, false, false, "", PageKey::kScreenshot},
      {"F12", false, false, true, "", PageKey::kNone},  // held: acts once
  };
  for (const Case& c : cases) {
    const platform::web::KeyPress press =
        platform::web::TranslateKey(c.key, c.alt, c.ctrl, c.repeat);
    EXPECT_EQ(press.text, c.text) << c.key;
    EXPECT_EQ(press.page, c.page) << c.key;
  }
}

// The page's held-key names are the desktop's: by the layout's character, by the key's place
// where Shift or a non-Latin layout changes that, none for the keypad and the page's own keys.
TEST(WebKeys, NameHeldKeysAsTheDesktopDoes) {
  const struct {
    const char *key, *code;
    bool shift;
    const char* name;
  } cases[] = {
      {"a", "KeyA", false, "A"},
      {"A", "KeyA", true, "A"},
      {"q", "KeyA", false, "Q"},         // AZERTY
      {"\xd1\x84", "KeyA", false, "A"},  // a Cyrillic layout
      {"7", "Digit7", false, "7"},
      {"/", "Digit7", true, "7"},  // German
      {"/", "Slash", false, "Slash"},
      {";", "Comma", true, "Comma"},  // German
      {"<", "Comma", true, "Comma"},
      {"=", "Equal", false, "Equals"},
      {"\\", "Backslash", false, "Backslash"},
      {" ", "Space", true, "Space"},
      {"ArrowUp", "ArrowUp", true, "Up"},
      {"Enter", "Enter", false, "Enter"},
      {"Shift", "ShiftLeft", true, "LeftShift"},
      {"Control", "ControlRight", false, "RightCtrl"},
      {"AltGraph", "AltRight", false, "RightAlt"},
      {"F9", "F9", false, "F9"},
      {"PageDown", "PageDown", false, "PageDown"},
      {"1", "Numpad1", false, ""},
      {"Enter", "NumpadEnter", false, ""},
      {"F12", "F12", false, ""},
      {"CapsLock", "CapsLock", false, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::web::HeldKeyName(c.key, c.code, c.shift), c.name) << c.key << " " << c.code;
    EXPECT_TRUE(*c.name == '\0' || platform::IsKeyName(c.name)) << c.name;
  }
}

}  // namespace
