// BMP decoding: our own check of the headers first, so that absurd sizes and truncated files
// are refused before anything is allocated, then SDL's decoder on the file's bytes in memory.
#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/runtime.h"

namespace platform {

namespace {

constexpr int64_t kMaxFileBytes = int64_t{1} << 30;  // larger files are refused unread
// Largest pixel count of a compressed (RLE) bitmap, whose file size says nothing of its size.
constexpr int64_t kMaxCompressedPixels = int64_t{4096} * 4096;

uint32_t Le(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

// True when the headers describe a bitmap that SDL can decode within the file's bytes.
bool HeadersAcceptable(const std::vector<uint8_t>& file) {
  if (file.size() < 14 + 12 || file[0] != 'B' || file[1] != 'M') return false;
  const uint8_t* info = file.data() + 14;
  const uint32_t info_size = Le(info, 4);
  if (info_size != 12 && info_size < 40) return false;
  if (info_size > file.size() - 14) return false;
  int64_t width, height, bits, compression = 0;
  if (info_size == 12) {
    width = Le(info + 4, 2);
    height = Le(info + 6, 2);
    bits = Le(info + 10, 2);
  } else {
    width = static_cast<int32_t>(Le(info + 4, 4));
    height = static_cast<int32_t>(Le(info + 8, 4));
    bits = Le(info + 14, 2);
    compression = Le(info + 16, 4);
  }
  if (height < 0) height = -height;  // top-down rows; int64, so INT32_MIN is safe
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) return false;
  const int64_t offset = Le(file.data() + 10, 4);
  if (offset < 14 + info_size || offset >= static_cast<int64_t>(file.size())) return false;
  const int64_t available = static_cast<int64_t>(file.size()) - offset;
  switch (compression) {
    case 0:  // uncompressed
    case 3:  // bit fields
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return false;
      }
      if (compression == 3 && bits != 16 && bits != 32) return false;
      return (width * bits + 31) / 32 * 4 * height <= available;
    case 1:  // RLE8
    case 2:  // RLE4
      if (bits != (compression == 1 ? 8 : 4)) return false;
      return width * height <= kMaxCompressedPixels;
    default:
      return false;
  }
}

// The whole file, or false when it cannot be read (or is too large to consider).
bool ReadWhole(const std::string& path, std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  struct stat st;
  bool ok = ::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxFileBytes;
  if (ok) {
    bytes.resize(static_cast<size_t>(st.st_size));
    ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  }
  std::fclose(f);
  return ok;
}

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

}  // namespace

int BLoad(const std::string& path, IMAGE* image) {
  if (!IsReadableFile(path)) return rt::kFileNotFound;
  std::vector<uint8_t> file;
  if (image == nullptr || !ReadWhole(path, file) || !HeadersAcceptable(file)) {
    return rt::kIllegalFunctionCall;
  }
  SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
  SurfacePtr decoded(rw == nullptr ? nullptr : SDL_LoadBMP_RW(rw, 1));
  if (!decoded) return rt::kIllegalFunctionCall;
  SurfacePtr argb(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  if (!argb || SDL_LockSurface(argb.get()) != 0) return rt::kIllegalFunctionCall;
  const uint32_t width = std::min<uint32_t>(image->WIDTH, static_cast<uint32_t>(argb->w));
  const uint32_t height = std::min<uint32_t>(image->HEIGHT, static_cast<uint32_t>(argb->h));
  for (uint32_t y = 0; y < height; ++y) {
    const auto* row =
        static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch;
    std::memcpy(image->Row(y), row, width * 4);
  }
  SDL_UnlockSurface(argb.get());
  return 0;
}

}  // namespace platform
