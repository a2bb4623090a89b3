// The property text format: export, import, raw file save and load, and the word digest.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "Support/Property Core.h"
#include "Support/Property Shorthand.h"
#include "Support/VGA Lookup.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "platform/testing.h"
#include "tests/Support/console_files.h"
#include "tests/test_support.h"

namespace {

using Records = std::vector<std::pair<std::string, std::string>>;

Records RecordsOf(const PROPERTY_STORE& db) {
  Records records;
  for (int32_t i = 0; i <= db.UBound(); ++i) records.emplace_back(db[i].LABEL, db[i].VALUE);
  return records;
}

// The bytes of a file, or "<none>" when there is no such file.
std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<none>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs in a scratch directory (so no palette file is found) on a console window; every pause
// is answered automatically unless a test pushes its own keys.
class PropertyText : public testing::Test {
 protected:
  void SetUp() override {
    supporttest::OpenAnsweringConsole();
    answers_before = platform::headless::AutoAnswerCount();
  }
  void TearDown() override {
    PROPERTY_ERASE(db);
    platform::testing::FailWritesAfter(-1);
    platform::testing::CloseAllFiles();
    testsupport::ResetPlatform();
  }
  // Pauses answered automatically since the test began.
  long Pauses() const { return platform::headless::AutoAnswerCount() - answers_before; }

  void Import(std::string text) { PROPERTY_DATABASE_IMPORT(db, text); }
  std::string Export() {
    std::string buffer;
    return PROPERTY_DATABASE_EXPORT(db, buffer);
  }

  supporttest::ScratchDir scratch;
  PROPERTY_STORE db;
  long answers_before = 0;
};

TEST_F(PropertyText, ExportSortsAndLeavesOutIncompleteRecords) {
  EXPECT_EQ(Export(), "");
  PROPERTY_DATABASE_SET(db, "2,1", "wall");
  PROPERTY_DATABASE_SET(db, "10,1", "gate=open");
  PROPERTY_DATABASE_SET(db, "novalue", "");
  PROPERTY_DATABASE_SET(db, "", "nolabel");
  EXPECT_EQ(Export(), "10,1=gate=open\r\n2,1=wall");

  std::string buffer = "head";  // old text stays in front, followed by a line break
  EXPECT_EQ(&PROPERTY_DATABASE_EXPORT(db, buffer), &buffer);
  EXPECT_EQ(buffer, "head\r\n10,1=gate=open\r\n2,1=wall");

  // Appended records are sorted first, and the store stays sorted.
  PROPERTY_INC_CAPACITY(db, 1);
  db[db.UBound()].LABEL = "0";
  db[db.UBound()].VALUE = "zero";
  EXPECT_EQ(Export(), "0=zero\r\n10,1=gate=open\r\n2,1=wall");
  EXPECT_EQ(db[1].LABEL, "0");  // after the empty label

  PROPERTY_ERASE(db);
  buffer = "x";
  EXPECT_EQ(PROPERTY_DATABASE_EXPORT(db, buffer), "x");  // nothing to add: no line break
}

TEST_F(PropertyText, ImportSplitsLinesAtTheFirstEquals) {
  struct Case {
    std::string text;
    Records records;
  };
  for (const Case& c : {
           Case{"10,1=gate=open\r\n2,1=wall", {{"10,1", "gate=open"}, {"2,1", "wall"}}},
           Case{"a=1\r\n", {{"a", "1"}}},  // a final line break adds nothing
           Case{"=x", {{"", "x"}}},
           Case{"x=", {{"x", ""}}},
           Case{"no equals\r\n\r\nb=2", {{"b", "2"}}},
           Case{"b=1\r\na=2\r\nb=0", {{"a", "2"}, {"b", "1"}, {"b", "0"}}},  // stable
           Case{"a=1\nb=2\rc", {{"a", "1\nb=2\rc"}}},  // lone LF and CR are ordinary bytes
           Case{"", {}},
       }) {
    PROPERTY_DATABASE_SET(db, "old", "record");
    std::string buffer = c.text;
    PROPERTY_DATABASE_IMPORT(db, buffer);
    EXPECT_EQ(RecordsOf(db), c.records) << testing::PrintToString(c.text);
    EXPECT_EQ(buffer, "");
    for (int32_t i = 0; i <= db.UBound(); ++i) EXPECT_EQ(db[i].ITERATOR, -1);
  }
}

TEST_F(PropertyText, ImportPrintsEachRecordAndPauses) {
  platform::headless::SetAutoAnswer("");
  platform::PushKey("1");
  platform::PushKey("2");
  Import("k=v\r\nskipped\r\n=x");
  EXPECT_EQ(platform::Inkey(), "");  // one key per record
  EXPECT_TRUE(supporttest::RowShows(1, 1, "\"k\"=\"v\"", 0xFF3FFF3Fu));
  EXPECT_TRUE(supporttest::RowShows(2, 1, "\"\"=\"x\"", 0xFF3FFF3Fu));
  EXPECT_TRUE(supporttest::RowShows(3, 1, " ", 0xFF3FFF3Fu));  // the skipped line: nothing
  EXPECT_EQ(platform::CursorRow(), 3);
  EXPECT_EQ(platform::CurrentColor(), 0x0000000Fu);  // the pause's palette entry 15

  platform::PushKey(platform::kEscape);
  EXPECT_EQ(testsupport::ExitCodeOf([&] { Import("a=1\r\nb=2"); }), 0);
  EXPECT_EQ(RecordsOf(db), (Records{{"a", "1"}}));  // ended at the first record's pause
}

TEST_F(PropertyText, RoundTripsKeepLoneLineFeedsButNotLineBreaks) {
  PROPERTY_DATABASE_SET(db, "lf", "a\nb");
  PROPERTY_DATABASE_SET(db, "crlf", "c\r\nd");
  PROPERTY_DATABASE_SET(db, "eq", "x=y");
  PROPERTY_DATABASE_SAVE(db, "store.property");
  EXPECT_EQ(FileText("store.property"), "crlf=c\r\nd\r\neq=x=y\r\nlf=a\nb");
  EXPECT_EQ(Pauses(), 3);
  PROPERTY_DATABASE_LOAD(db, "store.property");
  EXPECT_EQ(RecordsOf(db), (Records{{"crlf", "c"}, {"eq", "x=y"}, {"lf", "a\nb"}}));
  EXPECT_EQ(Pauses(), 6);  // one per imported record

  // The short forms do the same.
  __SAVE(db, "short.property");
  EXPECT_EQ(FileText("short.property"), "crlf=c\r\neq=x=y\r\nlf=a\nb");
  PROPERTY_DATABASE_SET(db, "extra", "1");
  __LOAD(db, "short.property");
  EXPECT_EQ(RecordsOf(db), (Records{{"crlf", "c"}, {"eq", "x=y"}, {"lf", "a\nb"}}));
}

TEST_F(PropertyText, SaveWritesExactlyTheNewText) {
  PROPERTY_DATABASE_SAVE(db, "empty.property");
  EXPECT_EQ(FileText("empty.property"), "");  // created, zero bytes

  supporttest::WriteFile("f.property", "a much longer old text that must not show through");
  PROPERTY_DATABASE_SET(db, "k", "v");
  PROPERTY_DATABASE_SAVE(db, "f.property");
  EXPECT_EQ(FileText("f.property"), "k=v");

  // A file named like a temporary one is the user's: it neither leaks in nor goes away.
  supporttest::WriteFile("f.property.saving", "the user's own bytes");
  PROPERTY_SAVE_RAW_BUFFER("new", "f.property");
  EXPECT_EQ(FileText("f.property"), "new");
  EXPECT_EQ(FileText("f.property.saving"), "the user's own bytes");
  EXPECT_EQ(platform::testing::OpenFileCount(), 0);
}

TEST_F(PropertyText, SaveThatCannotCreateItsFileChangesNothing) {
  EXPECT_EQ(testsupport::ExitCodeOf([] { PROPERTY_SAVE_RAW_BUFFER("x", "missing/f.property"); }),
            -1);
  EXPECT_FALSE(std::filesystem::exists("missing"));
  std::filesystem::create_directory("folder");
  PROPERTY_SAVE_RAW_BUFFER("x", "folder");  // a directory is no file to replace
  EXPECT_TRUE(std::filesystem::is_directory("folder"));
  EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::current_path() / "folder"));
  PROPERTY_SAVE_RAW_BUFFER("x", "");
  // Nothing but the folder was ever created.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(std::filesystem::current_path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(platform::testing::OpenFileCount(), 0);
}

TEST_F(PropertyText, SaveThatFailsMidwayLeavesTheOldFileWhole) {
  const std::string old = "old=contents\r\nthat=stay";
  supporttest::WriteFile("f.property", old);
  // The disk fills up after 4 bytes: the write stops there and reports a file I/O error.
  platform::testing::FailWritesAfter(4);
  EXPECT_EQ(testsupport::ExitCodeOf([] { PROPERTY_SAVE_RAW_BUFFER("new=text", "f.property"); }), 3);
  EXPECT_EQ(FileText("f.property"), old);
  // The temporary file is gone: f.property is all there is.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(std::filesystem::current_path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(platform::testing::OpenFileCount(), 0);

  PROPERTY_DATABASE_SET(db, "new", "text");
  platform::testing::FailWritesAfter(0);
  EXPECT_EQ(testsupport::ExitCodeOf([&] { PROPERTY_DATABASE_SAVE(db, "f.property"); }), 3);
  EXPECT_EQ(FileText("f.property"), old);
}

TEST_F(PropertyText, RawLoadReadsEveryByteOrLeavesTheBufferAlone) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  supporttest::WriteFile("bytes", bytes);
  std::string buffer = "old";
  PROPERTY_LOAD_RAW_BUFFER(buffer, "bytes");
  EXPECT_EQ(buffer, bytes);
  supporttest::WriteFile("empty", "");
  PROPERTY_LOAD_RAW_BUFFER(buffer, "empty");
  EXPECT_EQ(buffer, "");
  buffer = "kept";
  PROPERTY_LOAD_RAW_BUFFER(buffer, "no such file");
  EXPECT_EQ(buffer, "kept");
  std::filesystem::create_directory("dir");
  PROPERTY_LOAD_RAW_BUFFER(buffer, "dir");
  EXPECT_EQ(buffer, "kept");
  EXPECT_FALSE(std::filesystem::exists("no such file"));  // loading creates nothing
  EXPECT_EQ(platform::testing::OpenFileCount(), 0);

  PROPERTY_DATABASE_SET(db, "a", "1");
  PROPERTY_DATABASE_LOAD(db, "no such file");  // a missing file empties the store
  EXPECT_EQ(db.UBound(), -1);
}

TEST_F(PropertyText, DigestNumbersWordsAndLineBreaksAndSavesThem) {
  std::filesystem::create_directory("Assets (v0x22)");
  std::string text = "one two\r\nthree";
  PROPERTY_DIGEST_WORD(db, text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(RecordsOf(db),
            (Records{{"1", "one"}, {"2", "two"}, {"3", "{% CRLF %}"}, {"4", "three"}}));
  EXPECT_EQ(FileText(PROPERTY_WORDS_FILE), "1=one\r\n2=two\r\n3={% CRLF %}\r\n4=three");
  EXPECT_EQ(Pauses(), 3);

  // Adjacent separators give empty words, which the file leaves out; a last separator none.
  text = "a  b\r\n\r\nc ";
  PROPERTY_DIGEST_WORD(db, text);
  EXPECT_EQ(RecordsOf(db), (Records{{"1", "a"},
                                    {"2", ""},
                                    {"3", "b"},
                                    {"4", "{% CRLF %}"},
                                    {"5", ""},
                                    {"6", "{% CRLF %}"},
                                    {"7", "c"}}));
  EXPECT_EQ(FileText(PROPERTY_WORDS_FILE), "1=a\r\n3=b\r\n4={% CRLF %}\r\n6={% CRLF %}\r\n7=c");
}

TEST_F(PropertyText, DigestLabelsSortAsHexadecimalText) {
  std::string text;
  for (int i = 1; i <= 33; ++i) text += "w" + std::to_string(i) + (i < 33 ? " " : "");
  PROPERTY_DIGEST_WORD(db, text);  // no word folder: the save writes nothing
  ASSERT_EQ(db.UBound(), 32);
  const std::vector<std::pair<int, std::string>> expected = {
      {0, "1"},   {1, "10"},  {2, "11"}, {16, "1F"}, {17, "2"},
      {18, "20"}, {19, "21"}, {20, "3"}, {27, "A"},  {32, "F"}};
  for (const auto& [index, label] : expected) EXPECT_EQ(db[index].LABEL, label) << index;
  EXPECT_EQ(db[1].VALUE, "w16");
  EXPECT_EQ(db[32].VALUE, "w15");
  EXPECT_FALSE(std::filesystem::exists("Assets (v0x22)"));
}

}  // namespace
