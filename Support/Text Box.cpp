#include "Support/Text Box.h"

#include <algorithm>

#include "Support/Memory Management.h"
#include "Support/Simple Input.h"
#include "Support/VGA Lookup.h"
#include "platform/runtime.h"

static constexpr char MODULE_NAME[] = "Support/Text Box";

namespace {

constexpr uint32_t kTextColour = 0xFF00FF00;         // opaque green
constexpr uint32_t kRenderCrossColour = 0x80FF0000;  // red, alpha 128
constexpr uint32_t kEchoCrossColour = 0xC400FF00;    // green, alpha 196
constexpr int32_t kEchoColumns = 40, kEchoRows = 30;
constexpr char kLineBreak[] = "\r\n";

// TEXT with every run of UNIT collapsed to one UNIT, in one pass. This is the text that
// replacing the first doubled UNIT by one UNIT until none is left gives.
std::string CollapseRuns(std::string_view TEXT, std::string_view UNIT) {
  std::string out;
  out.reserve(TEXT.size());
  bool after_unit = false;
  for (size_t i = 0; i < TEXT.size();) {
    if (TEXT.substr(i, UNIT.size()) == UNIT) {
      if (!after_unit) out.append(UNIT);
      after_unit = true;
      i += UNIT.size();
    } else {
      out.push_back(TEXT[i]);
      after_unit = false;
      ++i;
    }
  }
  return out;
}

// The lines of a box being filled word by word.
class Wrapper {
 public:
  explicit Wrapper(size_t width) : width_(width) {}

  // Puts a word on the current line, or on the next one when it does not fit there.
  void Place(std::string_view word) {
    if (word.empty()) return;
    if (word.size() > width_) word = BreakLongWord(word);
    if (line_.empty()) {
      line_.assign(word);
    } else if (line_.size() + 1 + word.size() <= width_) {
      line_.append(" ").append(word);
    } else {
      Close();
      line_.assign(word);
    }
  }
  // Ends the current line at a line break of the input; an empty line is dropped.
  void EndLine() {
    if (!line_.empty()) Close();
  }
  // The finished lines, followed by the unfinished one without a line break.
  std::string Finish() { return std::move(output_.append(line_)); }

 private:
  void Close() {
    output_.append(line_).append(kLineBreak);
    line_.clear();
  }
  // Ends the current line, then writes lines of width - 1 characters and a hyphen until at
  // most width characters are left; returns them.
  std::string_view BreakLongWord(std::string_view word) {
    EndLine();
    const size_t piece = width_ - 1;
    while (word.size() > width_) {
      output_.append(word.substr(0, piece)).append("-").append(kLineBreak);
      word.remove_prefix(piece);
    }
    return word;
  }

  const size_t width_;
  std::string line_;    // the line being filled (SUBJECT_BUFFER)
  std::string output_;  // the finished lines (OUTPUT_BUFFER)
};

// Lays the two diagonals of IMAGE over it.
void DrawCross(platform::IMAGE* IMAGE, uint32_t colour) {
  const int right = static_cast<int>(IMAGE->WIDTH) - 1,
            bottom = static_cast<int>(IMAGE->HEIGHT) - 1;
  platform::Line(IMAGE, 0, 0, right, bottom, colour, platform::kLine);
  platform::Line(IMAGE, right, 0, 0, bottom, colour, platform::kLine);
}

// A transparent image of W x H character cells, or null when the size gives none.
platform::IMAGE* CreateBox(int32_t W, int32_t H) {
  const int64_t width = int64_t{W} * 8, height = int64_t{H} * 8;
  if (width < 1 || height < 1 || width > platform::kMaxImageSide ||
      height > platform::kMaxImageSide)
    return nullptr;
  return platform::ImageCreate(static_cast<int>(width), static_cast<int>(height), 0x00000000u);
}

// The echo of both procedures: the text in a box with a cross, over the work page, then a
// pause with MESSAGE. Errors are reported as PROCEDURE's.
void EchoOverScreen(std::string_view TEXT, std::string MESSAGE, const char* PROCEDURE) {
  platform::IMAGE* IMAGE = TEXT_BOX_RENDER(TEXT, kEchoColumns, kEchoRows, 0);
  DrawCross(IMAGE, kEchoCrossColour);
  if (const int error = platform::Put(nullptr, 0, 0, IMAGE)) {
    IMAGEDESTROY2(IMAGE);
    rt::Abort(error, rt::Where{__LINE__, MODULE_NAME, PROCEDURE});
  }
  SIMPLESLEEP(VGA_TABLE, MESSAGE, 15);
  IMAGEDESTROY2(IMAGE);
}

}  // namespace

std::string TEXT_BOX_STRING(std::string_view BUFFER, int32_t W, int32_t /*H*/) {
  if (W < 2) RT_ABORT(rt::kIllegalFunctionCall);
  const std::string QUEUE_BUFFER = CollapseRuns(CollapseRuns(BUFFER, " "), kLineBreak);
  const std::string_view queue = QUEUE_BUFFER;
  Wrapper box(static_cast<size_t>(W));
  size_t at = 0;
  while (at < queue.size()) {
    const size_t blank = queue.find(' ', at), line_break = queue.find(kLineBreak, at);
    const size_t end = std::min({blank, line_break, queue.size()});
    box.Place(queue.substr(at, end - at));
    if (end == line_break) {
      box.EndLine();
      at = end + 2;
    } else {
      at = end + 1;  // past the blank, or past the end
    }
  }
  return box.Finish();
}

platform::IMAGE* TEXT_BOX_RENDER(std::string_view BUFFER, int32_t W, int32_t H, int32_t Y_SCROLL) {
  platform::Color(0xFFFFFFFFu);
  std::string escape = platform::kEscape;
  SIMPLESLEEP(VGA_TABLE, escape, 15);
  platform::IMAGE* IMAGE = CreateBox(W, H);
  if (IMAGE == nullptr) RT_ABORT(rt::kNullPointer);
  std::string_view BUFF = BUFFER;
  for (int64_t Y = 1; !BUFF.empty(); ++Y) {
    const size_t line_break = BUFF.find(kLineBreak);
    const std::string_view SUBJECT = BUFF.substr(0, line_break);
    BUFF = line_break == std::string_view::npos ? std::string_view() : BUFF.substr(line_break + 2);
    const int64_t row = Y - Y_SCROLL;
    if (row > H) break;
    if (row >= 1) {
      const std::string_view shown = SUBJECT.substr(0, static_cast<size_t>(W));
      RT_CHECK(platform::DrawString(IMAGE, 0, static_cast<int>(row - 1) * 8, shown, kTextColour));
    }
  }
  DrawCross(IMAGE, kRenderCrossColour);
  return IMAGE;
}

std::string SEQ_ECHO_DIRECT(std::string_view SEQ_TEXT_BUFFER) {
  EchoOverScreen(SEQ_TEXT_BUFFER, platform::kEscape, __func__);
  return std::string(SEQ_TEXT_BUFFER);
}

std::string PROPERTY_ECHO_DIRECT(std::string_view PROPERTY_TEXT_BUFFER) {
  EchoOverScreen(PROPERTY_TEXT_BUFFER, std::string(), __func__);
  return std::string(PROPERTY_TEXT_BUFFER);
}
