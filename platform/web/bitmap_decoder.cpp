// The browser build's bitmap decoder: the plain one (SDL is not part of the page).
#include <string>

#include "platform/internal.h"

namespace platform::internal {

int DecodeBitmap(const std::string&, const BitmapLayout& layout, IMAGE* image, bool clear_alpha) {
  return DecodePlainBitmap(layout, image, clear_alpha);
}

bool KnownMasks(uint32_t bits, const uint32_t masks[4]) {
  return PlainKnownMasks(bits, masks);
}

}  // namespace platform::internal
