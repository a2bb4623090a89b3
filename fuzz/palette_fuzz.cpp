// The palette file: the input becomes the palette file in a scratch folder; VGA_LOAD reads it
// into a table, which is compared with the file format's rules (lines cut at CR LF, a final
// CR LF adding no entry, the double quotes at both ends of a line removed), and VGA_LOOKUP2
// looks up every index 0..255 and indices outside that range, each compared with the entry's
// number or the index itself. Nothing may end the program.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Support/VGA Lookup.h"
#include "fuzz/harness.h"

namespace {

// The entries the file format gives for the file's bytes.
std::vector<std::string> Entries(std::string_view bytes) {
  std::vector<std::string> entries;
  while (!bytes.empty()) {
    const size_t end = bytes.find("\r\n");
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 2);
    while (!line.empty() && line.front() == '"') line.remove_prefix(1);
    while (!line.empty() && line.back() == '"') line.remove_suffix(1);
    entries.emplace_back(line);
  }
  return entries;
}

void CheckTable(const rt::Array<std::string>& table, const std::vector<std::string>& entries) {
  const rt::Where here{__LINE__, "fuzz/palette", "CheckTable"};
  if (entries.empty()) {
    if (table.LBound() != -1 || table.UBound() != -1)
      fuzz::Finding("an empty file fills the table");
    return;
  }
  if (table.LBound() != 0 || table.UBound() != static_cast<int32_t>(entries.size()) - 1)
    fuzz::Finding("table bounds", table.UBound());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (table.At(static_cast<int32_t>(i), here) != entries[i]) fuzz::Finding("entry", long(i));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::InScratchFolder scratch;
  std::filesystem::create_directories("Assets/Property");
  fuzz::Reset();
  fuzz::WriteFile(VGA_TABLE_FILE, bytes);
  const std::vector<std::string> entries = Entries(bytes);
  const int code = fuzz::ExitCodeOf([&] {
    rt::Array<std::string> table;
    VGA_LOAD(table, VGA_TABLE_FILE);
    CheckTable(table, entries);
    rt::Array<std::string> looked_up;
    for (int32_t index : {-1, 256, INT32_MIN, INT32_MAX}) {
      const uint64_t colour = VGA_LOOKUP2(looked_up, index, VGA_TABLE_FILE);
      if (colour != static_cast<uint64_t>(int64_t{index})) fuzz::Finding("index outside", index);
    }
    for (int32_t index = 0; index <= 255; ++index) {
      const uint64_t want = static_cast<size_t>(index) < entries.size()
                                ? rt::ValULongInt(entries[static_cast<size_t>(index)])
                                : static_cast<uint64_t>(index);
      if (VGA_LOOKUP2(looked_up, index, VGA_TABLE_FILE) != want) fuzz::Finding("colour", index);
    }
  });
  fuzz::ExpectExit(code, {-1});
  if (platform::testing::OpenFileCount() != 0) fuzz::Finding("the palette file stays open");
  return 0;
}
