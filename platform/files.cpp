// Numbered file slots over C streams, and the file-system services: the readable-file test,
// the working directory, deletion, renaming and the directory search.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/runtime.h"
#include "platform/testing.h"

namespace platform {

namespace {

constexpr int kSlots = 255;

std::FILE* slots[kSlots + 1] = {};  // open streams by slot number; index 0 is never used
long long write_budget = -1;        // bytes that writes may still store, or -1 for no limit

std::FILE* Stream(int slot) {
  return slot >= 1 && slot <= kSlots ? slots[slot] : nullptr;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Seeks to a 1-based byte position; false for positions below 1 or a failed seek.
bool SeekTo(std::FILE* f, int64_t position) {
  return position >= 1 && ::fseeko(f, static_cast<off_t>(position - 1), SEEK_SET) == 0;
}

}  // namespace

void FailWritesAfter(long long bytes) {
  write_budget = bytes < 0 ? -1 : bytes;
}

int FreeFile() {
  for (int slot = 1; slot <= kSlots; ++slot) {
    if (slots[slot] == nullptr) return slot;
  }
  return 0;
}

int Open(int slot, const std::string& path, OpenMode mode) {
  if (slot < 1 || slot > kSlots || slots[slot] != nullptr) return rt::kIllegalFunctionCall;
  if (path.empty() || path.find('\0') != std::string::npos || IsDirectory(path)) {
    return rt::kFileNotFound;
  }
  std::FILE* f = nullptr;
  if (mode == OpenMode::kBinary) {
    f = std::fopen(path.c_str(), "r+b");
    if (f == nullptr && errno == ENOENT) f = std::fopen(path.c_str(), "w+b");
  } else {
    f = std::fopen(path.c_str(), "rb");
  }
  if (f == nullptr) return rt::kFileNotFound;
  slots[slot] = f;
  return 0;
}

int LineInput(int slot, std::string& line) {
  std::FILE* f = Stream(slot);
  if (f == nullptr) return rt::kIllegalFunctionCall;
  line.clear();
  for (int c; (c = std::fgetc(f)) != EOF && c != '\n';) line.push_back(static_cast<char>(c));
  if (std::ferror(f)) return rt::kFileIOError;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return 0;
}

bool Eof(int slot) {
  std::FILE* f = Stream(slot);
  if (f == nullptr) return true;
  const int c = std::fgetc(f);
  if (c == EOF) return true;
  std::ungetc(c, f);
  return false;
}

int64_t Lof(int slot) {
  std::FILE* f = Stream(slot);
  struct stat st;
  if (f == nullptr || std::fflush(f) != 0 || ::fstat(::fileno(f), &st) != 0) return -1;
  return st.st_size;
}

int Get(int slot, int64_t position, void* buffer, size_t size, size_t* got) {
  std::FILE* f = Stream(slot);
  if (got != nullptr) *got = 0;
  if (f == nullptr || !SeekTo(f, position)) return rt::kIllegalFunctionCall;
  const size_t n = std::fread(buffer, 1, size, f);
  if (std::ferror(f)) return rt::kFileIOError;
  std::memset(static_cast<char*>(buffer) + n, 0, size - n);
  if (got != nullptr) *got = n;
  return 0;
}

int PutBytes(int slot, int64_t position, const void* buffer, size_t size) {
  std::FILE* f = Stream(slot);
  if (f == nullptr || !SeekTo(f, position)) return rt::kIllegalFunctionCall;
  size_t allowed = size;
  if (write_budget >= 0 && static_cast<unsigned long long>(write_budget) < size) {
    allowed = static_cast<size_t>(write_budget);
  }
  const size_t n = std::fwrite(buffer, 1, allowed, f);
  if (write_budget >= 0) write_budget -= static_cast<long long>(n);
  return n == size && std::fflush(f) == 0 ? 0 : rt::kFileIOError;
}

int Close(int slot) {
  std::FILE* f = Stream(slot);
  if (f == nullptr) return rt::kIllegalFunctionCall;
  slots[slot] = nullptr;
  return std::fclose(f) == 0 ? 0 : rt::kFileIOError;
}

int Kill(const std::string& path) {
  if (IsDirectory(path)) return rt::kFileNotFound;
  return std::remove(path.c_str()) == 0 ? 0 : rt::kFileNotFound;
}

int Rename(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : rt::kFileIOError;
}

bool IsReadableFile(const std::string& path) {
  if (path.empty() || IsDirectory(path)) return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

std::string CurDir() {
  std::string path(256, '\0');
  while (::getcwd(path.data(), path.size()) == nullptr) {
    if (errno != ERANGE) return "";
    path.resize(path.size() * 2);
  }
  path.resize(std::strlen(path.c_str()));
  return path;
}

int ChDir(const std::string& path) {
  return !path.empty() && ::chdir(path.c_str()) == 0 ? 0 : -1;
}

// ----- directory search -----

namespace {

struct Search {
  DIR* dir = nullptr;
  std::string folder;   // the pattern's folder part with its trailing slash, or empty
  std::string pattern;  // the name part, with * and ?
  int attributes = 0;
};
Search search;  // the search that Dir() continues

// Wildcard match of a whole name: * any run of bytes, ? exactly one byte.
bool Matches(const char* pattern, const char* name) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || *pattern == *name) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

// The attribute bits of a directory entry, from its name and its status.
int AttributesOf(const std::string& path, const char* name) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0) return kAttrSystem;
  int attributes = 0;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= kAttrReadOnly;
  if (name[0] == '.') attributes |= kAttrHidden;
  if (S_ISDIR(st.st_mode)) {
    attributes |= kAttrDirectory;
  } else if (S_ISREG(st.st_mode)) {
    attributes |= kAttrArchive;
  } else {
    attributes |= kAttrSystem;
  }
  return attributes;
}

void EndSearch() {
  if (search.dir != nullptr) ::closedir(search.dir);
  search.dir = nullptr;
}

}  // namespace

std::string Dir(const std::string& pattern, int attributes) {
  EndSearch();
  const size_t slash = pattern.rfind('/');
  search.folder = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
  search.pattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  search.attributes = attributes;
  if (pattern.find('\0') != std::string::npos) return "";
  search.dir = ::opendir(search.folder.empty() ? "." : search.folder.c_str());
  return Dir();
}

std::string Dir() {
  if (search.dir == nullptr) return "";
  while (const dirent* entry = ::readdir(search.dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (!Matches(search.pattern.c_str(), name)) continue;
    if ((AttributesOf(search.folder + name, name) & ~search.attributes) != 0) continue;
    return name;
  }
  EndSearch();
  return "";
}

}  // namespace platform
