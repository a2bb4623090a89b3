#include "platform/screenshot.h"

#include <fcntl.h>
#include <png.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

#include "platform/signals.h"

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

std::string Cause(int error) {
  return std::strerror(error);
}

// The user's pictures folder: XDG_PICTURES_DIR, else ~/Pictures; empty when neither is known.
fs::path PicturesFolder() {
  const char* pictures = std::getenv("XDG_PICTURES_DIR");
  if (pictures != nullptr && pictures[0] == '/') return pictures;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return fs::path(home) / "Pictures";
  return fs::path();
}

// The folder the picture goes to, made when missing: `folder` when one is given; otherwise the
// working directory where it can be written, else the pictures folder. Empty with `error` set
// when there is none.
fs::path ChooseFolder(const std::string& folder, std::string& error) {
  std::error_code failure;
  fs::path dir;
  if (!folder.empty()) {
    dir = fs::absolute(folder, failure);
  } else {
    dir = fs::current_path(failure);
    if (failure || access(dir.c_str(), W_OK | X_OK) != 0) {
      const std::string why = failure ? "the working folder is gone (" + failure.message() + ")"
                                      : dir.string() + " cannot be written";
      dir = PicturesFolder();
      if (dir.empty()) {
        error = why + ", and HOME is not set";
        return fs::path();
      }
      failure.clear();
    }
  }
  if (!failure) fs::create_directories(dir, failure);
  if (failure) {
    error = (dir.empty() ? folder : dir.string()) + ": " + failure.message();
    return fs::path();
  }
  return dir.lexically_normal();
}

// The pixels as a PNG file's bytes (R, G, B), empty with `error` set when encoding fails.
std::vector<uint8_t> EncodePng(const uint32_t* pixels, int width, int height, std::string& error) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  uint8_t* out = rgb.data();
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
    *out++ = static_cast<uint8_t>(pixels[i] >> 16);
    *out++ = static_cast<uint8_t>(pixels[i] >> 8);
    *out++ = static_cast<uint8_t>(pixels[i]);
  }
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  std::vector<uint8_t> png;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), width * 3, nullptr)) {
    png.resize(size);
    if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), width * 3, nullptr))
      png.clear();
  }
  if (png.empty()) error = image.message;
  png_image_free(&image);
  return png;
}

// Writes the bytes to a new hidden file in `folder` and flushes them to disk; its path, or the
// empty path with `error` set (the file removed). A second signal meanwhile removes it too.
fs::path WriteScratch(const fs::path& folder, const std::vector<uint8_t>& bytes,
                      std::string& error) {
  std::string path = (folder / ".maze-screenshot-XXXXXX").string();
  const int fd = mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0) {
    error = folder.string() + ": " + Cause(errno);
    return fs::path();
  }
  signals::SetScratch(path.c_str());
  int failed = fchmod(fd, 0644) != 0 ? errno : 0;
  for (size_t done = 0; failed == 0 && done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) failed = n < 0 ? errno : EIO;
    if (n > 0) done += static_cast<size_t>(n);
  }
  if (failed == 0 && fsync(fd) != 0) failed = errno;
  if (close(fd) != 0 && failed == 0) failed = errno;
  if (failed != 0) {
    unlink(path.c_str());
    signals::SetScratch(nullptr);
    error = folder.string() + ": " + Cause(failed);
    return fs::path();
  }
  return path;
}

// Gives the written file its name: the first maze-STAMP-N.png that names no file. Never replaces
// a file; false with `error` set (the scratch file removed) when no name can be had.
bool Publish(const fs::path& scratch, const fs::path& folder, fs::path& path, std::string& error) {
  const std::string stamp = Stamp();
  error = "no free file name in " + folder.string();
  for (int n = 1; n <= kMaxCounter; ++n) {
    path = folder / ("maze-" + stamp + "-" + std::to_string(n) + ".png");
    int moved = renameat2(AT_FDCWD, scratch.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
    if (moved != 0 && (errno == EINVAL || errno == ENOSYS)) {  // a folder without that rename
      moved = link(scratch.c_str(), path.c_str());
      if (moved == 0) unlink(scratch.c_str());
    }
    if (moved == 0) {
      signals::SetScratch(nullptr);
      return true;
    }
    if (errno != EEXIST) {
      error = path.string() + ": " + Cause(errno);
      break;
    }
  }
  unlink(scratch.c_str());
  signals::SetScratch(nullptr);
  return false;
}

}  // namespace

std::string Save(const uint32_t* pixels, int width, int height, const std::string& folder,
                 std::string& error) {
  if (pixels == nullptr || width < 1 || height < 1) {
    error = "nothing is shown yet";
    return std::string();
  }
  std::vector<uint8_t> png;
  try {
    png = EncodePng(pixels, width, height, error);
  } catch (const std::bad_alloc&) {
    error = "out of memory";
  }
  if (png.empty()) return std::string();
  const fs::path dir = ChooseFolder(folder, error);
  if (dir.empty()) return std::string();
  const fs::path scratch = WriteScratch(dir, png, error);
  fs::path path;
  if (scratch.empty() || !Publish(scratch, dir, path, error)) return std::string();
  return path.string();
}

}  // namespace platform::screenshot
