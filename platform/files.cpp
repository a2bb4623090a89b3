// Numbered file slots, file-system queries and the directory search, on POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/testing.h"

namespace platform {

namespace {

constexpr int kSlotCount = 255;
constexpr size_t kReadChunk = 4096;

// One file slot. A closed slot has fd -1.
struct Slot {
  int fd = -1;
  OpenMode mode = OpenMode::kInput;
  int64_t offset = 0;       // binary slots: the byte after the last Get or PutBytes (0-based)
  std::string buffer;       // input slots: bytes read ahead and not yet returned by LineInput
  size_t taken = 0;         // input slots: bytes of buffer already returned
  bool at_end = false;      // input slots: the file has no bytes after the buffer
  bool read_error = false;  // input slots: a read failed; LineInput reports it
};

Slot slots[kSlotCount + 1];  // indexed by slot number 1..255; element 0 is never used
int64_t write_budget = -1;   // bytes PutBytes may still write before failing; -1 unlimited

// The open slot for a slot number, or null for a bad number or a closed slot.
Slot* OpenSlot(int slot) {
  if (slot < 1 || slot > kSlotCount || slots[slot].fd < 0) return nullptr;
  return &slots[slot];
}

bool HasNul(const std::string& path) {
  return path.find('\0') != std::string::npos;
}

// Reads more of an input slot's file into its buffer; false when nothing more comes.
bool FillBuffer(Slot& s) {
  if (s.at_end) return false;
  if (s.taken > 0) {
    s.buffer.erase(0, s.taken);
    s.taken = 0;
  }
  char chunk[kReadChunk];
  ssize_t n;
  do {
    n = ::read(s.fd, chunk, sizeof chunk);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) {
    s.at_end = true;
    s.read_error = n < 0;
    return false;
  }
  s.buffer.append(chunk, static_cast<size_t>(n));
  return true;
}

// True when size bytes from the 1-based position stay inside the host's file offsets.
bool ValidRange(int64_t position, size_t size) {
  if (position < 1) return false;
  const int64_t max = std::numeric_limits<int64_t>::max();
  return size <= static_cast<uint64_t>(max) && position - 1 <= max - static_cast<int64_t>(size);
}

int64_t FileLength(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

// The directory search that Dir() continues.
struct Search {
  DIR* dir = nullptr;
  int dir_fd = -1;
  std::string pattern;  // the name pattern, with * and ?
  int mask = 0;         // the effective attribute mask
};

Search search;  // the running directory search; dir is null when none runs

void EndSearch() {
  if (search.dir != nullptr) ::closedir(search.dir);
  search = Search{};
}

// Wildcard match of a whole name: * any run of bytes (also none), ? exactly one byte.
bool Matches(const std::string& pattern, const char* name) {
  size_t p = 0, n = 0;
  const size_t name_length = std::strlen(name);
  size_t star = std::string::npos, star_n = 0;
  while (n < name_length) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// The attribute bits of a directory entry (see kAttrReadOnly in platform.h for the mapping).
int Attributes(int dir_fd, const char* name) {
  int bits = name[0] == '.' ? kAttrHidden : 0;
  struct stat st;
  if (::fstatat(dir_fd, name, &st, 0) != 0 &&
      ::fstatat(dir_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
    return bits | kAttrSystem;
  if (S_ISDIR(st.st_mode)) {
    bits |= kAttrDirectory;
  } else if (S_ISREG(st.st_mode)) {
    bits |= kAttrArchive;
  } else {
    bits |= kAttrSystem;
  }
  if ((st.st_mode & S_IWUSR) == 0) bits |= kAttrReadOnly;
  return bits;
}

// The next name of the running search, or the empty text when it is done.
std::string NextMatch() {
  while (search.dir != nullptr) {
    errno = 0;
    const dirent* entry = ::readdir(search.dir);
    if (entry == nullptr) break;
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (!Matches(search.pattern, name)) continue;
    if ((Attributes(search.dir_fd, name) & ~search.mask) != 0) continue;
    return name;
  }
  EndSearch();
  return std::string();
}

}  // namespace

int FreeFile() {
  for (int i = 1; i <= kSlotCount; ++i) {
    if (slots[i].fd < 0) return i;
  }
  return 0;
}

int Open(int slot, const std::string& path, OpenMode mode) {
  if (slot < 1 || slot > kSlotCount || slots[slot].fd >= 0) return 1;
  const int flags = mode == OpenMode::kBinary ? O_RDWR | O_CREAT : O_RDONLY;
  const int fd = internal::OpenRegularFile(path, flags);
  if (fd < 0) return 2;
  slots[slot] = Slot{};
  slots[slot].fd = fd;
  slots[slot].mode = mode;
  return 0;
}

int LineInput(int slot, std::string& line) {
  line.clear();
  Slot* s = OpenSlot(slot);
  if (s == nullptr || s->mode != OpenMode::kInput) return 1;
  size_t scanned = 0;  // bytes after the taken ones known to hold no line feed
  for (;;) {
    const size_t lf = s->buffer.find('\n', s->taken + scanned);
    if (lf != std::string::npos) {
      size_t end = lf;
      if (end > s->taken && s->buffer[end - 1] == '\r') --end;
      line.assign(s->buffer, s->taken, end - s->taken);
      s->taken = lf + 1;
      return 0;
    }
    scanned = s->buffer.size() - s->taken;
    if (!FillBuffer(*s)) break;
  }
  if (s->read_error) return 3;
  if (s->taken == s->buffer.size()) return 3;  // nothing left to read
  // The last line needs no line feed.
  line.assign(s->buffer, s->taken, std::string::npos);
  s->taken = s->buffer.size();
  return 0;
}

bool Eof(int slot) {
  Slot* s = OpenSlot(slot);
  if (s == nullptr) return true;
  if (s->mode != OpenMode::kInput) return s->offset >= FileLength(s->fd);
  return s->taken == s->buffer.size() && !FillBuffer(*s);
}

int64_t Lof(int slot) {
  Slot* s = OpenSlot(slot);
  return s == nullptr ? -1 : FileLength(s->fd);
}

int Get(int slot, int64_t position, void* buffer, size_t size, size_t* got) {
  if (got != nullptr) *got = 0;
  Slot* s = OpenSlot(slot);
  if (s == nullptr || s->mode == OpenMode::kInput || !ValidRange(position, size)) return 1;
  if (size > 0 && buffer == nullptr) return 1;
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(s->fd, bytes + done, size - done,
                              static_cast<off_t>(position - 1 + static_cast<int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return 3;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  if (done < size) std::memset(bytes + done, 0, size - done);
  if (got != nullptr) *got = done;
  s->offset = position - 1 + static_cast<int64_t>(size);
  return 0;
}

int PutBytes(int slot, int64_t position, const void* buffer, size_t size) {
  Slot* s = OpenSlot(slot);
  if (s == nullptr || s->mode != OpenMode::kBinary || !ValidRange(position, size)) return 1;
  if (size > 0 && buffer == nullptr) return 1;
  size_t allowed = size;
  if (write_budget >= 0 && static_cast<uint64_t>(write_budget) < size)
    allowed = static_cast<size_t>(write_budget);
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  size_t done = 0;
  while (done < allowed) {
    const ssize_t n = ::pwrite(s->fd, bytes + done, allowed - done,
                               static_cast<off_t>(position - 1 + static_cast<int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  if (write_budget >= 0) write_budget -= static_cast<int64_t>(done);
  s->offset = position - 1 + static_cast<int64_t>(done);
  return done == size ? 0 : 3;
}

int Close(int slot) {
  Slot* s = OpenSlot(slot);
  if (s == nullptr) return 1;
  const int result = ::close(s->fd);
  *s = Slot{};
  return result == 0 ? 0 : 3;
}

int Kill(const std::string& path) {
  if (HasNul(path)) return 2;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return 2;
  return ::unlink(path.c_str()) == 0 ? 0 : 2;
}

int Rename(const std::string& from, const std::string& to) {
  if (HasNul(from) || HasNul(to)) return 3;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : 3;
}

bool IsReadableFile(const std::string& path) {
  const int fd = internal::OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::string CurDir() {
  std::vector<char> buffer(256);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) return buffer.data();
    if (errno != ERANGE || buffer.size() > (size_t{1} << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

int ChDir(const std::string& path) {
  if (HasNul(path)) return -1;
  return ::chdir(path.c_str()) == 0 ? 0 : -1;
}

std::string Dir(const std::string& pattern, int attributes) {
  EndSearch();
  if (HasNul(pattern)) return std::string();
  const size_t slash = pattern.rfind('/');
  std::string directory = ".";
  if (slash != std::string::npos) directory = slash == 0 ? "/" : pattern.substr(0, slash);
  search.dir = ::opendir(directory.c_str());
  if (search.dir == nullptr) return std::string();
  search.dir_fd = ::dirfd(search.dir);
  search.pattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  // Without the directory bit, plain files are found all the same.
  search.mask = (attributes & kAttrDirectory) != 0 ? attributes : attributes | kAttrArchive;
  return NextMatch();
}

std::string Dir() {
  return NextMatch();
}

namespace internal {

int OpenRegularFile(const std::string& path, int flags) {
  if (path.empty() || HasNul(path)) return -1;
  // O_NONBLOCK keeps a FIFO from blocking the open; such files are refused just below.
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace internal

namespace testing {

void FailWritesAfter(int64_t bytes) {
  write_budget = bytes < 0 ? -1 : bytes;
}

int OpenFileCount() {
  int count = 0;
  for (int i = 1; i <= kSlotCount; ++i) count += slots[i].fd >= 0 ? 1 : 0;
  return count;
}

void CloseAllFiles() {
  for (int i = 1; i <= kSlotCount; ++i) {
    if (slots[i].fd >= 0) Close(i);
  }
  EndSearch();
}

}  // namespace testing

}  // namespace platform
