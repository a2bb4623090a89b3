// Writing a tool's output file so that no reader, crash or signal ever sees it half written: the
// bytes go to a new file beside it, are flushed to disk, and the new file is renamed over the
// name. A failure leaves the name as it was and removes the new file.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace safe_file {

// The folder part of `path` with its slash ("" for a bare name).
inline std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Writes all of `bytes` to `fd` from its current offset; false with errno set on a failure.
inline bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Creates a new file beside `path` named ".NAME~PURPOSE-XXXXXX" (NAME cut to 100 bytes);
// its descriptor, or -1 with errno set. `temporary` receives its path.
inline int CreateBeside(const std::string& path, const char* purpose, std::string& temporary) {
  const std::string folder = FolderOf(path);
  temporary = folder + "." + path.substr(folder.size(), 100) + "~" + purpose + "-XXXXXX";
  return ::mkostemp(temporary.data(), O_CLOEXEC);
}

// Flushes the folder of `path`, so that a rename in it lasts; best effort.
inline void SyncFolder(const std::string& path) {
  const std::string folder = FolderOf(path);
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Replaces `path` by a file holding `bytes`, with permission bits `mode` (and, when `owner` is
// not null, that owner and group). Returns 0, or the errno of the step that failed, after which
// `path` is unchanged.
inline int Replace(const std::string& path, std::string_view bytes, mode_t mode,
                   const struct stat* owner = nullptr) {
  std::string temporary;
  const int fd = CreateBeside(path, "save", temporary);
  if (fd < 0) return errno;
  int error = 0;
  if (!WriteAll(fd, bytes) || ::fchmod(fd, mode) != 0 ||
      (owner != nullptr && ::fchown(fd, owner->st_uid, owner->st_gid) != 0) || ::fsync(fd) != 0)
    error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return error;
  }
  SyncFolder(path);
  return 0;
}

// The permission bits a new file gets under the process's umask.
inline mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace safe_file
