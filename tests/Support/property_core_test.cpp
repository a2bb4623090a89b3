#include "Support/Property Core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

// The labels of a store in slot order.
std::vector<std::string> Labels(const PROPERTY_STORE& db) {
  std::vector<std::string> labels;
  for (int32_t i = 0; i <= db.UBound(); ++i) labels.push_back(db[i].LABEL);
  return labels;
}

// Appends records without keeping the order, as a text import does.
void Append(PROPERTY_STORE& db, std::string label, std::string value = "") {
  PROPERTY_INC_CAPACITY(db, 1);
  db[db.UBound()].LABEL = std::move(label);
  db[db.UBound()].VALUE = std::move(value);
}

void ExpectBogus(const PROPERTY_DB_TYPE& record) {
  EXPECT_EQ(record.ITERATOR, -1);
  EXPECT_EQ(record.LABEL, "");
  EXPECT_EQ(record.VALUE, "");
  EXPECT_EQ(record.IMAGE, nullptr);
}

class PropertyStore : public ::testing::Test {
 protected:
  void TearDown() override { PROPERTY_ERASE(db); }
  PROPERTY_STORE db;
};

TEST(PropertyCompare, UnsignedBytesAndShorterPrefixFirst) {
  EXPECT_LT(PROPERTY_COMPARE("Z", "a"), 0);
  EXPECT_LT(PROPERTY_COMPARE("B", "a"), 0);
  EXPECT_LT(PROPERTY_COMPARE("10", "9"), 0);
  EXPECT_LT(PROPERTY_COMPARE("10,3", "2,3"), 0);
  EXPECT_LT(PROPERTY_COMPARE("a", "ab"), 0);
  EXPECT_GT(PROPERTY_COMPARE("ab", "a"), 0);
  EXPECT_LT(PROPERTY_COMPARE("", "a"), 0);
  EXPECT_EQ(PROPERTY_COMPARE("", ""), 0);
  EXPECT_EQ(PROPERTY_COMPARE("12,5", "12,5"), 0);
  // Bytes above 127 sort after ASCII, and a 0 byte is an ordinary byte.
  EXPECT_LT(PROPERTY_COMPARE("z", "\xe9"), 0);
  EXPECT_LT(PROPERTY_COMPARE(std::string_view("a\0b", 3), std::string_view("a\x01", 2)), 0);
  EXPECT_GT(PROPERTY_COMPARE(std::string_view("a\0", 2), "a"), 0);
}

TEST(PropertyCompare, AgreesWithUnsignedByteOrderOnEveryLength) {
  // Labels of 0 to 20 bytes from a small alphabet with the extreme bytes, so that long shared
  // prefixes, zero bytes and differences at every position (within the first 8 bytes and
  // beyond) all occur. std::string_view compares its bytes as unsigned char.
  const char alphabet[] = {'\0', '\x01', 'a', 'b', '\x7f', '\x80', '\xff'};
  std::mt19937 random(7);
  std::uniform_int_distribution<int> length(0, 20), letter(0, 6), coin(0, 3);
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (int trial = 0; trial < 20000; ++trial) {
    std::string a, b;
    for (int n = length(random); n > 0; --n) a += alphabet[letter(random)];
    // Mostly a variant of a, so that the two share a prefix.
    b = coin(random) == 0 ? std::string() : a.substr(0, static_cast<size_t>(length(random)));
    for (int n = coin(random); n > 0; --n) b += alphabet[letter(random)];
    ASSERT_EQ(sign(PROPERTY_COMPARE(a, b)), sign(std::string_view(a).compare(b)))
        << testing::PrintToString(a) << " vs " << testing::PrintToString(b);
    ASSERT_EQ(sign(PROPERTY_COMPARE(b, a)), -sign(std::string_view(a).compare(b)));
  }
}

TEST_F(PropertyStore, FindsEveryLabelOfAShuffledFill) {
  std::vector<std::string> labels;
  for (int x = 0; x < 64; x += 2)
    for (int y = 0; y < 64; y += 3) labels.push_back(std::to_string(x) + "," + std::to_string(y));
  labels.push_back("a label longer than eight bytes 1");
  labels.push_back("a label longer than eight bytes 2");
  std::mt19937 random(3);
  std::shuffle(labels.begin(), labels.end(), random);
  for (const std::string& label : labels) PROPERTY_DATABASE_SET(db, label, label);
  std::sort(labels.begin(), labels.end());
  EXPECT_EQ(Labels(db), labels);
  for (const std::string& label : labels) EXPECT_EQ(PROPERTY_GET(db, label).VALUE, label);
  int32_t where = 0;
  EXPECT_EQ(PROPERTY_BINARY_FIND(db, "1,1", where), -1);
  EXPECT_EQ(db[where - 1].LABEL, "0,9");  // digits sort as text
  EXPECT_EQ(db[where].LABEL, "10,0");
  EXPECT_EQ(PROPERTY_BINARY_FIND(db, "a label longer than eight bytes 0", where), -1);
  EXPECT_EQ(db[where].LABEL, "a label longer than eight bytes 1");
}

TEST_F(PropertyStore, EmptyStoreFindsNothingAndInsertsAtZero) {
  EXPECT_EQ(db.LBound(), 0);
  EXPECT_EQ(db.UBound(), -1);
  int32_t where = 99;
  EXPECT_EQ(PROPERTY_BINARY_FIND(db, "a", where), -1);
  EXPECT_EQ(where, 0);
  ExpectBogus(PROPERTY_DATABASE_QUERY(db, "a"));
  ExpectBogus(PROPERTY_GET(db, ""));
  ExpectBogus(__GET(db, "a"));
}

TEST_F(PropertyStore, InsertionPointsAndFoundIndices) {
  for (const char* label : {"b", "d", "f"}) PROPERTY_DATABASE_SET(db, label, "");
  struct Case {
    const char* label;
    int32_t found, where;
  };
  for (const Case& c :
       {Case{"a", -1, 0}, Case{"b", 0, 7}, Case{"c", -1, 1}, Case{"d", 1, 7}, Case{"e", -1, 2},
        Case{"f", 2, 7}, Case{"g", -1, 3}, Case{"", -1, 0}, Case{"bb", -1, 1}}) {
    int32_t where = 7;
    EXPECT_EQ(PROPERTY_BINARY_FIND(db, c.label, where), c.found) << c.label;
    EXPECT_EQ(where, c.where) << c.label;  // left untouched (7) when found
  }
}

TEST_F(PropertyStore, SetKeepsOrderAndReturnsIndices) {
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "b", "2"), 0);
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "a", "1"), 0);
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "c", "3"), 2);
  EXPECT_EQ(Labels(db), (std::vector<std::string>{"a", "b", "c"}));
  // Greater than every label: appended at n.
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "d", "4"), 3);
  EXPECT_EQ(db.UBound(), 3);
  for (const char* label : {"9", "10", "Z", "ab", "10,3", "2,3"})
    PROPERTY_DATABASE_SET(db, label, "");
  EXPECT_EQ(Labels(db),
            (std::vector<std::string>{"10", "10,3", "2,3", "9", "Z", "a", "ab", "b", "c", "d"}));
  for (int32_t i = 0; i <= db.UBound(); ++i) EXPECT_EQ(db[i].ITERATOR, -1);
}

TEST_F(PropertyStore, SetOfAnExistingLabelReplacesOnlyTheValue) {
  PROPERTY_DATABASE_SET(db, "a", "1");
  PROPERTY_DATABASE_SET(db, "b", "2");
  platform::IMAGE* image = platform::ImageCreate(2, 2);
  db[1].IMAGE = image;
  db[1].ITERATOR = 5;
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "b", "new"), 1);
  EXPECT_EQ(db.Count(), 2);
  EXPECT_EQ(db[1].VALUE, "new");
  EXPECT_EQ(db[1].IMAGE, image);
  EXPECT_EQ(db[1].ITERATOR, 5);
}

TEST_F(PropertyStore, IntegerAndImageForms) {
  PROPERTY_DATABASE_SET(db, "neg", -5);
  PROPERTY_DATABASE_SET(db, "zero", 0);
  PROPERTY_DATABASE_SET(db, "min", INT32_MIN);
  auto* image = reinterpret_cast<const platform::IMAGE*>(uintptr_t{123456789012});
  PROPERTY_DATABASE_SET(db, "img", image);
  PROPERTY_DATABASE_SET(db, "null", static_cast<const platform::IMAGE*>(nullptr));
  EXPECT_EQ(PROPERTY_GET(db, "neg").VALUE, "-5");
  EXPECT_EQ(PROPERTY_GET(db, "zero").VALUE, "0");
  EXPECT_EQ(PROPERTY_GET(db, "min").VALUE, "-2147483648");
  EXPECT_EQ(PROPERTY_GET(db, "img").VALUE, "123456789012");
  EXPECT_EQ(PROPERTY_GET(db, "img").IMAGE, nullptr);  // the value only, never the image
  EXPECT_EQ(PROPERTY_GET(db, "null").VALUE, "0");
}

TEST_F(PropertyStore, SetWithTextsTakenFromTheStoreItself) {
  PROPERTY_DATABASE_SET(db, "a", "a value long enough to live on the heap");
  PROPERTY_DATABASE_SET(db, "m", "short");
  // Inserting moves every record; the texts are read before that.
  PROPERTY_DATABASE_SET(db, "0", db[1].VALUE);
  PROPERTY_DATABASE_SET(db, db[2].VALUE, db[1].VALUE);
  EXPECT_EQ(Labels(db), (std::vector<std::string>{"0", "a", "m", "short"}));
  EXPECT_EQ(db[0].VALUE, "short");
  EXPECT_EQ(db[3].VALUE, "a value long enough to live on the heap");
  const PROPERTY_DB_TYPE set = PROPERTY_SET(db, db[3].VALUE, db[2].VALUE);
  EXPECT_EQ(set.LABEL, "a value long enough to live on the heap");
  EXPECT_EQ(set.VALUE, "short");
  EXPECT_EQ(set.ITERATOR, 2);
}

TEST_F(PropertyStore, PropertySetReturnsTheStoredRecordWithItsIndex) {
  PROPERTY_DATABASE_SET(db, "b", "2");
  platform::IMAGE* image = platform::ImageCreate(1, 1);
  db[0].IMAGE = image;
  const PROPERTY_DB_TYPE added = PROPERTY_SET(db, "a", "1");
  EXPECT_EQ(added.ITERATOR, 0);
  EXPECT_EQ(added.LABEL, "a");
  EXPECT_EQ(added.VALUE, "1");
  EXPECT_EQ(added.IMAGE, nullptr);
  const PROPERTY_DB_TYPE replaced = PROPERTY_SET(db, "b", "3");
  EXPECT_EQ(replaced.ITERATOR, 1);
  EXPECT_EQ(replaced.VALUE, "3");
  EXPECT_EQ(replaced.IMAGE, image);
  EXPECT_EQ(db[1].ITERATOR, -1);  // the store's own ITERATOR is not touched
}

TEST_F(PropertyStore, WhichOfTwoEqualLabelsIsFound) {
  // The upper middle is probed first.
  Append(db, "a", "first");
  Append(db, "a", "second");
  EXPECT_EQ(PROPERTY_GET(db, "a").VALUE, "second");
  PROPERTY_ERASE(db);
  for (const char* v : {"a", "b1", "b2", "c"}) Append(db, std::string(v, 1), v);
  int32_t where = 0;
  EXPECT_EQ(PROPERTY_BINARY_FIND(db, "b", where), 2);
  EXPECT_EQ(PROPERTY_GET(db, "b").VALUE, "b2");
  PROPERTY_ERASE(db);
  for (const char* v : {"a0", "a1", "a2", "a3"}) Append(db, std::string(v, 1), v);
  EXPECT_EQ(PROPERTY_GET(db, "a").VALUE, "a2");
}

TEST_F(PropertyStore, DeleteLastOnlyAndMissing) {
  for (const char* label : {"a", "b", "c"}) PROPERTY_DATABASE_SET(db, label, label);
  EXPECT_EQ(PROPERTY_DATABASE_DELETE(db, "x"), -1);
  EXPECT_EQ(db.Count(), 3);
  EXPECT_EQ(PROPERTY_DATABASE_DELETE(db, "c"), 2);
  EXPECT_EQ(Labels(db), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(PROPERTY_DATABASE_DELETE(db, "a"), 0);
  EXPECT_EQ(Labels(db), (std::vector<std::string>{"b"}));
  EXPECT_EQ(db[0].VALUE, "b");
  EXPECT_EQ(PROPERTY_DATABASE_DELETE(db, "b"), 0);
  EXPECT_EQ(db.UBound(), -1);
  int32_t where = 5;
  EXPECT_EQ(PROPERTY_BINARY_FIND(db, "b", where), -1);
  EXPECT_EQ(where, 0);
  EXPECT_EQ(PROPERTY_DATABASE_DELETE(db, "b"), -1);
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "z", ""), 0);
}

TEST_F(PropertyStore, DeleteKeepsTheImageAlive) {
  PROPERTY_DATABASE_SET(db, "a", "");
  platform::IMAGE* image = platform::ImageCreate(4, 4);
  db[0].IMAGE = image;
  const long live = platform::LiveImageCount();
  EXPECT_EQ(PROPERTY_DATABASE_DELETE(db, "a"), 0);
  EXPECT_EQ(platform::LiveImageCount(), live);
  platform::ImageDestroy(image);
}

TEST_F(PropertyStore, IncCapacityGrowsBlankAndShrinksToEmpty) {
  PROPERTY_INC_CAPACITY(db, 2);
  EXPECT_EQ(db.UBound(), 1);
  for (int32_t i = 0; i <= 1; ++i) {
    EXPECT_EQ(db[i].ITERATOR, 0);
    EXPECT_EQ(db[i].LABEL, "");
    EXPECT_EQ(db[i].IMAGE, nullptr);
  }
  db[0].LABEL = "kept";
  PROPERTY_INC_CAPACITY(db, 0);
  EXPECT_EQ(db.Count(), 2);
  PROPERTY_INC_CAPACITY(db, -1);
  EXPECT_EQ(Labels(db), (std::vector<std::string>{"kept"}));
  PROPERTY_INC_CAPACITY(db, 1);
  EXPECT_EQ(db[0].LABEL, "kept");
  PROPERTY_INC_CAPACITY(db, -3);  // two steps empty it, the third is not taken
  EXPECT_EQ(db.UBound(), -1);
  PROPERTY_INC_CAPACITY(db, -1);  // an empty store stays empty
  PROPERTY_INC_CAPACITY(db, INT32_MIN);
  EXPECT_EQ(db.UBound(), -1);
  PROPERTY_INC_CAPACITY(db, 1);
  EXPECT_EQ(db.UBound(), 0);
}

TEST_F(PropertyStore, OutOfBoundsAccessIsRuntimeError6) {
  static constexpr char MODULE_NAME[] = "tests/property";
  PROPERTY_DATABASE_SET(db, "a", "");
  EXPECT_EQ(&db.At(0, RT_HERE), &db[0]);
  EXPECT_EQ(testsupport::ExitCodeOf([&] { db.At(1, RT_HERE); }), 6);
  EXPECT_EQ(testsupport::ExitCodeOf([&] { db.At(-1, RT_HERE); }), 6);
}

TEST_F(PropertyStore, GetReturnsACopySharingTheImage) {
  PROPERTY_DATABASE_SET(db, "tex", "v");
  platform::IMAGE* image = platform::ImageCreate(2, 2);
  db[0].IMAGE = image;
  const long live = platform::LiveImageCount();
  {
    PROPERTY_DB_TYPE copy = PROPERTY_GET(db, "tex");
    EXPECT_EQ(copy.IMAGE, image);
    EXPECT_EQ(copy.ITERATOR, -1);
    copy.VALUE = "changed";
    copy.LABEL = "other";
    PROPERTY_DB_TYPE second = copy;  // assignment copies the texts and shares the pointer
    second.VALUE += "!";
    EXPECT_EQ(copy.VALUE, "changed");
    EXPECT_EQ(second.IMAGE, image);
  }
  // The copies are gone; the image and the stored texts are not.
  EXPECT_EQ(platform::LiveImageCount(), live);
  EXPECT_EQ(db[0].LABEL, "tex");
  EXPECT_EQ(db[0].VALUE, "v");
  EXPECT_EQ(__GET(db, "tex").IMAGE, image);
}

TEST_F(PropertyStore, EraseDestroysEveryImageAndEmptiesTheStore) {
  const long before = platform::LiveImageCount();
  for (const char* label : {"a", "b", "c"}) PROPERTY_DATABASE_SET(db, label, "x");
  db[0].IMAGE = platform::ImageCreate(2, 2);
  db[2].IMAGE = platform::ImageCreate(2, 2);
  EXPECT_EQ(platform::LiveImageCount(), before + 2);
  PROPERTY_ERASE(db);
  EXPECT_EQ(platform::LiveImageCount(), before);
  EXPECT_EQ(db.UBound(), -1);
  PROPERTY_ERASE(db);  // erasing the empty store is harmless
  EXPECT_EQ(PROPERTY_DATABASE_SET(db, "a", ""), 0);
}

TEST_F(PropertyStore, SortIsStableAndSlotsKeepTheirIterators) {
  const char* labels[] = {"c", "a", "b", "a", "Z", "c"};
  for (int i = 0; i < 6; ++i) {
    Append(db, labels[i], std::to_string(i));
    db[i].ITERATOR = 100 + i;
  }
  __SORT(db);
  EXPECT_EQ(Labels(db), (std::vector<std::string>{"Z", "a", "a", "b", "c", "c"}));
  std::vector<std::string> values;
  for (int32_t i = 0; i <= db.UBound(); ++i) {
    values.push_back(db[i].VALUE);
    EXPECT_EQ(db[i].ITERATOR, 100 + i);
  }
  EXPECT_EQ(values, (std::vector<std::string>{"4", "1", "3", "2", "0", "5"}));
  // The image travels with its record.
  platform::IMAGE* image = platform::ImageCreate(1, 1);
  db[5].IMAGE = image;
  db[5].LABEL = "0";
  PROPERTY_BUBBLE_SORT(db);
  EXPECT_EQ(db[0].LABEL, "0");
  EXPECT_EQ(db[0].IMAGE, image);
  EXPECT_EQ(db[0].ITERATOR, 100);
  PROPERTY_STORE empty;
  PROPERTY_BUBBLE_SORT(empty);
  EXPECT_EQ(empty.UBound(), -1);
}

TEST_F(PropertyStore, RequestModes) {
  PROPERTY_DATABASE_SET(db, "a", "1");
  PROPERTY_DATABASE_SET(db, "b", "2");

  PROPERTY_DB_TYPE request{7, "b", "ignored", nullptr};
  PROPERTY_DB_TYPE result = PROPERTY_REQUEST(db, request, 1);
  EXPECT_EQ(request.VALUE, "2");
  EXPECT_EQ(request.ITERATOR, -1);
  EXPECT_EQ(result.LABEL, "b");
  EXPECT_EQ(result.VALUE, "2");

  request = PROPERTY_DB_TYPE{7, "missing", "v", reinterpret_cast<platform::IMAGE*>(&db)};
  result = PROPERTY_REQUEST(db, request, 1);
  ExpectBogus(request);  // the caller's record is overwritten by BOGUS
  ExpectBogus(result);

  request = PROPERTY_DB_TYPE{7, "c", "3", nullptr};
  result = PROPERTY_REQUEST(db, request, 2);
  EXPECT_EQ(request.ITERATOR, 2);
  EXPECT_EQ(result.ITERATOR, 2);
  EXPECT_EQ(result.VALUE, "3");
  EXPECT_EQ(PROPERTY_GET(db, "c").VALUE, "3");

  request = PROPERTY_DB_TYPE{7, "a", "", nullptr};
  ExpectBogus(PROPERTY_REQUEST(db, request, 4));
  EXPECT_EQ(request.ITERATOR, 0);
  EXPECT_EQ(Labels(db), (std::vector<std::string>{"b", "c"}));
  ExpectBogus(PROPERTY_REQUEST(db, request, 4));
  EXPECT_EQ(request.ITERATOR, -1);

  for (int32_t mode : {0, 3, 5, -1, 16}) {
    request = PROPERTY_DB_TYPE{9, "b", "x", nullptr};
    result = PROPERTY_REQUEST(db, request, mode);
    EXPECT_EQ(result.ITERATOR, 9);
    EXPECT_EQ(result.VALUE, "x");
    EXPECT_EQ(request.VALUE, "x");
    EXPECT_EQ(Labels(db), (std::vector<std::string>{"b", "c"}));
  }

  const long before = platform::LiveImageCount();
  db[0].IMAGE = platform::ImageCreate(1, 1);
  request = PROPERTY_DB_TYPE{9, "b", "x", nullptr};
  ExpectBogus(PROPERTY_REQUEST(db, request, 8));
  EXPECT_EQ(db.UBound(), -1);
  EXPECT_EQ(platform::LiveImageCount(), before);
  EXPECT_EQ(request.ITERATOR, 9);
}

}  // namespace
