// The property store: a resizable array of label/value records kept in ascending label order
// and searched by binary search. The viewer keeps all world data in two of them (BOARDDB and
// TEXTUREDB); lookups run at every ray step, so the lookup path allocates nothing for labels and
// values of up to 15 bytes and does one binary search and one record copy.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/runtime.h"

// One record. Copying copies both texts and shares the IMAGE pointer; destruction frees the
// texts only, never the image.
struct PROPERTY_DB_TYPE {
  int32_t ITERATOR = 0;  // -1 in inserted records; in returned records the reported index
  std::string LABEL;     // the key
  std::string VALUE;     // the value
  platform::IMAGE* IMAGE = nullptr;  // attached image (textures), may be null
};

// A store: records at 0..UBound() in label order. Its storage grows and shrinks geometrically:
// a growth doubles it (where memory is short, adds at least a sixteenth of it), and once a
// quarter or less of it is in use it is cut to twice the records, so n appends cost O(n) record
// moves. Slots past the last record stay blank.
// Records move whole between slots, and a slot that a move leaves behind is reset to the blank
// record.
class PROPERTY_STORE {
 public:
  PROPERTY_STORE() = default;
  PROPERTY_STORE(const PROPERTY_STORE&) = delete;
  PROPERTY_STORE& operator=(const PROPERTY_STORE&) = delete;

  int32_t LBound() const { return 0; }
  int32_t UBound() const { return count_ - 1; }  // -1 when empty
  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }  // slots allocated, Count() or more
  // Resize calls so far. The store's set of labels changes only through a resize (every insert,
  // delete, append, merge of a new label, erase and load makes one), so what a reader derives
  // from the labels alone needs redoing only once this has moved on.
  uint64_t Resizes() const { return resizes_; }

  // Record i; stops the program with runtime error 6 outside 0..UBound().
  PROPERTY_DB_TYPE& At(int32_t i, const rt::Where& at) {
    if (i < 0 || i >= count_) rt::Abort(rt::kOutOfBounds, at);
    return records_[static_cast<size_t>(i)];
  }
  // Record i without a bounds check (callers that have checked the index).
  PROPERTY_DB_TYPE& operator[](int32_t i) { return records_[static_cast<size_t>(i)]; }
  const PROPERTY_DB_TYPE& operator[](int32_t i) const { return records_[static_cast<size_t>(i)]; }

  // Resizes to exactly `count` records, keeping those that stay in range: new records are blank,
  // dropped ones are reset (their texts released), and an empty store releases its storage. A
  // growth that gets no memory (see Grow) stops the program with runtime error 4 reported at
  // `at`; a shrink that gets none keeps the larger storage.
  void Resize(int32_t count, const rt::Where& at);

 private:
  // Gives the store room for `count` records (more than its capacity): twice the capacity, or
  // where memory is short the largest of 1.5, 1.25, 1.125 and 1.0625 times it that can be had;
  // false when none of them (nor room for exactly `count`) can.
  bool Grow(int32_t count);
  // Moves the records into fresh storage of `capacity` slots; false when there is no memory.
  bool Reallocate(int32_t capacity);

  std::unique_ptr<PROPERTY_DB_TYPE[]> records_;
  int32_t count_ = 0;     // records in use
  int32_t capacity_ = 0;  // slots allocated
  uint64_t resizes_ = 0;  // see Resizes
};

// The record {-1, "", "", null} whose copy every lookup of a missing label returns. Start-up
// sets it; no store operation writes it.
extern PROPERTY_DB_TYPE BOGUS;
// Scratch text of the property text operations, which write it; empty at start-up.
extern std::string PROPERTY_TEXT_BUFFER;
// The one-line report of the last shorthand action: callers pass it to the shorthand
// operations, which replace it; empty at start-up.
extern std::string PROPERTY_ECHO;

// Label order: unsigned bytes, first difference decides, a prefix sorts first. Returns <0, 0, >0.
int PROPERTY_COMPARE(std::string_view a, std::string_view b);

// Index of a record labelled SNAME, or -1; on -1 WHERETOADD receives the insertion point (0..n)
// and is untouched otherwise. Probes the upper middle first, which decides which of two equal
// labels is found.
int32_t PROPERTY_BINARY_FIND(const PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME,
                             int32_t& WHERETOADD);
// A copy of the record labelled SNAME (texts copied, IMAGE shared), or a copy of BOGUS. One
// binary search and one record copy; nothing is allocated for texts of up to 15 bytes.
PROPERTY_DB_TYPE PROPERTY_DATABASE_QUERY(const PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME);
// The same lookup under the names the renderer and the shorthand callers use.
PROPERTY_DB_TYPE PROPERTY_GET(const PROPERTY_STORE& PROPERTY_DB, std::string_view LABEL);
PROPERTY_DB_TYPE __GET(const PROPERTY_STORE& PROPERTY_DB, std::string_view LABEL);

// Stores SVALUE under SNAME (inserting in order or replacing the value); returns the index.
// The integer form writes SVALUE in decimal, the image form the pointer as unsigned decimal
// text; no form touches IMAGE. Growing the store can stop the program with runtime error 4.
int32_t PROPERTY_DATABASE_SET(PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME,
                              std::string_view SVALUE);
int32_t PROPERTY_DATABASE_SET(PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME, int32_t SVALUE);
int32_t PROPERTY_DATABASE_SET(PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME,
                              const platform::IMAGE* SVALUE);
// The record as stored after the set, with ITERATOR = its index.
PROPERTY_DB_TYPE PROPERTY_SET(PROPERTY_STORE& PROPERTY_DB, std::string_view LABEL,
                              std::string_view VALUE);
// Removes the record labelled SNAME (its image is not destroyed); its former index, or -1.
int32_t PROPERTY_DATABASE_DELETE(PROPERTY_STORE& PROPERTY_DB, std::string_view SNAME);
// Adds RECORD after the last record, whatever its label: the store is out of label order until
// it is sorted, or merged into another (records gathered for PROPERTY_DATABASE_MERGE). Runtime
// error 4 when memory runs out.
void PROPERTY_APPEND(PROPERTY_STORE& PROPERTY_DB, PROPERTY_DB_TYPE RECORD);
// Stores every record of RECORDS (in any order) as PROPERTY_DATABASE_SET of its label and value
// followed by writing its IMAGE, when it has one, into the stored record would, one record after
// another: a label listed twice takes its later value and image, a label already stored keeps
// its slot, its ITERATOR and (given no new one) its image, new records get ITERATOR -1, and a
// label stored twice is set in whichever copy each set in turn would find. Costs
// O(n + m log(n + m)) for n records stored and m given, where one set each would move O(n m)
// records; when a given label is stored twice the records are set one after another, at that
// cost. RECORDS ends empty; no image is destroyed, not even one that a later record of the same
// label replaced.
void PROPERTY_DATABASE_MERGE(PROPERTY_STORE& PROPERTY_DB, PROPERTY_STORE& RECORDS);
// Grows (COUNTER > 0) by blank records or shrinks (COUNTER < 0) by |COUNTER| records from the
// end, stopping at the empty store (so an empty store stays empty). Runtime error 4 when memory
// runs out.
void PROPERTY_INC_CAPACITY(PROPERTY_STORE& PROPERTY_DB, int32_t COUNTER);
// Clears every record (texts, ITERATOR -1, image destroyed), last first; the store ends empty.
void PROPERTY_ERASE(PROPERTY_STORE& PROPERTY_DB);
// Stable sort into label order (equal labels keep their order); records move whole except for
// ITERATOR, which stays with its slot.
void PROPERTY_BUBBLE_SORT(PROPERTY_STORE& PROPERTY_DB);
void __SORT(PROPERTY_STORE& PROPERTY_DB);
// Through a request record: 1 overwrites REQUEST with the query of its LABEL and returns it;
// 2 sets its LABEL/VALUE, stores the index in its ITERATOR and returns it; 4 deletes its LABEL,
// stores the former index (or -1) in its ITERATOR and returns BOGUS; 8 erases the store and
// returns BOGUS; any other mode returns REQUEST unchanged.
PROPERTY_DB_TYPE PROPERTY_REQUEST(PROPERTY_STORE& PROPERTY_DB, PROPERTY_DB_TYPE& REQUEST,
                                  int32_t MODE);

// ---------------------------------------------------------------------------------------------
// Text format: one line per record, LABEL "=" VALUE, lines separated by CR LF and no line
// break after the last. Reading splits a line at its first "=", so a label cannot hold "=" and
// a value can; a line without "=" is no record. Line breaks inside values are not escaped, so
// such values do not survive a round trip (a lone CR or LF does). A file holds exactly the
// text's bytes. The pauses below are SIMPLESLEEP with VGA_TABLE, an empty message and palette
// entry 15: they show the work page and wait for a key; Escape or the window-close key there
// ends the program with exit code 0.

// The word file that PROPERTY_DIGEST_WORD writes, relative to the working directory.
inline constexpr char PROPERTY_WORDS_FILE[] = "./Assets (v0x22)/Words.Property";
// The value of a digest record that stands for a line break.
inline constexpr char PROPERTY_CRLF_MARK[] = "{% CRLF %}";

// Appends CR LF to a non-empty BUFFER; returns BUFFER.
std::string& PROPERTY_DB_CRLF_BUFFER(std::string& BUFFER);
// Sorts the store (it stays sorted), then appends each record with a non-empty label and value
// to BUFFER as a line (after a line break when BUFFER already holds text). Returns BUFFER.
std::string& PROPERTY_DATABASE_EXPORT(PROPERTY_STORE& PROPERTY_DB, std::string& BUFFER);
// Replaces the store's contents (images destroyed) with the records of the text in BUFFER, in
// text order and then stably sorted, without a uniqueness check. Each record is printed as
// "LABEL"="VALUE" in light green, followed by a pause. BUFFER is left empty.
void PROPERTY_DATABASE_IMPORT(PROPERTY_STORE& PROPERTY_DB, std::string& BUFFER);
// Pause, export (sorting the store), pause, PROPERTY_SAVE_RAW_BUFFER, pause.
void PROPERTY_DATABASE_SAVE(PROPERTY_STORE& PROPERTY_DB, const std::string& FILENAME);
// Imports the file's text; a missing file leaves the store empty.
void PROPERTY_DATABASE_LOAD(PROPERTY_STORE& PROPERTY_DB, const std::string& FILENAME);
// Replaces FILENAME with a file holding exactly BUFFER's bytes and the old file's permission
// bits. The bytes go to a new temporary file beside it (".FILENAME~maze-save-" and eight random
// hexadecimal digits, the name cut to fit), flushed to disk and renamed over FILENAME, so that
// FILENAME holds the old text or the whole new one at every moment, also when processes save it
// at once. When the temporary file cannot be created (a missing folder, no permission) or cannot
// be renamed (FILENAME is a directory), nothing changes. A failed write removes the temporary
// file and stops the program with runtime error 3 (file I/O error). Nothing else in the folder
// is touched.
void PROPERTY_SAVE_RAW_BUFFER(std::string_view BUFFER, const std::string& FILENAME);
// BUFFER becomes the file's bytes; when FILENAME is no readable file BUFFER is left unchanged.
// A failed read stops the program with runtime error 3.
void PROPERTY_LOAD_RAW_BUFFER(std::string& BUFFER, const std::string& FILENAME);
// Replaces the store's contents with the words of the running text in BUFFER, cut at each blank
// and each CR LF (a line break also gives a record of its own with the value
// PROPERTY_CRLF_MARK; two adjacent separators give an empty value). The records are labelled
// 1, 2, ... in upper-case hexadecimal, sorted as text (1, 10, 11, ..., 1F, 2, 20, ...), and
// saved with PROPERTY_DATABASE_SAVE to PROPERTY_WORDS_FILE. BUFFER is left empty.
void PROPERTY_DIGEST_WORD(PROPERTY_STORE& PROPERTY_DB, std::string& BUFFER);

// ---------------------------------------------------------------------------------------------
// Listings on the screen

// Lists every record in the store's current order (not sorted first) as LABEL "=" VALUE CR LF,
// wraps the listing into BUFF with TEXT_BOX_STRING for a 40 x 30 box and renders it into IMAGE
// with TEXT_BOX_RENDER (releasing a previous IMAGE first), clears the work page, blends IMAGE
// onto it at (0, 0) and pauses. BUFF and IMAGE stay with the caller, who releases IMAGE.
// Without a window the drawing stops the program with runtime error 1.
void PROPERTY_SHOW_ARRAY(const PROPERTY_STORE& PROPERTY_DB, std::string& BUFF,
                         platform::IMAGE*& IMAGE);
// PROPERTY_SHOW_ARRAY with a text and an image of its own, both released afterwards.
void PROPERTY_SHOW_ARRAY_DIRECT(const PROPERTY_STORE& PROPERTY_DB);
// Prints the line ‹LBound: "0" To UBound: "n"› in opaque red, n the upper bound (-1 when empty).
void PROPERTY_SHOW_ARRAY_BOUNDS(const PROPERTY_STORE& PROPERTY_DB);
