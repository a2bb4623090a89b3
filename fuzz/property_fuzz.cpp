// The property text format: the input is imported as a property text (PROPERTY_DATABASE_IMPORT),
// loaded from a file (PROPERTY_DATABASE_LOAD) and digested into words (PROPERTY_DIGEST_WORD,
// which saves them to the word file), on a 64 x 64 window with every pause answered. Each store
// is compared with the format's rules: the lines cut at CR LF, the records those holding "=",
// cut at the first "=", stably sorted by label; the digest's words and line breaks numbered in
// hexadecimal. An export read back gives the same records, less those with an empty label or
// value, and the word file holds exactly the export of the digest. The input's records merged
// into the imported store at once give what adding them in turn gives. Nothing may end the
// program.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Support/File Support.h"
#include "Support/Property Core.h"
#include "fuzz/harness.h"

namespace {

using Records = std::vector<std::pair<std::string, std::string>>;

// The next line of `text` (up to the first CR LF), which is then cut off.
std::string_view NextLine(std::string_view& text) {
  const size_t end = text.find("\r\n");
  const std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 2);
  return line;
}

void SortByLabel(Records& records) {
  std::stable_sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
    return PROPERTY_COMPARE(a.first, b.first) < 0;
  });
}

Records ImportedRecords(std::string_view text) {
  Records records;
  while (!text.empty()) {
    const std::string_view line = NextLine(text);
    const size_t equals = line.find('=');
    if (equals != std::string_view::npos)
      records.emplace_back(line.substr(0, equals), line.substr(equals + 1));
  }
  SortByLabel(records);
  return records;
}

Records DigestRecords(std::string_view text) {
  Records records;
  const auto add = [&records](std::string_view value) {
    records.emplace_back(rt::Hex(static_cast<uint32_t>(records.size() + 1)), value);
  };
  while (!text.empty()) {
    const size_t line_break = text.find("\r\n"), blank = text.find(' ');
    if (line_break != std::string_view::npos && line_break < blank) {
      add(text.substr(0, line_break));
      text.remove_prefix(line_break + 2);
      add(PROPERTY_CRLF_MARK);
    } else {
      add(text.substr(0, blank));
      text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
    }
  }
  SortByLabel(records);
  return records;
}

Records Contents(const PROPERTY_STORE& store) {
  Records records;
  for (int32_t i = 0; i < store.Count(); ++i) records.emplace_back(store[i].LABEL, store[i].VALUE);
  return records;
}

void Expect(const PROPERTY_STORE& store, const Records& want, const char* what) {
  if (Contents(store) != want) fuzz::Finding(what, store.Count());
  for (int32_t i = 0; i < store.Count(); ++i) {
    if (store[i].ITERATOR != -1 || store[i].IMAGE != nullptr) fuzz::Finding(what, i);
  }
}

// Export, then import again: the records with a non-empty label and value come back.
void CheckRoundTrip(PROPERTY_STORE& store) {
  Records kept;
  for (auto& record : Contents(store)) {
    if (!record.first.empty() && !record.second.empty()) kept.push_back(record);
  }
  std::string text;
  PROPERTY_DATABASE_EXPORT(store, text);
  PROPERTY_DATABASE_IMPORT(store, text);
  Expect(store, kept, "the export read back");
}

// A stand-in image pointer for the merge check; nothing dereferences or destroys it.
platform::IMAGE* FakeImage(int32_t n) {
  return reinterpret_cast<platform::IMAGE*>(uintptr_t{16} * static_cast<uintptr_t>(n + 1));
}

// The input's records merged at once into the imported store (whose labels may repeat) must
// give the store that adding them one after another gives. The added records come in the
// input's order, every third labelled by its value (mostly new labels), every other with an
// image; the stored records have images and their index as ITERATOR.
void CheckMerge(const PROPERTY_STORE& imported, std::string_view text) {
  PROPERTY_STORE merged, in_turn, records;
  for (int32_t i = 0; i < imported.Count(); ++i) {
    const PROPERTY_DB_TYPE stored{i, imported[i].LABEL, imported[i].VALUE, FakeImage(i)};
    PROPERTY_APPEND(merged, stored);
    PROPERTY_APPEND(in_turn, stored);
  }
  for (int32_t n = 0; !text.empty(); ++n) {
    const std::string_view line = NextLine(text);
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string value(line.substr(equals + 1));
    PROPERTY_DB_TYPE record{-1, n % 3 == 2 ? value : std::string(line.substr(0, equals)),
                            value + "+", n % 2 == 1 ? FakeImage(-n - 2) : nullptr};
    const int32_t at = PROPERTY_DATABASE_SET(in_turn, record.LABEL, record.VALUE);
    if (record.IMAGE != nullptr) in_turn[at].IMAGE = record.IMAGE;
    PROPERTY_APPEND(records, std::move(record));
  }
  PROPERTY_DATABASE_MERGE(merged, records);
  if (merged.Count() != in_turn.Count()) fuzz::Finding("the merge's count", merged.Count());
  for (int32_t i = 0; i < merged.Count(); ++i) {
    const PROPERTY_DB_TYPE &a = merged[i], &b = in_turn[i];
    if (a.LABEL != b.LABEL || a.VALUE != b.VALUE || a.ITERATOR != b.ITERATOR || a.IMAGE != b.IMAGE)
      fuzz::Finding("the merge against adding in turn", i);
  }
}

void Run(std::string_view bytes) {
  if (platform::ScreenRes(64, 64, 32, 2, 0) != 0) fuzz::Finding("no 64 x 64 window");
  platform::PageSet(1, 0);
  PROPERTY_STORE store;
  std::string buffer(bytes);
  PROPERTY_DATABASE_IMPORT(store, buffer);
  if (!buffer.empty()) fuzz::Finding("the import leaves text behind");
  Expect(store, ImportedRecords(bytes), "PROPERTY_DATABASE_IMPORT");
  CheckMerge(store, bytes);
  CheckRoundTrip(store);

  fuzz::WriteFile("in.property", bytes);
  PROPERTY_DATABASE_LOAD(store, "in.property");
  Expect(store, ImportedRecords(bytes), "PROPERTY_DATABASE_LOAD");

  buffer.assign(bytes);
  PROPERTY_DIGEST_WORD(store, buffer);
  Expect(store, DigestRecords(bytes), "PROPERTY_DIGEST_WORD");
  std::string saved, exported;
  if (!ReadFileBytes(PROPERTY_WORDS_FILE, saved, rt::Where{__LINE__, "fuzz/property", "Run"}))
    fuzz::Finding("no word file");
  if (saved != PROPERTY_DATABASE_EXPORT(store, exported)) fuzz::Finding("the word file");
  PROPERTY_ERASE(store);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::InScratchFolder scratch;
  std::filesystem::create_directories("Assets (v0x22)");
  fuzz::Reset();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fuzz::ExpectExit(fuzz::ExitCodeOf([bytes] { Run(bytes); }), {-1});
  if (platform::testing::OpenFileCount() != 0) fuzz::Finding("a file stays open");
  return 0;
}
