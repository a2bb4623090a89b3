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

// A store: records at 0..UBound() in label order. The capacity is exactly the record count;
// the store grows and shrinks one record at a time. Records move whole between slots, and a
// slot that a move leaves behind is reset to the blank record.
class PROPERTY_STORE {
 public:
  PROPERTY_STORE() = default;
  PROPERTY_STORE(const PROPERTY_STORE&) = delete;
  PROPERTY_STORE& operator=(const PROPERTY_STORE&) = delete;

  int32_t LBound() const { return 0; }
  int32_t UBound() const { return count_ - 1; }  // -1 when empty
  int32_t Count() const { return count_; }

  // Record i; stops the program with runtime error 6 outside 0..UBound().
  PROPERTY_DB_TYPE& At(int32_t i, const rt::Where& at) {
    if (i < 0 || i >= count_) rt::Abort(rt::kOutOfBounds, at);
    return records_[static_cast<size_t>(i)];
  }
  // Record i without a bounds check (callers that have checked the index).
  PROPERTY_DB_TYPE& operator[](int32_t i) { return records_[static_cast<size_t>(i)]; }
  const PROPERTY_DB_TYPE& operator[](int32_t i) const { return records_[static_cast<size_t>(i)]; }

  // Resizes to exactly `count` records, keeping those that stay in range; new slots are blank.
  // Runs out of memory with runtime error 4 reported at `at`.
  void Resize(int32_t count, const rt::Where& at);

 private:
  std::unique_ptr<PROPERTY_DB_TYPE[]> records_;
  int32_t count_ = 0;
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
