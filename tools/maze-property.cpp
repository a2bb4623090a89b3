// Reads and changes property text files from the command line, through the property store's own
// load, lookup, set, delete, save and word digest.
//
//   maze-property list FILE | get FILE LABEL | set FILE LABEL VALUE | delete FILE LABEL
//                 | words TEXTFILE
//
// The library's pauses are answered automatically and its console output goes nowhere: there is
// no window. Bad arguments end with exit code 2 and the usage; everything else that fails ends
// with the library's runtime-error report and its number as the exit code.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "Support/File Support.h"
#include "Support/Property Core.h"
#include "platform/headless.h"
#include "platform/runtime.h"
#include "tools/cli.h"

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
    "  --help, --version\n";

[[noreturn]] void Usage(const std::string& problem) {
  cli::Refuse("maze-property", kUsage, problem, 2);
}

// Writes `text` and a line feed to the standard output.
void PrintLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

void PrintRecords(const PROPERTY_STORE& store) {
  for (int32_t i = 0; i <= store.UBound(); ++i) PrintLine(store[i].LABEL + "=" + store[i].VALUE);
}

// Loads FILE into the store; a file that does not exist is an error unless `may_be_new`. A file
// that exists but cannot be read is always one: saving over it would lose it.
void Load(PROPERTY_STORE& store, const std::string& file, bool may_be_new) {
  if (!IS_FILE(file)) {
    if (!may_be_new) RT_ABORT(rt::kFileNotFound);
    return;
  }
  if (access(file.c_str(), R_OK) != 0) RT_ABORT(rt::kFileIOError);
  PROPERTY_DATABASE_LOAD(store, file);
}

// Saves the store to FILE and reads it back: the library's save leaves a file it cannot create
// or replace as it was, which here is an error.
void Save(PROPERTY_STORE& store, const std::string& file) {
  std::string text, saved;
  PROPERTY_DATABASE_EXPORT(store, text);
  PROPERTY_DATABASE_SAVE(store, file);
  PROPERTY_LOAD_RAW_BUFFER(saved, file);
  if (saved != text) RT_ABORT(rt::kFileIOError);
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

// The commands: each takes FILE and its other operands, and returns the exit code.
int List(const std::vector<std::string>& args) {
  PROPERTY_STORE store;
  Load(store, args[0], false);
  PrintRecords(store);
  return 0;
}

int Get(const std::vector<std::string>& args) {
  PROPERTY_STORE store;
  Load(store, args[0], false);
  int32_t where = 0;
  const int32_t found = PROPERTY_BINARY_FIND(store, args[1], where);
  if (found < 0) return 1;
  PrintLine(store[found].VALUE);
  return 0;
}

int Set(const std::vector<std::string>& args) {
  CheckStorable(args[1], args[2]);
  PROPERTY_STORE store;
  Load(store, args[0], true);
  DeleteAll(store, args[1]);
  PROPERTY_DATABASE_SET(store, args[1], args[2]);
  Save(store, args[0]);
  return 0;
}

int Delete(const std::vector<std::string>& args) {
  PROPERTY_STORE store;
  Load(store, args[0], false);
  if (!DeleteAll(store, args[1])) return 1;
  Save(store, args[0]);
  return 0;
}

int Words(const std::vector<std::string>& args) {
  if (!IS_FILE(args[0])) RT_ABORT(rt::kFileNotFound);
  std::string text;
  PROPERTY_LOAD_RAW_BUFFER(text, args[0]);
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
  cli::AnswerHelpAndVersion(argc, argv, "maze-property", kUsage);
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
