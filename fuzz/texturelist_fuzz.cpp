// The texture list: the input becomes list.property in a scratch folder beside the texture set of
// harness.h (valid 64 x 64 bitmaps, bitmaps of other sizes, one of 16384 x 16384, a file that is
// no bitmap, one whose reads fail), and is loaded, the board generated from it, and one frame
// drawn through its labels on a 64 x 64 window. Every wait for a key is answered.
//
// Documented ends: 1 (a line whose bitmap cannot be loaded: a missing file, no bitmap, an empty
// line or a line without "="), 3 (a bitmap whose read fails), 6 (fewer than two textures for the
// board). After a load that returns, every record holds an image no larger than the 64 x 64 page
// and no file stays open, and every line read made one image: those of the records, and one left
// behind for each label listed again.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/harness.h"

namespace {

size_t lines = 0;  // lines of the current input
long images = 0;   // live images when the current input started

void CheckTextures() {
  if (platform::testing::OpenFileCount() != 0) fuzz::Finding("the list stays open");
  if (platform::LiveImageCount() != images + static_cast<long>(lines))
    fuzz::Finding("images after loading", platform::LiveImageCount());
  for (int32_t i = 0; i <= TEXTUREDB.UBound(); ++i) {
    const platform::IMAGE* image = TEXTUREDB[i].IMAGE;
    if (image == nullptr) fuzz::Finding("a texture record without an image", i);
    if (image->WIDTH > static_cast<uint32_t>(std::max(platform::ScreenWidth(), 64)) ||
        image->HEIGHT > static_cast<uint32_t>(std::max(platform::ScreenHeight(), 64)))
      fuzz::Finding("a texture larger than the page", i);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::InScratchFolder scratch;
  static const bool texture_set = (fuzz::WriteTextureSet(), true);
  (void)texture_set;
  fuzz::Reset();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  fuzz::WriteFile("list.property", text);
  lines = fuzz::LineCount(text);
  images = platform::LiveImageCount();
  const int code = fuzz::ExitCodeOf([] {
    fuzz::OpenSmallWorld();
    platform::Randomize(1);
    LOADTEXTUREDB("list.property");
    CheckTextures();
    GENERATEBOARDDB();
    FRAME();
  });
  fuzz::ExpectExit(code, {-1, 1, 3, 6});
  fuzz::ResetCountingOrphans(images, static_cast<long>(lines));
  return 0;
}
