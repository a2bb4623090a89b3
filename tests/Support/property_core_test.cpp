#include "Support/Property Core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

using Labels = std::vector<std::string>;

Labels LabelsOf(const PROPERTY_STORE& db) {
  Labels labels;
  for (int32_t i = 0; i <= db.UBound(); ++i) labels.push_back(db[i].LABEL);
  return labels;
}

// Appends a record without keeping the order, as a text import does.
void Append(PROPERTY_STORE& db, const std::string& label, const std::string& value = "") {
  PROPERTY_INC_CAPACITY(db, 1);
  db[db.UBound()].LABEL = label;
  db[db.UBound()].VALUE = value;
}

void ExpectBogus(const PROPERTY_DB_TYPE& r) {
  EXPECT_TRUE(r.ITERATOR == -1 && r.LABEL.empty() && r.VALUE.empty() && r.IMAGE == nullptr);
}

class PropertyStore : public ::testing::Test {
 protected:
  void TearDown() override { PROPERTY_ERASE(db); }
  PROPERTY_STORE db;
};

TEST(PropertyCompare, UnsignedBytesWithTheShorterPrefixFirst) {
  EXPECT_LT(PROPERTY_COMPARE("Z", "a"), 0);
  EXPECT_LT(PROPERTY_COMPARE("10", "9"), 0);
  EXPECT_LT(PROPERTY_COMPARE("a", "ab"), 0);
  EXPECT_LT(PROPERTY_COMPARE("", "\x01"), 0);
  EXPECT_LT(PROPERTY_COMPARE("z", "\xe9"), 0);
  EXPECT_GT(PROPERTY_COMPARE(std::string_view("a\0", 2), "a"), 0);
  // Against std::string_view, which compares as unsigned char: labels of 0 to 20 bytes over an
  // alphabet with 0 and 255, mostly sharing a prefix, so that the deciding byte falls at every
  // position, within the first 8 bytes and beyond.
  const char alphabet[] = {'\0', '\x01', 'a', 'b', '\x7f', '\x80', '\xff'};
  std::mt19937 random(7);
  std::uniform_int_distribution<int> length(0, 20), letter(0, 6), coin(0, 3);
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (int trial = 0; trial < 20000; ++trial) {
    std::string a, b;
    for (int n = length(random); n > 0; --n) a += alphabet[letter(random)];
    if (coin(random) != 0) b = a.substr(0, static_cast<size_t>(length(random)));
    for (int n = coin(random); n > 0; --n) b += alphabet[letter(random)];
    const int want = sign(std::string_view(a).compare(b));
    ASSERT_EQ(sign(PROPERTY_COMPARE(a, b)), want) << testing::PrintToString(a) << " " << b;
    ASSERT_EQ(sign(PROPERTY_COMPARE(b, a)), -want);
  }
}

TEST_F(PropertyStore, SearchAndInsertionPoints) {
  int32_t where = 99;
  EXPECT_EQ(PROPERTY_BINARY_FIND(db, "a", where), -1);
  EXPECT_EQ(where, 0);
  ExpectBogus(PROPERTY_GET(db, "a"));
  ExpectBogus(PROPERTY_DATABASE_QUERY(db, ""));
  // Sets of b, a, c return 0, 0, 2; a label after every other is appended at n.
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "b", "2"), 0);
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "a", "1"), 0);
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "d", "4"), 2);
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "e", "5"), 3);
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "c", "3"), 2);
  EXPECT_EQ(LabelsOf(db), (Labels{"a", "b", "c", "d", "e"}));
  struct Case {
    const char* label;
    int32_t found, where;  // where stays 7 when the label is found
  };
  for (const Case& c : {Case{"", -1, 0}, Case{"a", 0, 7}, Case{"aa", -1, 1}, Case{"c", 2, 7},
                        Case{"e", 4, 7}, Case{"f", -1, 5}, Case{"B", -1, 0}}) {
    where = 7;
    EXPECT_EQ(PROPERTY_BINARY_FIND(db, c.label, where), c.found) << c.label;
    EXPECT_EQ(where, c.where) << c.label;
    EXPECT_EQ(__GET(db, c.label).LABEL, c.found >= 0 ? c.label : "");
  }
  for (int32_t i = 0; i <= db.UBound(); ++i) EXPECT_EQ(db[i].ITERATOR, -1);
}

TEST_F(PropertyStore, ShuffledFillComesOutSortedAndFindsEveryLabel) {
  Labels labels;
  for (int x = 0; x < 64; x += 2)
    for (int y = 0; y < 64; y += 3) labels.push_back(std::to_string(x) + "," + std::to_string(y));
  labels.push_back("a label longer than eight bytes 1");
  labels.push_back("a label longer than eight bytes 2");
  std::shuffle(labels.begin(), labels.end(), std::mt19937(3));
  for (const std::string& label : labels) PROPERTY_DATABASE_SET(db, label, label);
  std::sort(labels.begin(), labels.end());
  EXPECT_EQ(LabelsOf(db), labels);
  for (const std::string& label : labels) EXPECT_EQ(PROPERTY_GET(db, label).VALUE, label);
  int32_t where = 0;
  EXPECT_EQ(PROPERTY_BINARY_FIND(db, "a label longer than eight bytes 0", where), -1);
  EXPECT_EQ(db[where].LABEL, "a label longer than eight bytes 1");
}

TEST_F(PropertyStore, SetReplacesOnlyTheValueOfAnExistingLabel) {
  PROPERTY_DATABASE_SET(db, "a", "1");
  PROPERTY_DATABASE_SET(db, "b", "2");
  platform::IMAGE* image = platform::ImageCreate(2, 2);
  db[1].IMAGE = image;
  db[1].ITERATOR = 5;
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "b", "new"), 1);
  EXPECT_EQ(db.Count(), 2);
  EXPECT_TRUE(db[1].VALUE == "new" && db[1].IMAGE == image && db[1].ITERATOR == 5);
  // PROPERTY_SET reports the index and the stored record, and leaves the store's ITERATOR.
  const PROPERTY_DB_TYPE replaced = PROPERTY_SET(db, "b", "3");
  EXPECT_TRUE(replaced.ITERATOR == 1 && replaced.VALUE == "3" && replaced.IMAGE == image);
  EXPECT_EQ(db[1].ITERATOR, 5);
  const PROPERTY_DB_TYPE added = PROPERTY_SET(db, "0", "z");
  EXPECT_TRUE(added.ITERATOR == 0 && added.LABEL == "0" && added.VALUE == "z");
}

TEST_F(PropertyStore, IntegerAndImageFormsWriteDecimalText) {
  PROPERTY_DATABASE_SET(db, "neg", -5);
  PROPERTY_DATABASE_SET(db, "zero", 0);
  PROPERTY_DATABASE_SET(db, "min", INT32_MIN);
  PROPERTY_DATABASE_SET(db, "img", reinterpret_cast<const platform::IMAGE*>(123456789012));
  EXPECT_EQ(PROPERTY_GET(db, "neg").VALUE, "-5");
  EXPECT_EQ(PROPERTY_GET(db, "zero").VALUE, "0");
  EXPECT_EQ(PROPERTY_GET(db, "min").VALUE, "-2147483648");
  EXPECT_EQ(PROPERTY_GET(db, "img").VALUE, "123456789012");
  EXPECT_EQ(PROPERTY_GET(db, "img").IMAGE, nullptr);  // the value only, never the image
}

TEST_F(PropertyStore, SetWithTextsTakenFromTheStoreItself) {
  // An insertion moves every record; the texts must be read before that.
  PROPERTY_DATABASE_SET(db, "a", "a value long enough to live on the heap");
  PROPERTY_DATABASE_SET(db, "m", "short");
  PROPERTY_DATABASE_SET(db, "0", db[1].VALUE);
  PROPERTY_DATABASE_SET(db, db[2].VALUE, db[1].VALUE);
  EXPECT_EQ(LabelsOf(db), (Labels{"0", "a", "m", "short"}));
  EXPECT_EQ(db[0].VALUE, "short");
  EXPECT_EQ(db[3].VALUE, "a value long enough to live on the heap");
  const PROPERTY_DB_TYPE set = PROPERTY_SET(db, db[3].VALUE, db[2].VALUE);
  EXPECT_TRUE(set.ITERATOR == 2 && set.LABEL == db[2].LABEL && set.VALUE == "short");
}

TEST_F(PropertyStore, TheUpperMiddleDecidesWhichEqualLabelIsFound) {
  Append(db, "a", "first");
  Append(db, "a", "second");
  EXPECT_EQ(PROPERTY_GET(db, "a").VALUE, "second");
  PROPERTY_ERASE(db);
  for (const char* v : {"a", "b1", "b2", "c"}) Append(db, std::string(v, 1), v);
  EXPECT_EQ(PROPERTY_GET(db, "b").VALUE, "b2");
}

TEST_F(PropertyStore, DeleteLastOnlyAndMissing) {
  for (const char* label : {"a", "b", "c"}) PROPERTY_DATABASE_SET(db, label, label);
  platform::IMAGE* image = platform::ImageCreate(4, 4);
  db[2].IMAGE = image;
  const long live = platform::LiveImageCount();
  EXPECT_EQ(PROPERTY_DATABASE_DELETE(db, "x"), -1);
  EXPECT_EQ(PROPERTY_DATABASE_DELETE(db, "c"), 2);
  EXPECT_EQ(platform::LiveImageCount(), live);  // deletion leaves the image alone
  platform::ImageDestroy(image);
  EXPECT_EQ(PROPERTY_DATABASE_DELETE(db, "a"), 0);
  EXPECT_EQ(LabelsOf(db), (Labels{"b"}));
  EXPECT_TRUE(db[0].VALUE == "b" && db[0].IMAGE == nullptr);
  EXPECT_EQ(PROPERTY_DATABASE_DELETE(db, "b"), 0);
  EXPECT_EQ(db.UBound(), -1);
  int32_t where = 5;
  EXPECT_EQ(PROPERTY_BINARY_FIND(db, "b", where), -1);
  EXPECT_EQ(where, 0);
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "z", ""), 0);
}

TEST_F(PropertyStore, IncCapacityGrowsBlankAndShrinksToEmpty) {
  PROPERTY_INC_CAPACITY(db, 2);
  EXPECT_EQ(db.UBound(), 1);
  EXPECT_TRUE(db[1].ITERATOR == 0 && db[1].LABEL.empty() && db[1].IMAGE == nullptr);
  db[0].LABEL = "kept";
  PROPERTY_INC_CAPACITY(db, -1);
  PROPERTY_INC_CAPACITY(db, 1);
  EXPECT_EQ(LabelsOf(db), (Labels{"kept", ""}));
  PROPERTY_INC_CAPACITY(db, -3);  // two steps empty it; the third is not taken
  EXPECT_EQ(db.UBound(), -1);
  PROPERTY_INC_CAPACITY(db, -1);  // an empty store stays empty
  PROPERTY_INC_CAPACITY(db, INT32_MIN);
  EXPECT_EQ(db.UBound(), -1);
}

TEST_F(PropertyStore, CopiesShareTheImageAndOwnTheirTexts) {
  PROPERTY_DATABASE_SET(db, "tex", "v");
  platform::IMAGE* image = platform::ImageCreate(2, 2);
  db[0].IMAGE = image;
  const long live = platform::LiveImageCount();
  {
    PROPERTY_DB_TYPE copy = PROPERTY_GET(db, "tex");
    EXPECT_TRUE(copy.IMAGE == image && copy.ITERATOR == -1);
    copy.VALUE = "changed";
    PROPERTY_DB_TYPE second = copy;
    second.VALUE += "!";
    EXPECT_TRUE(copy.VALUE == "changed" && second.IMAGE == image);
  }
  EXPECT_EQ(platform::LiveImageCount(), live);
  EXPECT_EQ(db[0].VALUE, "v");
  // Erasing destroys the store's images.
  PROPERTY_DATABASE_SET(db, "plain", "");
  PROPERTY_ERASE(db);
  EXPECT_EQ(platform::LiveImageCount(), live - 1);
  EXPECT_EQ(db.UBound(), -1);
}

TEST_F(PropertyStore, SortIsStableAndSlotsKeepTheirIterators) {
  const char* labels[] = {"c", "a", "b", "a", "Z", "c"};
  for (int i = 0; i < 6; ++i) {
    Append(db, labels[i], std::to_string(i));
    db[i].ITERATOR = 100 + i;
  }
  platform::IMAGE* image = platform::ImageCreate(1, 1);
  db[2].IMAGE = image;
  __SORT(db);
  Labels values;
  for (int32_t i = 0; i <= db.UBound(); ++i) {
    values.push_back(db[i].LABEL + db[i].VALUE);
    EXPECT_EQ(db[i].ITERATOR, 100 + i);
  }
  EXPECT_EQ(values, (Labels{"Z4", "a1", "a3", "b2", "c0", "c5"}));
  EXPECT_EQ(db[3].IMAGE, image);  // the image travels with its record
  PROPERTY_BUBBLE_SORT(db);
  EXPECT_EQ(db[5].VALUE, "5");
}

TEST_F(PropertyStore, StorageGrowsAndShrinksGeometrically) {
  // Appends reallocate a logarithmic number of times, and the storage never exceeds twice the
  // records (four times while shrinking).
  int reallocations = 0;
  for (int i = 0; i < 100000; ++i) {
    const int32_t before = db.Capacity();
    Append(db, "x");
    reallocations += db.Capacity() != before;
  }
  EXPECT_LE(reallocations, 20);
  EXPECT_LE(db.Capacity(), 2 * db.Count());
  while (db.Count() > 1) {
    PROPERTY_INC_CAPACITY(db, -1);
    ASSERT_LE(db.Capacity(), 4 * db.Count());
  }
  EXPECT_EQ(db[0].LABEL, "x");
}

// The records as stored, every field.
std::vector<std::string> Fields(const PROPERTY_STORE& db) {
  std::vector<std::string> fields;
  for (int32_t i = 0; i <= db.UBound(); ++i)
    fields.push_back(std::to_string(db[i].ITERATOR) + " " + db[i].LABEL + "=" + db[i].VALUE + " " +
                     std::to_string(reinterpret_cast<uintptr_t>(db[i].IMAGE)));
  return fields;
}

TEST(PropertyMerge, EndsAsOneSetAndImagePerRecordWould) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> letter('a', 'd'), length(0, 2), count(0, 12);
  auto label = [&] {
    std::string text;
    for (int n = length(random); n > 0; --n) text += static_cast<char>(letter(random));
    return text;
  };
  // Fake image pointers: nothing here destroys images.
  for (int trial = 0; trial < 300; ++trial) {
    PROPERTY_STORE merged, reference, records;
    // Stored labels may repeat, as an import leaves them, and carry images of their own.
    for (int n = count(random); n > 0; --n) {
      const std::string stored = label();
      Append(merged, stored, "old");
      Append(reference, stored, "old");
    }
    PROPERTY_BUBBLE_SORT(merged);
    PROPERTY_BUBBLE_SORT(reference);
    for (int32_t i = 0; i <= merged.UBound(); ++i) {
      merged[i].ITERATOR = reference[i].ITERATOR = i;
      merged[i].IMAGE = reference[i].IMAGE = reinterpret_cast<platform::IMAGE*>(uintptr_t{8});
    }
    // Records without an image set only the value.
    for (int n = count(random); n > 0; --n) {
      const std::string added = label(), value = std::to_string(n);
      auto* image =
          reinterpret_cast<platform::IMAGE*>(uintptr_t{16} * static_cast<uintptr_t>(n % 2 * n));
      Append(records, added, value);
      records[records.UBound()].IMAGE = image;
      const int32_t at = PROPERTY_DATABASE_SET(reference, added, value);
      if (image != nullptr) reference[at].IMAGE = image;
    }
    PROPERTY_DATABASE_MERGE(merged, records);
    ASSERT_EQ(Fields(merged), Fields(reference)) << "trial " << trial;
    EXPECT_EQ(records.Count(), 0);
  }
}

TEST_F(PropertyStore, RequestModes) {
  PROPERTY_DATABASE_SET(db, "a", "1");
  PROPERTY_DATABASE_SET(db, "b", "2");

  PROPERTY_DB_TYPE request{7, "b", "ignored", nullptr};
  PROPERTY_DB_TYPE result = PROPERTY_REQUEST(db, request, 1);
  EXPECT_TRUE(request.VALUE == "2" && request.ITERATOR == -1 && result.VALUE == "2");
  request = PROPERTY_DB_TYPE{7, "missing", "v", reinterpret_cast<platform::IMAGE*>(&db)};
  ExpectBogus(PROPERTY_REQUEST(db, request, 1));
  ExpectBogus(request);  // the caller's record is overwritten by BOGUS

  request = PROPERTY_DB_TYPE{7, "c", "3", nullptr};
  result = PROPERTY_REQUEST(db, request, 2);
  EXPECT_TRUE(request.ITERATOR == 2 && result.ITERATOR == 2 && result.VALUE == "3");
  EXPECT_EQ(PROPERTY_GET(db, "c").VALUE, "3");

  request = PROPERTY_DB_TYPE{7, "a", "", nullptr};
  ExpectBogus(PROPERTY_REQUEST(db, request, 4));
  EXPECT_EQ(request.ITERATOR, 0);
  ExpectBogus(PROPERTY_REQUEST(db, request, 4));
  EXPECT_EQ(request.ITERATOR, -1);
  EXPECT_EQ(LabelsOf(db), (Labels{"b", "c"}));

  for (int32_t mode : {0, 3, 5, -1, 16}) {
    request = PROPERTY_DB_TYPE{9, "b", "x", nullptr};
    result = PROPERTY_REQUEST(db, request, mode);
    EXPECT_TRUE(result.ITERATOR == 9 && result.VALUE == "x" && request.VALUE == "x") << mode;
    EXPECT_EQ(db.Count(), 2);
  }

  const long live = platform::LiveImageCount();
  db[0].IMAGE = platform::ImageCreate(1, 1);
  ExpectBogus(PROPERTY_REQUEST(db, request, 8));
  EXPECT_EQ(db.UBound(), -1);
  EXPECT_EQ(platform::LiveImageCount(), live);
}

}  // namespace
