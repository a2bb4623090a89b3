// Windows bitmap reading: our own header check, then SDL's decoder, then a copy into an IMAGE.
#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/internal.h"
#include "platform/platform.h"

namespace platform {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kMaskBytes = 16;  // red, green, blue and alpha masks after the 40-byte header
constexpr uint32_t kRgb = 0, kBitFields = 3;  // the compression values accepted

uint32_t U16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}
uint32_t U32(const uint8_t* p) {
  return U16(p) | U16(p + 2) << 16;
}

// The fields of the two headers that decide whether a file is accepted.
struct Header {
  uint32_t pixel_offset;  // where the pixel rows start
  uint32_t info_size;     // size of the information header
  int64_t width;
  int64_t height;  // absolute value; negative in the file means top row first
  uint32_t planes;
  uint32_t bits;  // bits per pixel
  uint32_t compression;
  uint32_t colours_used;  // palette entries (0: all that the bit count allows)
  uint32_t masks[4];      // red, green, blue, alpha; alpha 0 when the header has none
};

Header Parse(const uint8_t* b) {
  const int32_t height = static_cast<int32_t>(U32(b + 22));
  return Header{U32(b + 10),
                U32(b + 14),
                static_cast<int32_t>(U32(b + 18)),
                height < 0 ? -int64_t{height} : int64_t{height},
                U16(b + 26),
                U16(b + 28),
                U32(b + 30),
                U32(b + 46),
                {U32(b + 54), U32(b + 58), U32(b + 62), U32(b + 14) >= 56 ? U32(b + 66) : 0}};
}

// True when the channel masks of a bit-field file are usable: red, green and blue each set, no
// two masks sharing a bit, none reaching past the pixel's bits.
bool MasksUsable(const Header& h) {
  const uint64_t pixel = (uint64_t{1} << h.bits) - 1;
  uint32_t seen = 0;
  for (int i = 0; i < 4; ++i) {
    const uint32_t mask = h.masks[i];
    if ((mask == 0 && i < 3) || (mask & seen) != 0 || mask > pixel) return false;
    seen |= mask;
  }
  return true;
}

// True for the bitmap variants this decoder takes, whose pixel rows fit in a file of
// file_size bytes. Nothing beyond the headers has been read or allocated yet.
bool Acceptable(const Header& h, int64_t file_size) {
  const uint32_t sizes[] = {40, 52, 56, 108, 124};
  if (std::find(std::begin(sizes), std::end(sizes), h.info_size) == std::end(sizes)) return false;
  if (h.width < 1 || h.width > kMaxImageSide || h.height < 1 || h.height > kMaxImageSide)
    return false;
  if (h.planes != 1) return false;
  const uint32_t depths[] = {1, 4, 8, 16, 24, 32};
  if (std::find(std::begin(depths), std::end(depths), h.bits) == std::end(depths)) return false;
  const bool masked = h.bits == 16 || h.bits == 32;
  if (h.compression != kRgb && !(h.compression == kBitFields && masked)) return false;
  if (h.compression == kBitFields && !MasksUsable(h)) return false;
  if (h.bits <= 8 && h.colours_used > (uint32_t{1} << h.bits)) return false;
  // The pixel rows, each padded to 4 bytes, must lie after the headers and inside the file.
  const int64_t stride = (h.width * h.bits + 31) / 32 * 4;
  int64_t headers = int64_t{kFileHeaderSize} + h.info_size;
  if (h.compression == kBitFields && h.info_size == kInfoHeaderSize) headers += 12;  // masks
  if (h.bits <= 8) headers += 4 * int64_t{h.colours_used != 0 ? h.colours_used : 1u << h.bits};
  return h.pixel_offset >= headers && h.pixel_offset + stride * h.height <= file_size;
}

// Copies a decoded ARGB8888 surface into the image, clipped to both.
void CopyInto(SDL_Surface* surface, IMAGE* image) {
  const int width = std::min(surface->w, static_cast<int>(image->WIDTH));
  const int height = std::min(surface->h, static_cast<int>(image->HEIGHT));
  const auto* pixels = static_cast<const uint8_t*>(surface->pixels);
  for (int y = 0; y < height; ++y) {
    std::memcpy(image->Row(static_cast<uint32_t>(y)),
                pixels + static_cast<size_t>(y) * static_cast<size_t>(surface->pitch),
                static_cast<size_t>(width) * 4);
  }
}

// Decodes an accepted file with SDL (which rereads it from the start) into the image.
int Decode(std::FILE* file, IMAGE* image) {
  std::rewind(file);
  SDL_RWops* rw = SDL_RWFromFP(file, SDL_FALSE);
  if (rw == nullptr) return 1;
  SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
  if (loaded == nullptr) return 1;
  // Formats without an alpha channel convert with alpha 255.
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  if (argb == nullptr) return 1;
  int result = 1;
  if (SDL_LockSurface(argb) == 0) {
    CopyInto(argb, image);
    SDL_UnlockSurface(argb);
    result = 0;
  }
  SDL_FreeSurface(argb);
  return result;
}

// Opens a bitmap for reading: 0, or 2 when the file cannot be opened.
int OpenBitmap(const std::string& path, std::FILE*& file) {
  const int fd = internal::OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return 2;
  file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    ::close(fd);
    return 2;
  }
  return 0;
}

// Reads the headers (and masks) of an open bitmap: 0 when they are acceptable, else 1. The bytes
// that the file does not have read as 0.
int CheckHeaders(std::FILE* file) {
  uint8_t bytes[kFileHeaderSize + kInfoHeaderSize + kMaskBytes] = {};
  struct stat st;
  const bool read = ::fstat(::fileno(file), &st) == 0 &&
                    std::fread(bytes, 1, sizeof bytes, file) >= kFileHeaderSize + kInfoHeaderSize;
  return read && bytes[0] == 'B' && bytes[1] == 'M' && Acceptable(Parse(bytes), st.st_size) ? 0 : 1;
}

}  // namespace

int BLoadCheck(const std::string& path) {
  std::FILE* file = nullptr;
  if (const int opened = OpenBitmap(path, file)) return opened;
  const int result = CheckHeaders(file);
  std::fclose(file);
  return result;
}

int BLoad(const std::string& path, IMAGE* image) {
  if (image == nullptr) return 1;
  std::FILE* file = nullptr;
  if (const int opened = OpenBitmap(path, file)) return opened;
  int result = CheckHeaders(file);
  if (result == 0) result = Decode(file, image);
  std::fclose(file);
  return result;
}

}  // namespace platform
