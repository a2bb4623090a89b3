#include "Support/VGA Lookup.h"

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "Support/File Support.h"

static constexpr char MODULE_NAME[] = "Support/VGA Lookup";

rt::Array<std::string> VGA_TABLE;

namespace {

// The line with every leading and trailing double quote removed.
std::string_view StripQuotes(std::string_view line) {
  const size_t first = line.find_first_not_of('"');
  if (first == std::string_view::npos) return {};
  return line.substr(first, line.find_last_not_of('"') - first + 1);
}

// The quote-stripped lines of a file's bytes, split at CR LF; a final CR LF adds no line.
std::vector<std::string> SplitEntries(std::string_view bytes) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    entries.emplace_back(StripQuotes(bytes.substr(start, end - start)));
    start = end + 2;
  }
  return entries;
}

}  // namespace

void VGA_LOAD(rt::Array<std::string>& TABLE, const std::string& FILENAME) {
  RT_PROCEDURE;
  TABLE.Redim(-1, -1, RT_HERE);
  if (!IS_FILE(FILENAME)) return;
  std::string RESERVEBUFFER;
  if (!ReadFileBytes(FILENAME, RESERVEBUFFER, RT_HERE)) return;
  std::vector<std::string> entries;
  try {
    entries = SplitEntries(RESERVEBUFFER);
  } catch (const std::bad_alloc&) {
    RT_ABORT(rt::kOutOfMemory);
  }
  if (entries.empty()) return;
  if (entries.size() > static_cast<size_t>(INT32_MAX)) RT_ABORT(rt::kOutOfMemory);
  TABLE.Redim(0, static_cast<int32_t>(entries.size()) - 1, RT_HERE);
  for (int32_t i = 0; i <= TABLE.UBound(); ++i)
    TABLE.At(i, RT_HERE) = std::move(entries[static_cast<size_t>(i)]);
}

uint64_t VGA_LOOKUP2(rt::Array<std::string>& TABLE, int32_t INDEX, const std::string& FILENAME) {
  if (TABLE.UBound() == -1) VGA_LOAD(TABLE, FILENAME);
  const uint64_t itself = static_cast<uint64_t>(static_cast<int64_t>(INDEX));
  if (INDEX < 0 || INDEX > 255) return itself;
  if (INDEX < TABLE.LBound() || INDEX > TABLE.UBound()) return itself;
  return rt::ValULongInt(TABLE.At(INDEX, RT_HERE));
}

uint64_t VGA_LOOKUP(int32_t INDEX) {
  rt::Array<std::string> fresh;
  return VGA_LOOKUP2(fresh, INDEX, VGA_TABLE_FILE);
}

platform::IMAGE* VGA_TEST(rt::Array<std::string>& TABLE) {
  platform::IMAGE* IMG = platform::ImageCreate(256, 256, 0x00000000u, 32);
  if (!IMG) RT_ABORT(rt::kOutOfMemory);
  // The pixels are stored as they are, not blended: each row must hold its own alpha even
  // when the window blends its drawing primitives.
  for (int32_t INDEX = 0; INDEX <= 255; ++INDEX) {
    const uint32_t CRGB =
        static_cast<uint32_t>(VGA_LOOKUP2(TABLE, INDEX, VGA_TABLE_FILE)) & 0x00FFFFFFu;
    for (uint32_t ALPHA = 0; ALPHA <= 255; ++ALPHA)
      IMG->Row(ALPHA)[INDEX] = CRGB | ((255u - ALPHA) << platform::kShiftX);
  }
  return IMG;
}
