#include "platform/runtime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/platform.h"

static constexpr char MODULE_NAME[] = "tests/runtime";

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ValInt, ReadsUpToTheFirstCharacterThatCannotContinue) {
  EXPECT_EQ(rt::ValInt("800"), 800);
  EXPECT_EQ(rt::ValInt(" 800"), 800);
  EXPECT_EQ(rt::ValInt("\t 800"), 800);
  EXPECT_EQ(rt::ValInt("800abc"), 800);
  EXPECT_EQ(rt::ValInt("800.9"), 800);
  EXPECT_EQ(rt::ValInt("1e3"), 1);
  EXPECT_EQ(rt::ValInt("-42"), -42);
  EXPECT_EQ(rt::ValInt("+7"), 7);
  EXPECT_EQ(rt::ValInt("abc"), 0);
  EXPECT_EQ(rt::ValInt(""), 0);
  EXPECT_EQ(rt::ValInt("-"), 0);
  EXPECT_EQ(rt::ValInt("- 5"), 0);
  EXPECT_EQ(rt::ValInt("2147483647"), 2147483647);
  EXPECT_EQ(rt::ValInt("-2147483648"), std::numeric_limits<int32_t>::min());
  // Beyond 32 bits the value wraps, like the rest of the integer arithmetic.
  EXPECT_EQ(rt::ValInt("2147483648"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(rt::ValInt("4294967297"), 1);
  EXPECT_EQ(rt::ValInt(std::string_view("12\0"
                                        "3",
                                        4)),
            12);
}

TEST(Val, ReadsDecimalNumbersOnly) {
  EXPECT_EQ(rt::Val("2.2"), 2.2);
  EXPECT_EQ(rt::Val("  0.5"), 0.5);
  EXPECT_EQ(rt::Val(".5"), 0.5);
  EXPECT_EQ(rt::Val("5."), 5.0);
  EXPECT_EQ(rt::Val("-1.25e2"), -125.0);
  EXPECT_EQ(rt::Val("1E-2"), 0.01);
  EXPECT_EQ(rt::Val("3d2"), 300.0);
  EXPECT_EQ(rt::Val("1e"), 1.0);
  EXPECT_EQ(rt::Val("1e+"), 1.0);
  EXPECT_EQ(rt::Val("2.5x"), 2.5);
  EXPECT_EQ(rt::Val("1,5"), 1.0);
  EXPECT_EQ(rt::Val("."), 0.0);
  EXPECT_EQ(rt::Val("abc"), 0.0);
  EXPECT_EQ(rt::Val("1e308"), 1e308);
  EXPECT_EQ(rt::Val("1e999"), kInf);
  EXPECT_EQ(rt::Val("-1e999"), -kInf);
  EXPECT_EQ(rt::Val("1e-999"), 0.0);
  EXPECT_EQ(rt::Val("0.1"), 0.1);  // correctly rounded
}

TEST(Val, RefusesTheCLibrarysExtraForms) {
  EXPECT_EQ(rt::Val("inf"), 0.0);
  EXPECT_EQ(rt::Val("nan"), 0.0);
  EXPECT_EQ(rt::Val("infinity"), 0.0);
  EXPECT_EQ(rt::Val("0x10"), 0.0);
  EXPECT_EQ(rt::Val("1p3"), 1.0);
}

TEST(ValULongInt, ReadsDecimalAndPrefixedForms) {
  EXPECT_EQ(rt::ValULongInt("4294901760"), 4294901760u);
  EXPECT_EQ(rt::ValULongInt("&HFFFF0000"), 0xFFFF0000u);
  EXPECT_EQ(rt::ValULongInt("&hff"), 0xFFu);
  EXPECT_EQ(rt::ValULongInt("&O17"), 15u);
  EXPECT_EQ(rt::ValULongInt("&o8"), 0u);
  EXPECT_EQ(rt::ValULongInt("&B101"), 5u);
  EXPECT_EQ(rt::ValULongInt("&b1012"), 5u);
  EXPECT_EQ(rt::ValULongInt(" 12 ABC"), 12u);
  EXPECT_EQ(rt::ValULongInt("ABC"), 0u);
  EXPECT_EQ(rt::ValULongInt("&HFFFFFFFFFFFFFFFF"), 0xFFFFFFFFFFFFFFFFu);
  EXPECT_EQ(rt::ValULongInt("18446744073709551617"), 1u);  // wraps modulo 2^64
  EXPECT_EQ(rt::ValULongInt("-1"), 0xFFFFFFFFFFFFFFFFu);
  EXPECT_EQ(rt::ValULongInt("&"), 0u);
  EXPECT_EQ(rt::ValULongInt("&X1"), 0u);
}

TEST(Str, WritesIntegersAndAddresses) {
  EXPECT_EQ(rt::Str(int32_t{-5}), "-5");
  EXPECT_EQ(rt::Str(int32_t{0}), "0");
  EXPECT_EQ(rt::Str(std::numeric_limits<int32_t>::min()), "-2147483648");
  EXPECT_EQ(rt::StrUnsigned(18446744073709551615u), "18446744073709551615");
  EXPECT_EQ(rt::StrAddress(reinterpret_cast<const void*>(uintptr_t{123456})), "123456");
  EXPECT_EQ(rt::Hex(0), "0");
  EXPECT_EQ(rt::Hex(31), "1F");
  EXPECT_EQ(rt::Hex(0xFFFFFFFFu), "FFFFFFFF");
}

TEST(Str, WritesDoublesInTheGeneralFormat) {
  EXPECT_EQ(rt::Str(2.2), "2.2");
  EXPECT_EQ(rt::Str(0.05), "0.05");
  EXPECT_EQ(rt::Str(5.0), "5");
  EXPECT_EQ(rt::Str(-0.5), "-0.5");
  EXPECT_EQ(rt::Str(0.1 + 0.2), "0.3");  // 16 significant digits hide the last bit
  EXPECT_EQ(rt::Str(1e20), "1e+20");
  EXPECT_EQ(rt::Str(1e-5), "1e-05");
  EXPECT_EQ(rt::Str(123456789012345678.0), "1.234567890123457e+17");
  EXPECT_EQ(rt::Str(0.0), "0");
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(rt::RoundInt(320.5), 320);
  EXPECT_EQ(rt::RoundInt(321.5), 322);
  EXPECT_EQ(rt::RoundInt(-0.5), 0);
  EXPECT_EQ(rt::RoundInt(-1.5), -2);
  EXPECT_EQ(rt::RoundInt(2.4999999), 2);
  EXPECT_EQ(rt::RoundInt(34688.8), 34689);
  EXPECT_EQ(rt::RoundEven(2.5), 2.0);
}

// The inline rounding against the C library's in the default rounding mode, sign of zero and
// the edges of exact integers included.
TEST(Rounding, RoundEvenIsTheLibraryRounding) {
  for (double v : {0.0, -0.0, 0.5, -0.5, 1.5, -2.5, 0.49999999999999994, 1e-300, -0.4,
                   4503599627370495.5, -4503599627370497.0, 9007199254740993.0, 1e300, kInf}) {
    const double rounded = rt::RoundEven(v), expected = std::nearbyint(v);
    EXPECT_EQ(rounded, expected) << v;
    EXPECT_EQ(std::signbit(rounded), std::signbit(expected)) << v;
  }
  EXPECT_TRUE(std::isnan(rt::RoundEven(kNaN)));
}

TEST(Rounding, OutOfRangeValuesHaveADefinedResult) {
  for (auto convert : {rt::RoundInt, rt::FloorInt, rt::TruncInt}) {
    EXPECT_EQ(convert(kNaN), 0);
    EXPECT_EQ(convert(-kNaN), 0);
    EXPECT_EQ(convert(kInf), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(convert(-kInf), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(convert(1e300), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(convert(-1e300), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(convert(2147483647.0), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(convert(-2147483648.0), std::numeric_limits<int32_t>::min());
  }
  EXPECT_EQ(rt::RoundInt(2147483647.4), 2147483647);
  EXPECT_EQ(rt::RoundInt(2147483647.6), 2147483647);
  EXPECT_EQ(rt::FloorInt(-2147483648.5), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(rt::FloorInt(-0.5), -1);
  EXPECT_EQ(rt::TruncInt(-0.5), 0);
}

TEST(IntDiv, TruncatesTowardZero) {
  EXPECT_EQ(rt::IntDiv(-3455, 64), -53);
  EXPECT_EQ(rt::IntDiv(7, 2), 3);
  EXPECT_EQ(rt::IntDiv(-7, 2), -3);
  EXPECT_EQ(rt::IntDiv(std::numeric_limits<int32_t>::min(), -1),
            std::numeric_limits<int32_t>::min());
  EXPECT_EQ(rt::IntDiv(5, 0), 0);
}

TEST(AbortReport, HasEveryPieceInOrder) {
  EXPECT_EQ(rt::AbortReport(6, {42, "engine/Main", "RENDER"}),
            "\nAborting due to runtime error 6 (out of bounds array access) at line 42 of "
            "engine/Main::RENDER()\n\n");
  EXPECT_EQ(rt::AbortReport(4, {0, "Support/Property Core", "PROPERTY_INC_CAPACITY"}),
            "\nAborting due to runtime error 4 (out of memory) in "
            "Support/Property Core::PROPERTY_INC_CAPACITY()\n\n");
  EXPECT_EQ(rt::AbortReport(9, {3, "m", "p"}),
            "\nAborting due to runtime error 9 at line 3 of m::p()\n\n");
}

TEST(AbortReport, EveryMessageOfTheTable) {
  EXPECT_STREQ(rt::ErrorMessage(1), "illegal function call");
  EXPECT_STREQ(rt::ErrorMessage(2), "file not found");
  EXPECT_STREQ(rt::ErrorMessage(3), "file I/O error");
  EXPECT_STREQ(rt::ErrorMessage(4), "out of memory");
  EXPECT_STREQ(rt::ErrorMessage(6), "out of bounds array access");
  EXPECT_STREQ(rt::ErrorMessage(7), "null pointer access");
  EXPECT_STREQ(rt::ErrorMessage(5), "");
}

constexpr int kAbortLine = __LINE__ + 2;
void AbortHere() {
  RT_ABORT(7);
}

TEST(AbortDeathTest, WritesTheReportAndExitsWithTheErrorNumber) {
  EXPECT_EXIT(AbortHere(), testing::ExitedWithCode(7),
              "^\nAborting due to runtime error 7 \\(null pointer access\\) at line " +
                  std::to_string(kAbortLine) + " of tests/runtime::AbortHere\\(\\)\n\n$");
}

TEST(ArrayDeathTest, IndexOutsideTheBoundsAbortsWithError6) {
  rt::Array<int32_t> regs;
  regs.Redim(0, 4, RT_HERE);
  regs.At(4, RT_HERE) = 1;
  EXPECT_EXIT(regs.At(5, RT_HERE), testing::ExitedWithCode(6), "runtime error 6");
  EXPECT_EXIT(regs.At(-1, RT_HERE), testing::ExitedWithCode(6), "runtime error 6");
  rt::Array2<int32_t> board;
  board.Redim(0, 64, 0, 64, RT_HERE);
  board.At(64, 64, RT_HERE) = 3;
  EXPECT_EQ(board.At(64, 64, RT_HERE), 3);
  EXPECT_EXIT(board.At(65, 0, RT_HERE), testing::ExitedWithCode(6), "runtime error 6");
  EXPECT_EXIT(board.At(0, -1, RT_HERE), testing::ExitedWithCode(6), "runtime error 6");
}

TEST(Array, RedimPreserveKeepsTheElementsInRange) {
  rt::Array<std::string> words;
  EXPECT_EQ(words.UBound(), -1);
  words.RedimPreserve(0, 0, RT_HERE);
  words.At(0, RT_HERE) = "a";
  words.RedimPreserve(0, 2, RT_HERE);
  words.At(2, RT_HERE) = "c";
  EXPECT_EQ(words.At(0, RT_HERE), "a");
  EXPECT_EQ(words.At(1, RT_HERE), "");
  words.RedimPreserve(-1, 0, RT_HERE);
  EXPECT_EQ(words.LBound(), -1);
  EXPECT_EQ(words.At(0, RT_HERE), "a");
  EXPECT_EQ(words.At(-1, RT_HERE), "");
  words.Erase();
  EXPECT_TRUE(words.Empty());
  EXPECT_EQ(words.UBound(), -1);
}

}  // namespace
