// One bitmap file given as raw bytes: the input becomes f.bmp in a scratch folder, which
// BMP_LOAD reads, TEXTUREROTATE transposes and shows and the texture loader registers (through a
// one-line list naming it), and which BLoad also reads into a fixed 64 x 64 image.
//
// Documented ends: a texture record whose image has the size of the file's header, cut to the
// page's size (at least the 64 x 64 square the renderer reads), or runtime error 1 at TEXTUREROTATE
// for a file that cannot be loaded. BLoad answers 0 or 1, and a file that BMP_LOAD refuses BLoad
// refuses too.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/harness.h"

namespace {

int32_t HeaderField(std::string_view bytes, size_t offset) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) {
    const size_t at = offset + i;
    if (at < bytes.size()) v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 8 * i;
  }
  return static_cast<int32_t>(v);
}

// The texture record of a load that returned: one record with an image of the header's size,
// cut to the page's (at least 64 x 64).
void CheckRecord(std::string_view bytes) {
  if (TEXTUREDB.Count() != 1) fuzz::Finding("records after one line", TEXTUREDB.Count());
  const platform::IMAGE* image = TEXTUREDB[0].IMAGE;
  if (image == nullptr) fuzz::Finding("a record without its image");
  const int64_t width = HeaderField(bytes, 18),
                height = std::llabs(int64_t{HeaderField(bytes, 22)});
  if (image->WIDTH != std::min<int64_t>(width, std::max(platform::ScreenWidth(), 64)) ||
      image->HEIGHT != std::min<int64_t>(height, std::max(platform::ScreenHeight(), 64)))
    fuzz::Finding("the image is not the header's size cut to the page (at least 64 x 64)");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::InScratchFolder scratch;
  fuzz::Reset();
  fuzz::WriteFile("f.bmp", bytes);
  fuzz::WriteFile("list.property", "t=f.bmp");
  const int code = fuzz::ExitCodeOf([] {
    fuzz::OpenSmallWorld();
    LOADTEXTUREDB("list.property");
  });
  fuzz::ExpectExit(code, {-1, 1});
  if (code == -1) CheckRecord(bytes);
  fuzz::Reset();

  platform::IMAGE* image = platform::ImageCreate(64, 64);
  const int loaded = platform::BLoad("f.bmp", image);
  platform::ImageDestroy(image);
  if (loaded != 0 && loaded != 1) fuzz::Finding("BLoad answered", loaded);
  if (code == 1 && loaded == 0 && HeaderField(bytes, 18) > 0 && HeaderField(bytes, 22) != 0) {
    fuzz::Finding("BLoad takes a file that BMP_LOAD refuses");
  }
  if (platform::LiveImageCount() != 0) fuzz::Finding("images left", platform::LiveImageCount());
  return 0;
}
