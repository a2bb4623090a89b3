// Numbered file slots, file-system queries and the directory search, on POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "platform/platform.h"
#include "platform/testing.h"

namespace platform {

namespace {

constexpr int kSlotCount = 255;
constexpr size_t kReadChunk = 64 * 1024;

// One file slot. A closed slot has fd -1.
struct Slot {
  int fd = -1;
  OpenMode mode = OpenMode::kInput;
  // 0-based file offsets: in binary slots the byte after the last Get or PutBytes, in input
  // slots the byte after those in buffer (where the next read starts).
  int64_t offset = 0;
  std::string buffer;       // input slots: one chunk read ahead
  size_t taken = 0;         // input slots: bytes of buffer already returned
  bool at_end = false;      // input slots: the file has no bytes after the buffer
  bool read_error = false;  // input slots: a read failed; LineInput reports it
};

Slot slots[kSlotCount + 1];  // indexed by slot number 1..255; element 0 is never used
int64_t write_budget = -1;   // bytes the file layer may still write before failing; -1 unlimited
int64_t read_budget = -1;    // bytes the file layer may still read before failing; -1 unlimited

// The open slot for a slot number, or null for a bad number or a closed slot.
Slot* OpenSlot(int slot) {
  if (slot < 1 || slot > kSlotCount || slots[slot].fd < 0) return nullptr;
  return &slots[slot];
}

bool HasNul(const std::string& path) {
  return path.find('\0') != std::string::npos;
}

// Writes up to size bytes at the 0-based offset through the write limit of the test hooks;
// the number written (fewer when a write fails).
size_t WriteAt(int fd, const void* buffer, size_t size, int64_t offset) {
  size_t allowed = size;
  if (write_budget >= 0 && static_cast<uint64_t>(write_budget) < size)
    allowed = static_cast<size_t>(write_budget);
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  size_t done = 0;
  while (done < allowed) {
    const ssize_t n = ::pwrite(fd, bytes + done, allowed - done,
                               static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  if (write_budget >= 0) write_budget -= static_cast<int64_t>(done);
  return done;
}

// Makes an input slot's buffer hold bytes not yet taken, reading the next chunk once every byte
// has been taken; false when nothing more comes (the end, or a read error, which is noted).
bool FillBuffer(Slot& s) {
  if (s.taken < s.buffer.size()) return true;
  if (s.at_end) return false;
  s.buffer.resize(kReadChunk);
  const ssize_t n = internal::ReadAt(s.fd, s.buffer.data(), kReadChunk, s.offset);
  s.buffer.resize(n > 0 ? static_cast<size_t>(n) : 0);
  s.taken = 0;
  if (n <= 0) {
    s.at_end = true;
    s.read_error = n < 0;
    return false;
  }
  s.offset += n;
  return true;
}

// Drops the carriage return that ends a line ended by a line feed (`fed`).
void DropCarriageReturn(std::string& line, bool fed) {
  if (fed && !line.empty() && line.back() == '\r') line.pop_back();
}

// Where the line that runs past the slot's buffer ends (the offset of its line feed, or of the
// file's end), with `fed` telling which; -1 when a read fails. Scans through the buffer.
int64_t FindLineEnd(Slot& s, bool& fed) {
  int64_t at = s.offset;
  for (;;) {
    s.buffer.resize(kReadChunk);
    const ssize_t n = internal::ReadAt(s.fd, s.buffer.data(), kReadChunk, at);
    if (n < 0) return -1;
    const void* lf = std::memchr(s.buffer.data(), '\n', static_cast<size_t>(n));
    fed = lf != nullptr;
    if (n == 0 || fed) {
      return at + (fed ? static_cast<const char*>(lf) - s.buffer.data() : 0);
    }
    at += n;
  }
}

// Reads a line that runs past the slot's buffer: first finds where it ends, then reads it in one
// piece into a text of exactly its length, so that a line costs its own size in memory. 3 when a
// read fails, 4 when memory for the line runs out.
int LongLine(Slot& s, std::string& line) {
  const int64_t start = s.offset - static_cast<int64_t>(s.buffer.size() - s.taken);
  bool fed = false;
  const int64_t end = FindLineEnd(s, fed);
  s.buffer.clear();
  s.taken = 0;
  if (end < 0) {
    s.at_end = s.read_error = true;
    return 3;
  }
  const auto length = static_cast<size_t>(end - start);
  try {
    if (line.capacity() < length) line = std::string();  // no old buffer beside the new one
    line.resize(length);
  } catch (const std::bad_alloc&) {
    return 4;
  } catch (const std::length_error&) {
    return 4;
  }
  const ssize_t got = internal::ReadFull(s.fd, line.data(), length, start);
  if (got < 0) {
    line.clear();
    s.at_end = s.read_error = true;
    return 3;
  }
  line.resize(static_cast<size_t>(got));  // shorter when the file shrank meanwhile
  DropCarriageReturn(line, fed);
  s.offset = end + (fed ? 1 : 0);
  s.at_end = false;
  return 0;
}

// True when size bytes from the 1-based position stay inside the host's file offsets.
bool ValidRange(int64_t position, size_t size) {
  if (position < 1) return false;
  const int64_t max = std::numeric_limits<int64_t>::max();
  const uint64_t wide = size;  // a 32-bit size_t (the browser's) is always in range
  return wide <= static_cast<uint64_t>(max) && position - 1 <= max - static_cast<int64_t>(wide);
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
  if (!FillBuffer(*s)) return 3;  // nothing left to read, or the read failed
  const size_t lf = s->buffer.find('\n', s->taken);
  if (lf == std::string::npos) return LongLine(*s, line);
  line.assign(s->buffer, s->taken, lf - s->taken);
  DropCarriageReturn(line, true);
  s->taken = lf + 1;
  return 0;
}

bool Eof(int slot) {
  Slot* s = OpenSlot(slot);
  if (s == nullptr) return true;
  if (s->mode != OpenMode::kInput) return s->offset >= FileLength(s->fd);
  return !FillBuffer(*s) && !s->read_error;
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
  const ssize_t done = internal::ReadFull(s->fd, buffer, size, position - 1);
  if (done < 0) return 3;
  if (got != nullptr) *got = static_cast<size_t>(done);
  s->offset = position - 1 + static_cast<int64_t>(size);
  return 0;
}

int PutBytes(int slot, int64_t position, const void* buffer, size_t size) {
  Slot* s = OpenSlot(slot);
  if (s == nullptr || s->mode != OpenMode::kBinary || !ValidRange(position, size)) return 1;
  if (size > 0 && buffer == nullptr) return 1;
  const size_t done = WriteAt(s->fd, buffer, size, position - 1);
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

namespace {

// The part of a temporary file's name that marks it as a save's, between the target's name and
// the random part: ".NAME~maze-save-0123abcd" beside NAME.
constexpr char kSaveMarker[] = "~maze-save-";
constexpr size_t kSaveNameBytes = 100;  // at most this much of the target's name is repeated

// Creates a file that did not exist, beside `path` (in its folder), under a name of the save's
// own; its descriptor (-1 when none can be made) and its path in `temporary`.
int CreateBeside(const std::string& path, std::string& temporary) {
  const size_t slash = path.rfind('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  const std::string stem =
      path.substr(0, base) + "." + path.substr(base, kSaveNameBytes) + kSaveMarker;
  for (int attempt = 0; attempt < 100; ++attempt) {
    uint32_t bits = 0;
    if (::getrandom(&bits, sizeof bits, 0) != sizeof bits)
      bits = static_cast<uint32_t>(::getpid()) * 2654435761u + static_cast<uint32_t>(attempt);
    char suffix[9];
    std::snprintf(suffix, sizeof suffix, "%08x", bits);
    temporary = stem + suffix;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Flushes the folder that holds `path` to disk, so that a rename inside it lasts; best effort.
void SyncFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Writes the new file's bytes, gives it the permission bits of the file it replaces (when
// `old` is not null) and flushes it to disk; 0, or 3 when any of it fails.
int FillNewFile(int fd, std::string_view bytes, const struct stat* old) {
  if (WriteAt(fd, bytes.data(), bytes.size(), 0) != bytes.size()) return 3;
  if (old != nullptr && ::fchmod(fd, old->st_mode & 07777) != 0) return 3;
  return ::fsync(fd) == 0 ? 0 : 3;
}

}  // namespace

int ReplaceFile(const std::string& path, std::string_view bytes) {
  if (path.empty() || HasNul(path)) return 2;
  struct stat old;
  const bool replacing = ::stat(path.c_str(), &old) == 0;
  std::string temporary;
  const int fd = CreateBeside(path, temporary);
  if (fd < 0) return 2;
  int error = FillNewFile(fd, bytes, replacing ? &old : nullptr);
  if (::close(fd) != 0 && error == 0) error = 3;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = 2;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return error;
  }
  SyncFolder(path);
  return 0;
}

bool IsReadableFile(const std::string& path) {
  const int fd = internal::OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::string WhyNotReadable(const std::string& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) {
    const std::string folder = CurDir();
    return "no such file" + (folder.empty() || path.starts_with("/") ? "" : " in " + folder);
  }
  if (S_ISDIR(st.st_mode)) return "a folder, not a file";
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  return "it cannot be read (permission denied)";
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

ssize_t ReadAt(int fd, void* buffer, size_t size, int64_t offset) {
  if (read_budget >= 0 && static_cast<uint64_t>(read_budget) < size) {
    if (read_budget == 0) {
      errno = EIO;
      return -1;
    }
    size = static_cast<size_t>(read_budget);
  }
  ssize_t n;
  do {
    n = ::pread(fd, buffer, size, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  if (n > 0 && read_budget >= 0) read_budget -= n;
  return n;
}

ssize_t ReadFull(int fd, void* buffer, size_t size, int64_t offset) {
  auto* bytes = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ReadAt(fd, bytes + done, size - done, offset + static_cast<int64_t>(done));
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  std::memset(bytes + done, 0, size - done);
  return static_cast<ssize_t>(done);
}

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

void FailReadsAfter(int64_t bytes) {
  read_budget = bytes < 0 ? -1 : bytes;
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
