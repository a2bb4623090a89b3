#include "Support/String Support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(StringSupport, StrposAndStrrpos) {
  EXPECT_EQ(STRPOS("=", "KEY=VALUE"), 4);
  EXPECT_EQ(STRPOS("", "abc"), 0);
  EXPECT_EQ(STRPOS("a", ""), 0);
  EXPECT_EQ(STRPOS("abcd", "abc"), 0);
  EXPECT_EQ(STRPOS("b", "abab"), 2);
  EXPECT_EQ(STRPOS("\0"s, "a\0b"s), 2);  // any byte, 0 included
  EXPECT_EQ(STRRPOS(".", "a.b.c"), 4);
  EXPECT_EQ(STRRPOS(".", "abc"), 4);  // absent: length + 1
  EXPECT_EQ(STRRPOS("", "abc"), 4);
  EXPECT_EQ(STRRPOS(".", ""), 1);
  EXPECT_EQ(STRRPOS("aa", "aaa"), 2);
}

TEST(StringSupport, PrefixAndSuffix) {
  struct Case {
    std::string needle, haystack, prefix, suffix;
  };
  for (const Case& c :
       {Case{"=", "KEY=VALUE", "KEY", "VALUE"}, Case{"=", "KEY", "KEY", ""},
        Case{"=", "=V", "", "V"}, Case{"=", "K=", "K", ""}, Case{"=", "a=b=c", "a", "b=c"},
        Case{"", "abc", "abc", ""}, Case{"", "", "", ""}, Case{"=", "", "", ""},
        Case{"\r\n", "a\r\nb", "a", "b"}, Case{"ab", "xab", "x", ""},
        Case{"\0"s, "k\0v"s, "k", "v"}}) {
    EXPECT_EQ(PREFIX(c.needle, c.haystack), c.prefix) << c.haystack;
    EXPECT_EQ(SUFFIX(c.needle, c.haystack), c.suffix) << c.haystack;
  }
}

TEST(StringSupport, ExtPrefixAndExtSuffix) {
  struct Case {
    std::string needle, haystack, prefix, suffix;
  };
  for (const Case& c :
       {Case{".", "a.b.c", "a.b", "c"}, Case{".", "abc", "abc", ""}, Case{".", "abc.", "abc", ""},
        Case{".", ".abc", "", "abc"}, Case{"", "abc", "abc", ""}, Case{".", "", "", ""},
        Case{"::", "a::b::c", "a::b", "c"}}) {
    EXPECT_EQ(EXT_PREFIX(c.needle, c.haystack), c.prefix) << c.haystack;
    EXPECT_EQ(EXT_SUFFIX(c.needle, c.haystack), c.suffix) << c.haystack;
  }
}

TEST(StringSupport, AxisLabelAndParameter) {
  struct Case {
    std::string buffer, label, parameter;
  };
  for (const Case& c :
       {Case{"TEX(3)", "TEX", "3"}, Case{"TEX", "TEX", ""}, Case{"TEX(3", "TEX", ""},
        Case{"A)B(", "A)B(", ""}, Case{"A)B", "", ""}, Case{"X()", "X", ""}, Case{"(3)", "", "3"},
        Case{"F(a)(b)", "F", "a"}, Case{"", "", ""}}) {
    EXPECT_EQ(AXISLABEL_S(c.buffer, "(", ")"), c.label) << c.buffer;
    EXPECT_EQ(AXISPARAM_S(c.buffer, "(", ")"), c.parameter) << c.buffer;
  }
  // Multi-byte brackets; a negative count of the middle part runs to the end.
  EXPECT_EQ(AXISPARAM_S("N<<v>>", "<<", ">>"), "v");
  EXPECT_EQ(AXISPARAM_S("abcd", "abc", "c"), "d");
  EXPECT_EQ(AXISPARAM_S("ab", "ab", "b"), "");
}

TEST(StringSupport, StrReplaceRescansFromTheStart) {
  std::string text = "banana";
  EXPECT_EQ(STR_REPLACE("a", "b", text), "bbnbnb");
  EXPECT_EQ(text, "bbnbnb");
  text = "abb";
  EXPECT_EQ(STR_REPLACE("ab", "a", text), "a");  // each replacement makes the next match
  text = "aaab";
  EXPECT_EQ(STR_REPLACE("ab", "b", text), "b");
  text = "xaabby";
  EXPECT_EQ(STR_REPLACE("ab", "", text), "xy");
  text = "abc";
  EXPECT_EQ(STR_REPLACE("", "x", text), "abc");
  EXPECT_EQ(STR_REPLACE("z", "x", text), "abc");
  text = "";
  EXPECT_EQ(STR_REPLACE("a", "b", text), "");
  text = "a\0b\0"s;
  EXPECT_EQ(STR_REPLACE("\0"s, "--", text), "a--b--");
  // A replacement longer than the needle that does not contain it.
  text = "aab";
  EXPECT_EQ(STR_REPLACE("ab", "bba", text), "bbbbaa");
}

TEST(StringSupport, StrReplaceWithTheNeedleInTheReplacementMakesOnePass) {
  std::string text = "a-a";
  EXPECT_EQ(STR_REPLACE("a", "aa", text), "aa-aa");
  text = "xyx";
  EXPECT_EQ(STR_REPLACE("x", "x", text), "xyx");
  text = "ab";
  EXPECT_EQ(STR_REPLACE("b", "abc", text), "aabc");
  text = "none";
  EXPECT_EQ(STR_REPLACE("q", "qq", text), "none");
}

TEST(StringSupport, StrReplaceWithPartsOfTheHaystack) {
  std::string text = "cat and cat, a very long sentence that lives on the heap";
  EXPECT_EQ(STR_REPLACE(std::string_view(text).substr(0, 3), "dog", text),
            "dog and dog, a very long sentence that lives on the heap");
  text = "ab";
  EXPECT_EQ(STR_REPLACE("a", text, text), "abb");  // the replacement as it was on entry
}

TEST(StringSupport, PackTextAndPackTextReverse) {
  std::string buffer;
  EXPECT_EQ(PACKTEXT(buffer, "x"), "x");
  EXPECT_EQ(PACKTEXT(buffer, "y"), "x\r\ny");
  EXPECT_EQ(buffer, "x\r\ny");
  EXPECT_EQ(PACKTEXT(buffer, buffer), "x\r\ny\r\nx\r\ny");  // the line as it was on entry
  buffer = "a";
  EXPECT_EQ(PACKTEXTREVERSE(buffer, "x"), "x\r\na");
  EXPECT_EQ(buffer, "x\r\na");
  buffer.clear();
  EXPECT_EQ(PACKTEXTREVERSE(buffer, "x"), "x");
  EXPECT_EQ(PACKTEXTREVERSE(buffer, buffer), "x\r\nx");
}

TEST(StringSupport, NeedleCountLeavesTheHaystackEmpty) {
  struct Case {
    std::string needle, haystack;
    int32_t count;
  };
  for (const Case& c : {Case{",", "a,b,c", 2}, Case{",", "a,b,", 1}, Case{",", ",", 0},
                        Case{",", "", 0}, Case{",", "abc", 0}, Case{"", "abc", 0},
                        Case{",", ",,a", 2}, Case{"aa", "aaaaa", 2}, Case{"\r\n", "a\r\nb", 1}}) {
    std::string haystack = c.haystack;
    EXPECT_EQ(NEEDLECOUNT(c.needle, haystack), c.count) << c.haystack;
    EXPECT_EQ(haystack, "");
  }
}

TEST(StringSupport, UcwordsLeavesTheSubjectEmpty) {
  struct Case {
    std::string subject, result;
  };
  for (const Case& c :
       {Case{"add", "Add"}, Case{"", ""}, Case{"x", "X"}, Case{"hELLO wORLD", "Hello World"},
        Case{"a  b", "A  B"}, Case{" a", "A"}, Case{"a ", "A"}, Case{"ADD", "Add"},
        Case{"aDd", "Add"}, Case{"1st \xe9T\xc9", "1st \xe9t\xc9"}, Case{"a\0B"s, "A\0b"s}}) {
    std::string subject = c.subject;
    EXPECT_EQ(UCWORDS(subject), c.result) << c.subject;
    EXPECT_EQ(subject, "");
  }
}

}  // namespace
