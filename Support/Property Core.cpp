#include "Support/Property Core.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "Support/File Support.h"
#include "Support/Memory Management.h"
#include "Support/Simple Input.h"
#include "Support/Text Box.h"
#include "Support/VGA Lookup.h"

static constexpr char MODULE_NAME[] = "Support/Property Core";

PROPERTY_DB_TYPE BOGUS{-1, "", "", nullptr};
std::string PROPERTY_TEXT_BUFFER;
std::string PROPERTY_ECHO;

bool PROPERTY_STORE::Reallocate(int32_t capacity) {
  std::unique_ptr<PROPERTY_DB_TYPE[]> fresh(new (std::nothrow)
                                                PROPERTY_DB_TYPE[static_cast<size_t>(capacity)]);
  if (!fresh) return false;
  std::move(records_.get(), records_.get() + count_, fresh.get());
  records_ = std::move(fresh);
  capacity_ = capacity;
  return true;
}

bool PROPERTY_STORE::Grow(int32_t count) {
  // Doubling first; where that finds no memory, growths of a half, a quarter, ... a sixteenth,
  // each still a fixed fraction of the store, so that appends stay linear in every case.
  for (int shift = 0; shift <= 4; ++shift) {
    const int64_t step = std::max<int64_t>(capacity_ >> shift, int64_t{count} - capacity_);
    if (Reallocate(static_cast<int32_t>(std::min<int64_t>(capacity_ + step, INT32_MAX))))
      return true;
    if (capacity_ + step <= count) return false;  // not even the records themselves fit
  }
  return false;
}

void PROPERTY_STORE::Resize(int32_t count, const rt::Where& at) {
  ++resizes_;
  if (count <= 0) {
    records_.reset();
    count_ = capacity_ = 0;
    return;
  }
  if (count > capacity_) {
    if (!Grow(count)) rt::Abort(rt::kOutOfMemory, at);
    count_ = count;  // the slots past the old records are blank
    return;
  }
  for (int32_t i = count; i < count_; ++i) records_[static_cast<size_t>(i)] = PROPERTY_DB_TYPE{};
  count_ = count;
  if (count <= capacity_ / 4) Reallocate(2 * count);
}

// ---------------------------------------------------------------------------------------------
// Lookup

// The first 8 bytes of a text (fewer when it is shorter) as a big-endian number padded with
// zero bytes. When the heads of two texts differ, they order the texts as the label order does:
// the first differing byte decides, and where one text has ended its padding 0 is below the
// other's byte. Equal heads leave the rest and the lengths to decide. Reads only bytes of the
// text, with fixed-size loads, and needs no branch that depends on the bytes themselves.
[[gnu::always_inline]] static inline uint64_t Load(const char* p, int bytes) {
  uint64_t v = 0;
  std::memcpy(&v, p, static_cast<size_t>(bytes));
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  return v >> (64 - 8 * bytes);
}

[[gnu::always_inline]] static inline uint64_t Head(std::string_view text) {
  const size_t n = text.size();
  const char* p = text.data();
  if (n >= 8) return Load(p, 8);
  if (n >= 4) {
    // Two 4-byte loads that overlap in the middle (their common bytes agree).
    return Load(p, 4) << 32 | Load(p + n - 4, 4) << (64 - 8 * n);
  }
  uint64_t head = 0;
  for (size_t i = 0; i < n; ++i) head |= uint64_t{static_cast<unsigned char>(p[i])} << (56 - 8 * i);
  return head;
}

// Order of two texts whose heads are equal.
static int CompareAfterHead(std::string_view a, std::string_view b) {
  if (a.size() > 8 && b.size() > 8) {
    const size_t common = (a.size() < b.size() ? a.size() : b.size()) - 8;
    // memcmp compares as unsigned char, which is the label order.
    if (const int order = std::memcmp(a.data() + 8, b.data() + 8, common)) return order;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int PROPERTY_COMPARE(std::string_view a, std::string_view b) {
  const uint64_t ha = Head(a), hb = Head(b);
  if (ha != hb) return ha < hb ? -1 : 1;
  return CompareAfterHead(a, b);
}

// The search of PROPERTY_BINARY_FIND, inlined into the lookups.
[[gnu::always_inline]] static inline int32_t Find(const PROPERTY_STORE& PROPERTY_DB,
                                                  std::string_view SNAME, int32_t& WHERETOADD) {
  const uint64_t head = Head(SNAME);
  int32_t lo = 0, hi = PROPERTY_DB.UBound();
  while (lo <= hi) {
    // The upper middle, (lo + hi + 1) / 2, written so that it cannot overflow.
    const int32_t md = lo + (hi - lo + 1) / 2;
    const std::string& label = PROPERTY_DB[md].LABEL;
    const uint64_t probe = Head(label);
    int order = head < probe ? -1 : 1;
    if (head == probe) [[unlikely]] {
      order = CompareAfterHead(SNAME, label);
      if (order == 0) return md;
    }
    if (order > 0) {
      lo = md + 1;
    } else {
      hi = md - 1;
    }
  }
  WHERETOADD = lo;
  return -1;
}

int32_t PROPERTY_BINARY_FIND(const PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME,
                             int32_t& WHERETOADD) {
  return Find(PROPERTY_DB, SNAME, WHERETOADD);
}

// The lookup of PROPERTY_DATABASE_QUERY and PROPERTY_GET, inlined into both.
[[gnu::always_inline]] static inline PROPERTY_DB_TYPE Query(const PROPERTY_STORE& PROPERTY_DB,
                                                            std::string_view SNAME) {
  int32_t where = 0;
  const int32_t i = Find(PROPERTY_DB, SNAME, where);
  if (i >= 0) return PROPERTY_DB[i];
  // A copy of BOGUS; its texts are empty as a rule, and empty texts need no copying.
  if (BOGUS.LABEL.empty() && BOGUS.VALUE.empty())
    return PROPERTY_DB_TYPE{BOGUS.ITERATOR, {}, {}, BOGUS.IMAGE};
  return BOGUS;
}

PROPERTY_DB_TYPE PROPERTY_DATABASE_QUERY(const PROPERTY_STORE& PROPERTY_DB,
                                         std::string_view SNAME) {
  return Query(PROPERTY_DB, SNAME);
}

PROPERTY_DB_TYPE PROPERTY_GET(const PROPERTY_STORE& PROPERTY_DB, std::string_view LABEL) {
  return Query(PROPERTY_DB, LABEL);
}

PROPERTY_DB_TYPE __GET(const PROPERTY_STORE& PROPERTY_DB, std::string_view LABEL) {
  return PROPERTY_GET(PROPERTY_DB, LABEL);
}

// ---------------------------------------------------------------------------------------------
// Insertion and deletion

int32_t PROPERTY_DATABASE_SET(PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME,
                              std::string_view SVALUE) {
  int32_t where = 0;
  const int32_t found = PROPERTY_BINARY_FIND(PROPERTY_DB, SNAME, where);
  if (found >= 0) {
    PROPERTY_DB[found].VALUE.assign(SVALUE.data(), SVALUE.size());
    return found;
  }
  // The texts are taken before the store moves, since they may lie inside one of its records.
  std::string label(SNAME), value(SVALUE);
  const int32_t last = PROPERTY_DB.UBound();
  PROPERTY_INC_CAPACITY(PROPERTY_DB, 1);
  for (int32_t i = last; i >= where; --i) PROPERTY_DB[i + 1] = std::move(PROPERTY_DB[i]);
  PROPERTY_DB_TYPE& slot = PROPERTY_DB[where];
  slot = PROPERTY_DB_TYPE{};
  slot.ITERATOR = -1;
  slot.LABEL = std::move(label);
  slot.VALUE = std::move(value);
  return where;
}

int32_t PROPERTY_DATABASE_SET(PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME, int32_t SVALUE) {
  return PROPERTY_DATABASE_SET(PROPERTY_DB, SNAME, rt::Str(SVALUE));
}

int32_t PROPERTY_DATABASE_SET(PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME,
                              const platform::IMAGE* SVALUE) {
  return PROPERTY_DATABASE_SET(PROPERTY_DB, SNAME, rt::StrAddress(SVALUE));
}

PROPERTY_DB_TYPE PROPERTY_SET(PROPERTY_STORE& PROPERTY_DB, std::string_view LABEL,
                              std::string_view VALUE) {
  PROPERTY_DB_TYPE result;
  result.LABEL.assign(LABEL.data(), LABEL.size());  // before the store moves (LABEL may be in it)
  result.ITERATOR = PROPERTY_DATABASE_SET(PROPERTY_DB, LABEL, VALUE);
  const PROPERTY_DB_TYPE& stored = PROPERTY_DB[result.ITERATOR];
  result.VALUE = stored.VALUE;
  result.IMAGE = stored.IMAGE;
  return result;
}

int32_t PROPERTY_DATABASE_DELETE(PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME) {
  int32_t where = 0;
  const int32_t found = PROPERTY_BINARY_FIND(PROPERTY_DB, SNAME, where);
  if (found < 0) return -1;
  const int32_t last = PROPERTY_DB.UBound();
  PROPERTY_DB[found].LABEL.clear();
  PROPERTY_DB[found].VALUE.clear();
  for (int32_t i = found; i < last; ++i) PROPERTY_DB[i] = std::move(PROPERTY_DB[i + 1]);
  PROPERTY_DB[last] = PROPERTY_DB_TYPE{};
  PROPERTY_INC_CAPACITY(PROPERTY_DB, -1);
  return found;
}

void PROPERTY_APPEND(PROPERTY_STORE& PROPERTY_DB, PROPERTY_DB_TYPE RECORD) {
  PROPERTY_INC_CAPACITY(PROPERTY_DB, 1);
  PROPERTY_DB[PROPERTY_DB.UBound()] = std::move(RECORD);
}

namespace {

// Stores one record as adding it alone does: its value is set, and its image, when it has one,
// replaces the stored one.
void ADDINTURN(PROPERTY_STORE& PROPERTY_DB, const PROPERTY_DB_TYPE& RECORD) {
  const int32_t at = PROPERTY_DATABASE_SET(PROPERTY_DB, RECORD.LABEL, RECORD.VALUE);
  if (RECORD.IMAGE != nullptr) PROPERTY_DB[at].IMAGE = RECORD.IMAGE;
}

// True when a label of RECORDS is stored more than once (an import keeps duplicates): which of
// the copies a set finds then depends on the store's size at that moment.
bool HITSDUPLICATE(const PROPERTY_STORE& PROPERTY_DB, const PROPERTY_STORE& RECORDS) {
  for (int32_t i = 0; i < RECORDS.Count(); ++i) {
    int32_t where = 0;
    const std::string& label = RECORDS[i].LABEL;
    const int32_t found = PROPERTY_BINARY_FIND(PROPERTY_DB, label, where);
    if (found < 0) continue;
    if ((found > 0 && PROPERTY_DB[found - 1].LABEL == label) ||
        (found < PROPERTY_DB.UBound() && PROPERTY_DB[found + 1].LABEL == label)) {
      return true;
    }
  }
  return false;
}

}  // namespace

void PROPERTY_DATABASE_MERGE(PROPERTY_STORE& PROPERTY_DB, PROPERTY_STORE& RECORDS) {
  if (HITSDUPLICATE(PROPERTY_DB, RECORDS)) {
    for (int32_t i = 0; i < RECORDS.Count(); ++i) ADDINTURN(PROPERTY_DB, RECORDS[i]);
    RECORDS.Resize(0, RT_HERE);
    return;
  }
  PROPERTY_BUBBLE_SORT(RECORDS);
  // Of each run of equal labels the last value and the last image given count. Labels already
  // stored take them in place; the others are gathered at the front of RECORDS, in label order.
  int32_t added = 0;
  platform::IMAGE* image = nullptr;  // the last image given in the current run
  for (int32_t i = 0; i < RECORDS.Count(); ++i) {
    PROPERTY_DB_TYPE& record = RECORDS[i];
    if (record.IMAGE != nullptr) image = record.IMAGE;
    if (i + 1 < RECORDS.Count() && RECORDS[i + 1].LABEL == record.LABEL) continue;
    record.IMAGE = image;
    image = nullptr;
    int32_t where = 0;
    const int32_t found = PROPERTY_BINARY_FIND(PROPERTY_DB, record.LABEL, where);
    if (found >= 0) {
      ADDINTURN(PROPERTY_DB, record);
    } else {
      if (added != i) std::swap(RECORDS[added], record);
      ++added;
    }
  }
  // Merged in from the back, so that every record moves once.
  int32_t from = PROPERTY_DB.UBound(), to = PROPERTY_DB.UBound() + added;
  PROPERTY_INC_CAPACITY(PROPERTY_DB, added);
  for (int32_t next = added - 1; next >= 0; --to) {
    if (from >= 0 && PROPERTY_COMPARE(PROPERTY_DB[from].LABEL, RECORDS[next].LABEL) > 0) {
      PROPERTY_DB[to] = std::move(PROPERTY_DB[from--]);
    } else {
      PROPERTY_DB[to] = std::move(RECORDS[next--]);
      PROPERTY_DB[to].ITERATOR = -1;
    }
  }
  RECORDS.Resize(0, RT_HERE);  // the images now belong to PROPERTY_DB or stay as they were
}

void PROPERTY_INC_CAPACITY(PROPERTY_STORE& PROPERTY_DB, int32_t COUNTER) {
  // Growing or shrinking one record at a time ends in the same store as one exact resize;
  // shrinking stops at the empty store, so a negative count on an empty store does nothing.
  const int64_t wanted = int64_t{PROPERTY_DB.Count()} + COUNTER;
  if (wanted > INT32_MAX) rt::Abort(rt::kOutOfMemory, RT_HERE);
  PROPERTY_DB.Resize(static_cast<int32_t>(wanted < 0 ? 0 : wanted), RT_HERE);
}

// Clears every record, the last first (texts emptied, image destroyed, ITERATOR -1), then
// releases the storage: the same end as removing each record right after clearing it.
void PROPERTY_ERASE(PROPERTY_STORE& PROPERTY_DB) {
  for (int32_t i = PROPERTY_DB.UBound(); i >= 0; --i) {
    PROPERTY_DB_TYPE& record = PROPERTY_DB[i];
    record.LABEL.clear();
    record.VALUE.clear();
    record.IMAGE = IMAGEDESTROY2(record.IMAGE);
    record.ITERATOR = -1;
  }
  PROPERTY_DB.Resize(0, RT_HERE);
}

// ---------------------------------------------------------------------------------------------
// Sorting

static bool LabelBefore(const PROPERTY_DB_TYPE& a, const PROPERTY_DB_TYPE& b) {
  return PROPERTY_COMPARE(a.LABEL, b.LABEL) < 0;
}

// A stable merge sort, which ends in the same order as exchanging neighbours until no pair is
// out of order; a sorted store costs one pass. Records move whole, but each slot keeps its
// ITERATOR.
void PROPERTY_BUBBLE_SORT(PROPERTY_STORE& PROPERTY_DB) {
  const int32_t count = PROPERTY_DB.Count();
  if (count < 2) return;
  PROPERTY_DB_TYPE* first = &PROPERTY_DB[0];
  PROPERTY_DB_TYPE* end = first + count;
  if (std::is_sorted(first, end, LabelBefore)) return;
  std::unique_ptr<int32_t[]> iterators(new (std::nothrow) int32_t[static_cast<size_t>(count)]);
  if (!iterators) RT_ABORT(rt::kOutOfMemory);
  for (int32_t i = 0; i < count; ++i) iterators[static_cast<size_t>(i)] = first[i].ITERATOR;
  std::stable_sort(first, end, LabelBefore);
  for (int32_t i = 0; i < count; ++i) first[i].ITERATOR = iterators[static_cast<size_t>(i)];
}

void __SORT(PROPERTY_STORE& PROPERTY_DB) {
  PROPERTY_BUBBLE_SORT(PROPERTY_DB);
}

// ---------------------------------------------------------------------------------------------
// Requests

PROPERTY_DB_TYPE PROPERTY_REQUEST(PROPERTY_STORE& PROPERTY_DB, PROPERTY_DB_TYPE& REQUEST,
                                  int32_t MODE) {
  switch (MODE) {
    case 1:
      REQUEST = PROPERTY_DATABASE_QUERY(PROPERTY_DB, REQUEST.LABEL);
      return REQUEST;
    case 2:
      REQUEST.ITERATOR = PROPERTY_DATABASE_SET(PROPERTY_DB, REQUEST.LABEL, REQUEST.VALUE);
      return REQUEST;
    case 4:
      REQUEST.ITERATOR = PROPERTY_DATABASE_DELETE(PROPERTY_DB, REQUEST.LABEL);
      return BOGUS;
    case 8:
      PROPERTY_ERASE(PROPERTY_DB);
      return BOGUS;
    default:
      return REQUEST;
  }
}

// ---------------------------------------------------------------------------------------------
// Text format

namespace {

constexpr char kLineBreak[] = "\r\n";
constexpr uint32_t kImportColour = 0xFF3FFF3F;  // light green
constexpr uint32_t kBoundsColour = 0xFFFF0000;  // opaque red
constexpr int32_t kListingColumns = 40, kListingRows = 30;

// The pause of the text and listing operations: empty message, palette entry 15.
void Pause() {
  std::string message;
  SIMPLESLEEP(VGA_TABLE, message, 15);
}

// The next line of TEXT from AT on: up to the next CR LF, or to the end when there is none.
// AT moves past the line and its line break.
std::string_view NextLine(std::string_view TEXT, size_t& AT) {
  const size_t line_break = TEXT.find(kLineBreak, AT);
  const size_t end = line_break == std::string_view::npos ? TEXT.size() : line_break;
  const std::string_view line = TEXT.substr(AT, end - AT);
  AT = line_break == std::string_view::npos ? TEXT.size() : line_break + 2;
  return line;
}

// Appends the records of the words and line-break marks of a running text, in text order, each
// labelled with its number in hexadecimal. Each separator is searched for once past the one
// last found, so the whole text is read once.
void AppendWords(PROPERTY_STORE& PROPERTY_DB, std::string_view TEXT) {
  size_t at = 0, blank = TEXT.find(' '), line_break = TEXT.find(kLineBreak);
  const auto append = [&PROPERTY_DB](std::string_view word) {
    PROPERTY_APPEND(PROPERTY_DB, {-1, rt::Hex(static_cast<uint32_t>(PROPERTY_DB.Count()) + 1),
                                  std::string(word), nullptr});
  };
  while (at < TEXT.size()) {
    if (blank < at) blank = TEXT.find(' ', at);
    if (line_break < at) line_break = TEXT.find(kLineBreak, at);
    const size_t end = std::min({blank, line_break, TEXT.size()});
    append(TEXT.substr(at, end - at));
    if (end == line_break) {
      append(PROPERTY_CRLF_MARK);
      at = end + 2;
    } else {
      at = end + 1;  // past the blank, or past the end
    }
  }
}

}  // namespace

std::string& PROPERTY_DB_CRLF_BUFFER(std::string& BUFFER) {
  if (!BUFFER.empty()) BUFFER += kLineBreak;
  return BUFFER;
}

std::string& PROPERTY_DATABASE_EXPORT(PROPERTY_STORE& PROPERTY_DB, std::string& BUFFER) {
  PROPERTY_BUBBLE_SORT(PROPERTY_DB);
  for (int32_t i = 0; i <= PROPERTY_DB.UBound(); ++i) {
    const PROPERTY_DB_TYPE& record = PROPERTY_DB[i];
    if (record.LABEL.empty() || record.VALUE.empty()) continue;
    PROPERTY_DB_CRLF_BUFFER(BUFFER).append(record.LABEL).append("=").append(record.VALUE);
  }
  return BUFFER;
}

void PROPERTY_DATABASE_IMPORT(PROPERTY_STORE& PROPERTY_DB, std::string& BUFFER) {
  // The text is taken over first: BUFFER is consumed, and it may be a text of the store.
  const std::string text = std::move(BUFFER);
  BUFFER.clear();
  PROPERTY_ERASE(PROPERTY_DB);
  for (size_t at = 0; at < text.size();) {
    const std::string_view line = NextLine(text, at);
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view label = line.substr(0, equals), value = line.substr(equals + 1);
    PROPERTY_APPEND(PROPERTY_DB, {-1, std::string(label), std::string(value), nullptr});
    platform::Color(kImportColour);
    std::string shown = "\"";
    shown.append(label).append("\"=\"").append(value).append("\"");
    platform::Print(shown);
    Pause();
  }
  PROPERTY_BUBBLE_SORT(PROPERTY_DB);
}

void PROPERTY_DATABASE_SAVE(PROPERTY_STORE& PROPERTY_DB, const std::string& FILENAME) {
  RT_PROCEDURE;
  Pause();
  std::string buffer;
  PROPERTY_DATABASE_EXPORT(PROPERTY_DB, buffer);
  Pause();
  PROPERTY_SAVE_RAW_BUFFER(buffer, FILENAME);
  Pause();
}

void PROPERTY_DATABASE_LOAD(PROPERTY_STORE& PROPERTY_DB, const std::string& FILENAME) {
  RT_PROCEDURE;
  std::string buffer;
  PROPERTY_LOAD_RAW_BUFFER(buffer, FILENAME);
  PROPERTY_DATABASE_IMPORT(PROPERTY_DB, buffer);
}

// FILENAME is replaced by BUFFER as a whole, or left as it was when no file can take its place.
void PROPERTY_SAVE_RAW_BUFFER(std::string_view BUFFER, const std::string& FILENAME) {
  RT_PROCEDURE;
  if (platform::ReplaceFile(FILENAME, BUFFER) == rt::kFileIOError) RT_ABORT(rt::kFileIOError);
}

// BUFFER becomes the bytes of FILENAME, or stays as it was when that is no file to read.
void PROPERTY_LOAD_RAW_BUFFER(std::string& BUFFER, const std::string& FILENAME) {
  RT_PROCEDURE;
  if (!IS_FILE(FILENAME)) return;
  std::string bytes;
  if (ReadFileBytes(FILENAME, bytes, RT_HERE)) BUFFER = std::move(bytes);
}

void PROPERTY_DIGEST_WORD(PROPERTY_STORE& PROPERTY_DB, std::string& BUFFER) {
  const std::string text = std::move(BUFFER);
  BUFFER.clear();
  PROPERTY_ERASE(PROPERTY_DB);
  // The texts of the records and of the saved file are allocated as they go.
  try {
    AppendWords(PROPERTY_DB, text);
    PROPERTY_BUBBLE_SORT(PROPERTY_DB);
    PROPERTY_DATABASE_SAVE(PROPERTY_DB, PROPERTY_WORDS_FILE);
  } catch (const std::bad_alloc&) {
    RT_ABORT(rt::kOutOfMemory);
  }
}

// ---------------------------------------------------------------------------------------------
// Listings

void PROPERTY_SHOW_ARRAY(const PROPERTY_STORE& PROPERTY_DB, std::string& BUFF,
                         platform::IMAGE*& IMAGE) {
  BUFF.clear();
  IMAGE = IMAGEDESTROY2(IMAGE);
  std::string listing;
  for (int32_t i = 0; i <= PROPERTY_DB.UBound(); ++i)
    listing.append(PROPERTY_DB[i].LABEL)
        .append("=")
        .append(PROPERTY_DB[i].VALUE)
        .append(kLineBreak);
  BUFF = TEXT_BOX_STRING(listing, kListingColumns, kListingRows);
  IMAGE = TEXT_BOX_RENDER(BUFF, kListingColumns, kListingRows, 0);
  platform::Cls();
  RT_CHECK(platform::Put(nullptr, 0, 0, IMAGE));
  Pause();
}

void PROPERTY_SHOW_ARRAY_DIRECT(const PROPERTY_STORE& PROPERTY_DB) {
  std::string BUFF;
  platform::IMAGE* IMAGE = nullptr;
  PROPERTY_SHOW_ARRAY(PROPERTY_DB, BUFF, IMAGE);
  BUFF.clear();
  IMAGE = IMAGEDESTROY2(IMAGE);
}

void PROPERTY_SHOW_ARRAY_BOUNDS(const PROPERTY_STORE& PROPERTY_DB) {
  platform::Color(kBoundsColour);
  std::string line = "LBound: \"";
  line.append(rt::Str(PROPERTY_DB.LBound())).append("\" To UBound: \"");
  line.append(rt::Str(PROPERTY_DB.UBound())).append("\"");
  platform::Print(line);
}
