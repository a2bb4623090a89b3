// Reads and changes property text files from the command line, through the property store's own
// import, lookup, set, delete, export and word digest.
//
//   maze-property list FILE | get FILE LABEL | set FILE LABEL VALUE | delete FILE LABEL
//                 | words TEXTFILE
//
// Nothing is ever lost: a file that cannot be read, a special file or a file the user may not
// write is refused and left as it was; writers of one file take turns through a lock on it; a
// save replaces the file whole (or, to keep its hard links or owner, rewrites it in place after
// reserving the room). A file of lines (LF line ends and no CR LF, as a parameter file or a
// texture list) is edited line by line, keeping every other line, its order and its line ends.
//
// The library's pauses are answered automatically and its console output goes nowhere: there is
// no window. Bad arguments end with exit code 2 and the usage; everything else that fails ends
// with a line naming the file and the cause, the library's runtime-error report and its number as
// the exit code.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "Support/Property Core.h"
#include "platform/headless.h"
#include "platform/runtime.h"
#include "tools/cli.h"
#include "tools/safe_file.h"

static constexpr char MODULE_NAME[] = "tools/maze-property";

namespace {

constexpr char kUsage[] =
    "usage: maze-property list FILE\n"
    "       maze-property get FILE LABEL\n"
    "       maze-property set FILE LABEL VALUE\n"
    "       maze-property delete FILE LABEL\n"
    "       maze-property words TEXTFILE\n"
    "Reads and changes property text files: one LABEL=VALUE record a line, lines joined by CR LF.\n"
    "  list    prints the records in label order, one LABEL=VALUE a line\n"
    "  get     prints the value of LABEL; exit code 1 and no output when it has none\n"
    "  set     stores VALUE under LABEL (once) and saves the file in label order; a file that\n"
    "          does not exist is created\n"
    "  delete  removes every record of LABEL and saves the file; exit code 1 when there is none\n"
    "  words   cuts the text at blanks and CR LF and prints the words and line breaks,\n"
    "          numbered in hexadecimal, in label order\n"
    "A file of lines (LF line ends, no CR LF) keeps its order: list prints its lines as they\n"
    "stand, get the value of the last line of LABEL, set rewrites every line of LABEL (or adds\n"
    "one at the end) and delete removes them; every other byte stays. A link is followed: the\n"
    "file it names is changed.\n"
    "  --help, --version (as the first word)\n";

constexpr auto kLockWait = std::chrono::seconds(10);  // the longest wait for another writer
constexpr auto kLockPoll = std::chrono::milliseconds(2);

using Clock = std::chrono::steady_clock;

[[noreturn]] void Usage(const std::string& problem) {
  cli::Refuse("maze-property", kUsage, problem, 2);
}

// Names FILE and what is wrong with it on the standard error stream, then ends the program with
// runtime error `code` reported at `at`.
[[noreturn]] void Refuse(int code, const std::string& file, const std::string& why,
                         const rt::Where& at) {
  std::fprintf(stderr, "maze-property: %s: %s\n", file.c_str(), why.c_str());
  rt::Abort(code, at);
}

std::string Cause(int error) {
  return std::strerror(error);
}

// What a file that is no regular file is.
std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "no regular file";
}

// Writes `text` and a line feed to the standard output.
void PrintLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

// ---------------------------------------------------------------------------------------------
// The file, opened and locked

// A regular file, open and locked, as it was when the lock was taken.
struct Opened {
  int fd = -1;
  std::string path;  // the file itself, links followed
  struct stat st = {};
};

// The file that FILE names: a symbolic link is followed to its target.
std::string Resolve(const std::string& file) {
  struct stat st;
  if (::lstat(file.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return file;
  char* real = ::realpath(file.c_str(), nullptr);
  if (real == nullptr) {
    const int error = errno;
    Refuse(error == ENOENT ? rt::kFileNotFound : rt::kFileIOError, file,
           "a link to a file that cannot be reached (" + Cause(error) + ")", RT_HERE);
  }
  std::string path = real;
  std::free(real);
  return path;
}

// Takes the lock of `fd`, shared or exclusive, waiting for another holder until `deadline`.
void Lock(int fd, bool exclusive, Clock::time_point deadline, const std::string& file) {
  while (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR)
      Refuse(rt::kFileIOError, file, "cannot be locked (" + Cause(errno) + ")", RT_HERE);
    if (Clock::now() >= deadline)
      Refuse(rt::kFileIOError, file, "another program kept it locked for 10 seconds", RT_HERE);
    std::this_thread::sleep_for(kLockPoll);
  }
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens FILE for reading (`write` false, shared lock) or for changing it (exclusive lock);
// with `may_create` a missing file is made, empty. Another writer may replace the file while
// this one waits for its lock, so the lock counts only once the name still leads to the locked
// file.
Opened Open(const std::string& file, bool write, bool may_create) {
  Opened opened;
  opened.path = Resolve(file);
  const char* path = opened.path.c_str();
  const Clock::time_point deadline = Clock::now() + kLockWait;
  for (;;) {
    struct stat before;
    const bool exists = ::lstat(path, &before) == 0;
    if (!exists && errno != ENOENT) Refuse(rt::kFileIOError, file, Cause(errno), RT_HERE);
    if (!exists && !may_create) Refuse(rt::kFileNotFound, file, "no such file", RT_HERE);
    if (exists && !S_ISREG(before.st_mode))
      Refuse(rt::kFileIOError, file, "is " + KindOf(before.st_mode) + ", not a property text",
             RT_HERE);
    if (exists && write && (before.st_mode & 0222) == 0)
      Refuse(rt::kFileIOError, file, "is read-only (its mode grants nobody writing)", RT_HERE);
    const int flags = (write ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC |
                      (exists ? 0 : O_CREAT | O_EXCL);
    opened.fd = ::open(path, flags, safe_file::NewFileMode());
    if (opened.fd < 0) {
      const bool raced = exists ? errno == ENOENT || errno == ELOOP : errno == EEXIST;
      if (raced && Clock::now() < deadline) continue;
      Refuse(rt::kFileIOError, file, Cause(errno), RT_HERE);
    }
    Lock(opened.fd, write, deadline, file);
    struct stat now;
    if (::fstat(opened.fd, &opened.st) != 0) Refuse(rt::kFileIOError, file, Cause(errno), RT_HERE);
    if (!S_ISREG(opened.st.st_mode))
      Refuse(rt::kFileIOError, file, "is " + KindOf(opened.st.st_mode) + ", not a property text",
             RT_HERE);
    if (::lstat(path, &now) == 0 && SameFile(now, opened.st)) break;
    ::close(opened.fd);  // replaced while this one waited: lock the file that is there now
  }
  return opened;
}

// The whole content of the open file; a failing read is runtime error 3.
std::string ReadAll(const Opened& opened, const std::string& file) {
  std::string text;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(opened.fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Refuse(rt::kFileIOError, file, "cannot be read (" + Cause(errno) + ")", RT_HERE);
    if (n == 0) return text;
    text.append(chunk, static_cast<size_t>(n));
  }
}

// Rewrites the open file in place: the room is reserved first, so that a full disk leaves the
// old text whole.
void RewriteInPlace(const Opened& opened, std::string_view bytes, const std::string& file) {
  const off_t size = static_cast<off_t>(bytes.size());
  const int reserved = size > opened.st.st_size ? ::posix_fallocate(opened.fd, 0, size) : 0;
  if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL)
    Refuse(rt::kFileIOError, file, "cannot be saved (" + Cause(reserved) + ")", RT_HERE);
  if (::lseek(opened.fd, 0, SEEK_SET) != 0 || !safe_file::WriteAll(opened.fd, bytes) ||
      ::ftruncate(opened.fd, size) != 0 || ::fsync(opened.fd) != 0)
    Refuse(rt::kFileIOError, file, "cannot be saved (" + Cause(errno) + ")", RT_HERE);
}

// Saves `bytes` as the open file's new content, keeping its mode, owner and hard links: a file
// of one link is replaced whole by a new one; one with more links, or whose owner a new file
// could not get, is rewritten in place.
void Save(const Opened& opened, std::string_view bytes, const std::string& file) {
  if (opened.st.st_nlink == 1) {
    const bool foreign = opened.st.st_uid != ::geteuid() || opened.st.st_gid != ::getegid();
    const int error = safe_file::Replace(opened.path, bytes, opened.st.st_mode & 07777,
                                         foreign ? &opened.st : nullptr);
    if (error == 0) return;
    if (error != EPERM && error != EACCES)
      Refuse(rt::kFileIOError, file, "cannot be saved (" + Cause(error) + ")", RT_HERE);
  }
  RewriteInPlace(opened, bytes, file);
}

// ---------------------------------------------------------------------------------------------
// Files of lines

// A file of lines: LF line ends and not one CR LF, where the library's format would read the
// whole file as one record.
bool IsLineFile(std::string_view text) {
  return text.find('\n') != std::string_view::npos && text.find("\r\n") == std::string_view::npos;
}

// The lines of `text`, each with its line feed (the last may have none).
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

// The line without its line feed.
std::string_view Bare(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  return line;
}

// Whether the line is a record of `label`: it starts with the label and "=".
bool HoldsLabel(std::string_view line, std::string_view label) {
  return line.size() > label.size() && line.substr(0, label.size()) == label &&
         line[label.size()] == '=';
}

// The text with every line of `label` rewritten to `label=value` (removed when `value` is
// null); a missing label gets a line at the end. `changed` tells whether a line held it.
std::string EditLines(std::string_view text, std::string_view label, const std::string* value,
                      bool& changed) {
  std::string out;
  changed = false;
  for (std::string_view line : Lines(text)) {
    if (!HoldsLabel(line, label)) {
      out += line;
      continue;
    }
    changed = true;
    if (value != nullptr)
      out.append(label).append("=").append(*value).append(line.substr(Bare(line).size()));
  }
  if (!changed && value != nullptr) {
    const bool ended = text.empty() || text.back() == '\n';
    out.append(ended ? "" : "\n")
        .append(label)
        .append("=")
        .append(*value)
        .append(ended ? "\n" : "");
  }
  return out;
}

void CheckLineStorable(const std::string& label, const std::string* value) {
  if (label.find('\n') != std::string::npos ||
      (value != nullptr && value->find('\n') != std::string::npos))
    Usage("LABEL and VALUE must not hold a line feed in a file of lines");
}

// ---------------------------------------------------------------------------------------------
// The commands

void PrintRecords(const PROPERTY_STORE& store) {
  for (int32_t i = 0; i <= store.UBound(); ++i) PrintLine(store[i].LABEL + "=" + store[i].VALUE);
}

// The file's text, read under a shared lock.
std::string ReadFile(const std::string& file) {
  const Opened opened = Open(file, false, false);
  std::string text = ReadAll(opened, file);
  ::close(opened.fd);
  return text;
}

// Removes every record labelled LABEL; false when there was none.
bool DeleteAll(PROPERTY_STORE& store, const std::string& label) {
  bool deleted = false;
  while (PROPERTY_DATABASE_DELETE(store, label) >= 0) deleted = true;
  return deleted;
}

// A label or value that the text format cannot hold: a label with "=", either with CR LF, or
// an empty one (the save leaves records with an empty label or value out).
void CheckStorable(const std::string& label, const std::string& value) {
  if (label.empty() || value.empty()) Usage("LABEL and VALUE must not be empty");
  if (label.find('=') != std::string::npos) Usage("LABEL must not hold \"=\"");
  if (label.find("\r\n") != std::string::npos || value.find("\r\n") != std::string::npos)
    Usage("LABEL and VALUE must not hold CR LF");
}

// Sets (`value` not null) or deletes LABEL in FILE under the file's lock; false when a delete
// found nothing to remove.
bool Change(const std::string& file, const std::string& label, const std::string* value) {
  const Opened opened = Open(file, true, value != nullptr);
  std::string text = ReadAll(opened, file);
  std::string saved;
  bool changed = false;
  if (IsLineFile(text)) {
    CheckLineStorable(label, value);
    saved = EditLines(text, label, value, changed);
  } else {
    PROPERTY_STORE store;
    PROPERTY_DATABASE_IMPORT(store, text);
    changed = DeleteAll(store, label);
    if (value != nullptr) PROPERTY_DATABASE_SET(store, label, *value);
    PROPERTY_DATABASE_EXPORT(store, saved);
  }
  if (value != nullptr || changed) Save(opened, saved, file);
  ::close(opened.fd);
  return value != nullptr || changed;
}

int List(const std::vector<std::string>& args) {
  std::string text = ReadFile(args[0]);
  if (IsLineFile(text)) {
    for (std::string_view line : Lines(text))
      if (Bare(line).find('=') != std::string_view::npos) PrintLine(Bare(line));
    return 0;
  }
  PROPERTY_STORE store;
  PROPERTY_DATABASE_IMPORT(store, text);
  PrintRecords(store);
  return 0;
}

int Get(const std::vector<std::string>& args) {
  std::string text = ReadFile(args[0]);
  const std::string& label = args[1];
  if (IsLineFile(text)) {
    const std::vector<std::string_view> lines = Lines(text);
    const auto last = std::find_if(lines.rbegin(), lines.rend(),
                                   [&](std::string_view line) { return HoldsLabel(line, label); });
    if (last == lines.rend()) return 1;
    PrintLine(Bare(*last).substr(label.size() + 1));
    return 0;
  }
  PROPERTY_STORE store;
  PROPERTY_DATABASE_IMPORT(store, text);
  int32_t where = 0;
  const int32_t found = PROPERTY_BINARY_FIND(store, label, where);
  if (found < 0) return 1;
  PrintLine(store[found].VALUE);
  return 0;
}

int Set(const std::vector<std::string>& args) {
  CheckStorable(args[1], args[2]);
  Change(args[0], args[1], &args[2]);
  return 0;
}

int Delete(const std::vector<std::string>& args) {
  return Change(args[0], args[1], nullptr) ? 0 : 1;
}

int Words(const std::vector<std::string>& args) {
  std::string text = ReadFile(args[0]);
  PROPERTY_STORE store;
  PROPERTY_DIGEST_WORD(store, text);
  PrintRecords(store);
  return 0;
}

struct Command {
  const char* name;
  size_t operands;  // FILE included
  int (*run)(const std::vector<std::string>& operands);
};

constexpr Command kCommands[] = {
    {"list", 1, List}, {"get", 2, Get}, {"set", 3, Set}, {"delete", 2, Delete}, {"words", 1, Words},
};

}  // namespace

int main(int argc, char** argv) {
  // Only the first word may be an option: a label or value such as --help is data.
  cli::AnswerHelpAndVersion(std::min(argc, 2), argv, "maze-property", kUsage);
  if (argc < 2) Usage("no command");
  const std::string name = argv[1];
  const std::vector<std::string> operands(argv + 2, argv + argc);
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    if (operands.size() != command.operands) Usage("wrong number of operands for " + name);
    platform::headless::SetAutoAnswer(" ");
    const int code = command.run(operands);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) RT_ABORT(rt::kFileIOError);
    return code;
  }
  Usage("unknown command: " + name);
}
