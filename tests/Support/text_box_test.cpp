#include "Support/Text Box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Support/VGA Lookup.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "tests/Support/console_files.h"
#include "tests/test_support.h"

namespace {

using Lines = std::vector<std::string>;
using Points = std::initializer_list<std::pair<int, int>>;

constexpr uint32_t kGreen = 0xFF00FF00, kRedCross = 0x80FF0000;
// Opaque green blended onto a cleared page: each channel 0 + (255 * 255) / 256 = 254.
constexpr uint32_t kGreenOnPage = 0xFE00FE00;

Lines SplitLines(std::string_view text) {
  Lines lines;
  for (size_t at = 0; at <= text.size();) {
    const size_t end = std::min(text.find("\r\n", at), text.size());
    lines.emplace_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// The non-empty pieces of a text between blanks and CR LF line breaks.
Lines Words(std::string_view text) {
  Lines words;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min({text.find(' ', at), text.find("\r\n", at), text.size()});
    if (end > at) words.emplace_back(text.substr(at, end - at));
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return words;
}

// A transparent W x H cell box with `lines` drawn from row `first_row` on, and the red cross:
// what TEXT_BOX_RENDER should give, drawn directly.
platform::IMAGE* ReferenceBox(int w, int h, const Lines& lines, int first_row) {
  platform::IMAGE* image = platform::ImageCreate(w * 8, h * 8, 0x00000000u);
  for (size_t i = 0; i < lines.size(); ++i)
    platform::DrawString(image, 0, (first_row + static_cast<int>(i)) * 8, lines[i], kGreen);
  platform::Line(image, 0, 0, w * 8 - 1, h * 8 - 1, kRedCross, platform::kLine);
  platform::Line(image, w * 8 - 1, 0, 0, h * 8 - 1, kRedCross, platform::kLine);
  return image;
}

// Number of pixels in which two images of the same size differ (-1 for different sizes).
long DifferingPixels(const platform::IMAGE* a, const platform::IMAGE* b) {
  if (a->WIDTH != b->WIDTH || a->HEIGHT != b->HEIGHT) return -1;
  long differing = 0;
  for (uint32_t y = 0; y < a->HEIGHT; ++y) {
    for (uint32_t x = 0; x < a->WIDTH; ++x) differing += a->Row(y)[x] != b->Row(y)[x] ? 1 : 0;
  }
  return differing;
}

// Renders and compares with the reference box; both images are released.
long RenderDifference(std::string_view text, int w, int h, int scroll, const Lines& shown,
                      int first_row) {
  platform::IMAGE* rendered = TEXT_BOX_RENDER(text, w, h, scroll);
  platform::IMAGE* reference = ReferenceBox(w, h, shown, first_row);
  const long differing = DifferingPixels(rendered, reference);
  platform::ImageDestroy(rendered);
  platform::ImageDestroy(reference);
  return differing;
}

// "1\r\n2\r\n...", n numbered lines.
std::string NumberedLines(int n) {
  std::string text;
  for (int i = 1; i <= n; ++i) text += std::to_string(i) + (i < n ? "\r\n" : "");
  return text;
}

TEST(TextBoxString, WrapsWordsIntoLinesOfTheWidth) {
  const std::string word95(95, 'w');
  struct Case {
    std::string text;
    int width;
    std::string wrapped;
  };
  for (const Case& c : {
           Case{"", 40, ""},
           Case{word95, 40,
                std::string(39, 'w') + "-\r\n" + std::string(39, 'w') + "-\r\n" +
                    std::string(17, 'w')},
           Case{"the quick brown fox jumps", 10, "the quick\r\nbrown fox\r\njumps"},
           Case{"the quick brown", 9, "the quick\r\nbrown"},  // the blank counts
           Case{"a  b   c", 40, "a b c"}, Case{"a\r\n\r\n\r\nb", 40, "a\r\nb"},
           Case{"a \r\n \r\n b", 40, "a\r\nb"},  // no empty line, no blank at a line's ends
           Case{"\r\n  x ", 40, "x"},
           Case{"a\r\nb c", 40, "a\r\nb c"},  // a line break ends the line
           Case{"a=1\r\nb=2\r\n", 40, "a=1\r\nb=2\r\n"},
           Case{"ab cdefghijk", 5, "ab\r\ncdef-\r\nghijk"},  // a long word starts a line
           Case{"abcdefg h", 5, "abcd-\r\nefg h"},           // its rest takes more words
           Case{"abcdefghij", 5, "abcd-\r\nefgh-\r\nij"}, Case{"abc", 2, "a-\r\nbc"},
           Case{"a\nb\rc d", 40, "a\nb\rc d"},  // lone LF and CR are ordinary bytes
       }) {
    EXPECT_EQ(TEXT_BOX_STRING(c.text, c.width, 30), c.wrapped)
        << testing::PrintToString(c.text) << " at " << c.width;
  }
}

TEST(TextBoxString, KeepsEveryWordInItsOrderWithinTheWidth) {
  // Random texts of letters, blanks, line breaks and lone CR and LF bytes.
  const std::string alphabet[] = {"a", "b", " ", " ", "\r\n", "\r", "\n"};
  std::mt19937 random(11);
  std::uniform_int_distribution<int> piece(0, 6), length(0, 40), width(2, 8);
  for (int trial = 0; trial < 3000; ++trial) {
    std::string text;
    for (int n = length(random); n > 0; --n) text += alphabet[piece(random)];
    const int w = width(random);
    const std::string wrapped = TEXT_BOX_STRING(text, w, 30);
    SCOPED_TRACE(testing::PrintToString(text) + " at " + std::to_string(w) + ": " +
                 testing::PrintToString(wrapped));
    ASSERT_EQ(wrapped.find("  "), std::string::npos);
    // Undo the breaks of long words and compare the words with the input's.
    Lines words;
    std::string carry;
    const Lines lines = SplitLines(wrapped);
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      const bool last = i + 1 == lines.size();
      ASSERT_TRUE(last || !line.empty());  // no empty line; the last may follow a CR LF
      ASSERT_LE(line.size(), static_cast<size_t>(w));
      if (line.empty()) continue;
      ASSERT_NE(line.front(), ' ');
      ASSERT_NE(line.back(), ' ');
      if (line.back() == '-') {  // a broken piece: the full width, alone on its line
        ASSERT_EQ(line.size(), static_cast<size_t>(w));
        ASSERT_EQ(line.find(' '), std::string::npos);
        carry += line.substr(0, line.size() - 1);
        continue;
      }
      Lines on_line = Words(line);
      on_line.front() = carry + on_line.front();
      carry.clear();
      words.insert(words.end(), on_line.begin(), on_line.end());
    }
    ASSERT_EQ(carry, "");
    ASSERT_EQ(words, Words(text));
  }
}

TEST(TextBoxString, WidthBelowTwoIsAnIllegalFunctionCall) {
  platform::SetQuietErrors(true);
  for (int w : {1, 0, -3}) {
    EXPECT_EQ(testsupport::ExitCodeOf([w] { TEXT_BOX_STRING("abc", w, 30); }), 1) << w;
    EXPECT_EQ(testsupport::ExitCodeOf([w] { TEXT_BOX_STRING("", w, 30); }), 1) << w;
  }
  platform::SetQuietErrors(false);
}

class TextBox : public testing::Test {
 protected:
  void SetUp() override {
    supporttest::OpenAnsweringConsole();
    answers_before = platform::headless::AutoAnswerCount();
    images_before = platform::LiveImageCount();
  }
  void TearDown() override {
    EXPECT_EQ(platform::LiveImageCount(), images_before);
    testsupport::ResetPlatform();
  }
  long Pauses() const { return platform::headless::AutoAnswerCount() - answers_before; }

  supporttest::ScratchDir scratch;  // no palette file: entry 15 is the colour 0x0000000F
  long answers_before = 0, images_before = 0;
};

TEST_F(TextBox, RenderDrawsTheScrolledLinesUnderARedCross) {
  EXPECT_EQ(RenderDifference("", 40, 30, 0, {}, 0), 0);
  const std::string six = "l1\r\nl2\r\nl3\r\nthis line is longer than the box\r\nl5\r\nl6";
  EXPECT_EQ(RenderDifference(six, 10, 3, 2, {"l3", "this line is longer than the box", "l5"}, 0),
            0);
  EXPECT_EQ(RenderDifference(six, 10, 3, -1, {"l1", "l2"}, 1), 0);
  EXPECT_EQ(RenderDifference("a\r\n\r\nb\r\n", 10, 3, 0, {"a", "", "b"}, 0), 0);
  // Scrolled by 2 in 30 rows: lines 3 to 32 fill the box.
  Lines shown;
  for (int i = 3; i <= 32; ++i) shown.push_back(std::to_string(i));
  EXPECT_EQ(RenderDifference(NumberedLines(40), 40, 30, 2, shown, 0), 0);
  EXPECT_EQ(Pauses(), 5);

  platform::IMAGE* image = TEXT_BOX_RENDER("", 40, 30, 0);
  EXPECT_EQ(image->WIDTH, 320u);
  EXPECT_EQ(image->HEIGHT, 240u);
  for (auto [x, y] : Points{{0, 0}, {319, 0}, {0, 239}, {319, 239}})
    EXPECT_EQ(platform::Point(image, x, y), kRedCross) << x << "," << y;
  EXPECT_EQ(platform::Point(image, 100, 0), 0u);
  platform::ImageDestroy(image);
}

TEST_F(TextBox, RenderPausesWithTheEscapeGlyphFirst) {
  const long presents = platform::headless::PresentCount();
  platform::IMAGE* image = TEXT_BOX_RENDER("x", 4, 1, 0);
  EXPECT_EQ(Pauses(), 1);
  EXPECT_EQ(platform::headless::PresentCount(), presents + 1);
  EXPECT_TRUE(supporttest::RowShows(1, 1, "\x1b", 0x0000000Fu));
  EXPECT_EQ(platform::CursorColumn(), 2);
  platform::ImageDestroy(image);
}

TEST_F(TextBox, RenderWithoutAnImageIsANullPointerError) {
  platform::SetQuietErrors(true);
  for (auto [w, h] : Points{{0, 30}, {40, 0}, {-1, 30}, {1 << 29, 30}, {40, 1 << 30}}) {
    EXPECT_EQ(testsupport::ExitCodeOf([w = w, h = h] { TEXT_BOX_RENDER("text", w, h, 0); }), 7)
        << w << "x" << h;
  }
  platform::SetQuietErrors(false);
}

TEST_F(TextBox, EchoShowsTheFirstThirtyLinesOverThePage) {
  std::string text;
  for (int i = 0; i < 31; ++i) text += std::string(40, static_cast<char>('A' + i)) + "\r\n";
  EXPECT_EQ(PROPERTY_ECHO_DIRECT(text), text);
  for (int row = 1; row <= 30; ++row) {
    const int column = row >= 10 && row <= 20 ? 2 : 20;  // a cell the cross does not touch
    EXPECT_TRUE(supporttest::RowShows(row, column, std::string(1, static_cast<char>('A' + row - 1)),
                                      kGreenOnPage))
        << row;
  }
  EXPECT_TRUE(supporttest::RowShows(31, 20, " ", 0));  // the 31st line stays off the page
  // The green cross (alpha 196) replaces the red one and is blended onto the cleared page:
  // alpha 196 * 196 / 256 = 0x96, green 255 * 196 / 256 = 0xC3.
  EXPECT_EQ(platform::Point(nullptr, 319, 0), 0x9600C300u);
  EXPECT_EQ(platform::Point(nullptr, 319, 239), 0x9600C300u);
  EXPECT_EQ(Pauses(), 2);
  EXPECT_EQ(platform::CursorColumn(), 2);  // only the render's escape glyph
}

TEST_F(TextBox, SequenceEchoLeavesASecondEscapeGlyph) {
  EXPECT_EQ(SEQ_ECHO_DIRECT("seq"), "seq");
  EXPECT_EQ(Pauses(), 2);
  EXPECT_TRUE(supporttest::RowShows(1, 2, "\x1b", 0x0000000Fu));
  EXPECT_EQ(platform::CursorColumn(), 3);
  EXPECT_TRUE(supporttest::RowShows(1, 3, "q", kGreenOnPage));
}

TEST_F(TextBox, EchoWithoutAWindowIsAnIllegalFunctionCall) {
  platform::Screen(0);
  platform::SetQuietErrors(true);
  EXPECT_EQ(testsupport::ExitCodeOf([] { PROPERTY_ECHO_DIRECT("x"); }), 1);
  EXPECT_EQ(testsupport::ExitCodeOf([] { SEQ_ECHO_DIRECT("x"); }), 1);
  platform::SetQuietErrors(false);
}

}  // namespace
