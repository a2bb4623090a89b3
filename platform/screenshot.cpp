#include "platform/screenshot.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

namespace platform::screenshot {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxCounter = 9999;  // names tried within one second before giving up

// The local date and time as YYYYMMDD-HHMMSS.
std::string Stamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local = {};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

// Creates a file that does not exist yet under the first free name; -1 with `error` set when
// no name is free or the folder refuses.
int CreateFresh(const fs::path& folder, fs::path& path, std::string& error) {
  const std::string stamp = Stamp();
  for (int n = 1; n <= kMaxCounter; ++n) {
    path = folder / ("maze-" + stamp + "-" + std::to_string(n) + ".png");
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) return fd;
    if (errno != EEXIST) {
      error = path.string() + ": " + std::strerror(errno);
      return -1;
    }
  }
  error = "no free file name in " + folder.string();
  return -1;
}

// The pixels as R, G, B bytes, row after row.
std::vector<uint8_t> Rgb(const uint32_t* pixels, int width, int height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  uint8_t* out = rgb.data();
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
    *out++ = static_cast<uint8_t>(pixels[i] >> 16);
    *out++ = static_cast<uint8_t>(pixels[i] >> 8);
    *out++ = static_cast<uint8_t>(pixels[i]);
  }
  return rgb;
}

// Writes the RGB bytes as a PNG to the open file, which it closes; false with `error` set.
bool WritePng(int fd, const std::vector<uint8_t>& rgb, int width, int height, std::string& error) {
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    error = std::strerror(errno);
    close(fd);
    return false;
  }
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const bool written = png_image_write_to_stdio(&image, file, 0, rgb.data(), width * 3, nullptr);
  if (!written) error = image.message;
  png_image_free(&image);
  if (std::fclose(file) != 0 && written) {
    error = std::strerror(errno);
    return false;
  }
  return written;
}

}  // namespace

std::string Save(const uint32_t* pixels, int width, int height, const std::string& folder,
                 std::string& error) {
  if (pixels == nullptr || width < 1 || height < 1) {
    error = "nothing is shown yet";
    return std::string();
  }
  std::error_code failure;
  const fs::path dir = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), failure);
  if (!failure) fs::create_directories(dir, failure);
  if (failure) {
    error = folder + ": " + failure.message();
    return std::string();
  }
  std::vector<uint8_t> rgb;
  try {
    rgb = Rgb(pixels, width, height);
  } catch (const std::bad_alloc&) {
    error = "out of memory";
    return std::string();
  }
  fs::path path;
  const int fd = CreateFresh(dir.lexically_normal(), path, error);
  if (fd < 0) return std::string();
  if (!WritePng(fd, rgb, width, height, error)) {
    unlink(path.c_str());
    return std::string();
  }
  return path.string();
}

}  // namespace platform::screenshot
