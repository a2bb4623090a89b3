// Texture loading: each line of a texture list names a 64 x 64 bitmap, which is loaded,
// transposed so that a texture column is an image row, shown until a key is pressed, and
// registered in TEXTUREDB under the line's label.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Support/Property Shorthand.h"
#include "Support/String Support.h"
#include "engine/Engine.h"

static constexpr char MODULE_NAME[] = "engine/Textures";

namespace {

// The side of the square of a texture that the renderer reads.
constexpr int32_t TEXTURESIDE = 64;

// Reads the little-endian int32 at the 0-based byte offset of an open file; bytes past the end
// of a short file read as 0. A failing read stops the program with its error, reported at `at`.
int32_t READINT32(int32_t FILENUM, int64_t OFFSET, const rt::Where& at) {
  unsigned char bytes[4] = {};
  if (const int error = platform::Get(FILENUM, OFFSET + 1, bytes, sizeof bytes)) {
    rt::Abort(error, at);
  }
  const uint32_t u =
      bytes[0] | (bytes[1] << 8) | (bytes[2] << 8 * 2) | (static_cast<uint32_t>(bytes[3]) << 8 * 3);
  return static_cast<int32_t>(u);
}

// |v| with 32-bit wrap: INT32_MIN stays negative, which ImageCreate refuses.
int32_t WRAPPINGABS(int32_t v) {
  return v < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(v)) : v;
}

// Waits for any key, polling without a pause; the key is consumed. The window's close button
// ends the program with exit code 0; every other key, Escape included, continues.
void WAITANYKEY() {
  for (;;) {
    const std::string KEY = platform::Inkey();
    if (KEY == platform::kClose) platform::End(0);
    if (!KEY.empty()) return;
  }
}

// Why the list line LINE gives no bitmap that BMP_LOAD can load, for the hint before the report.
std::string WHYNOBITMAP(const std::string& LINE) {
  if (LINE.empty()) return "an empty line names no bitmap";
  if (LINE.find('=') == std::string::npos) {
    return "no \"=\" between the label and the bitmap's file name";
  }
  const std::string FILE = SUFFIX("=", LINE);
  std::string why;
  platform::BLoadCheck(FILE, why);
  return "\"" + FILE + "\": " + (why.empty() ? "its pixels cannot be decoded into an image" : why);
}

}  // namespace

platform::IMAGE* BMP_LOAD(const std::string& FILENAME) {
  RT_PROCEDURE;
  const int32_t FILENUM = platform::FreeFile();
  if (platform::Open(FILENUM, FILENAME, platform::OpenMode::kBinaryRead) != 0) return nullptr;
  const int32_t BMPWIDTH = READINT32(FILENUM, 18, RT_HERE);
  const int32_t BMPHEIGHT = READINT32(FILENUM, 22, RT_HERE);
  RT_CHECK(platform::Close(FILENUM));
  // A file that BLoad would refuse is refused before an image is made for it.
  if (const int checked = platform::BLoadCheck(FILENAME)) {
    if (checked == rt::kFileIOError) RT_ABORT(checked);
    return nullptr;
  }
  // The whole bitmap is kept up to the page it is shown on (and the square the renderer reads,
  // on a smaller page); only a larger bitmap is cut, to its top-left corner.
  const int32_t MOSTWIDTH = std::max(platform::ScreenWidth(), TEXTURESIDE);
  const int32_t MOSTHEIGHT = std::max(platform::ScreenHeight(), TEXTURESIDE);
  platform::IMAGE* IMG = platform::ImageCreate(std::min(BMPWIDTH, MOSTWIDTH),
                                               std::min(WRAPPINGABS(BMPHEIGHT), MOSTHEIGHT));
  if (IMG == nullptr) return nullptr;
  if (const int loaded = platform::BLoad(FILENAME, IMG)) {
    platform::ImageDestroy(IMG);
    if (loaded == rt::kFileIOError) RT_ABORT(loaded);
    return nullptr;
  }
  return IMG;
}

// Reads: XDIM, YDIM. A null PIC stands for the work page, and the program then stops with
// runtime error 1 before anything is shown.
void TEXTUREROTATE(platform::IMAGE* PIC) {
  platform::IMAGE* PIC2 = platform::ImageCreate(64, 64, 0);
  for (int32_t Y0 = 0; Y0 <= 63; ++Y0) {
    for (int32_t X0 = 0; X0 <= 63; ++X0) {
      platform::PSet(PIC2, X0, Y0, platform::Point(PIC, Y0, X0));
    }
  }
  platform::Line(PIC, 0, 0, 63, 63, 0xFF000000, platform::kFilledBox);
  RT_CHECK(platform::Put(PIC, 0, 0, PIC2));
  platform::ImageDestroy(PIC2);
  platform::Line(nullptr, 0, 0, XDIM - 1, YDIM - 1, 0xFF000000, platform::kFilledBox);
  RT_CHECK(platform::Put(nullptr, 0, 0, PIC));
  platform::Flip(1, 0);
  WAITANYKEY();
}

// Reads: the list FILENAME and the bitmaps it names. Writes: TEXTUREDB, FILEMODE(TEXTUREMODE),
// R, PROPERTY_ECHO, the window's title. A list that cannot be opened stops the program with
// runtime error 2, a read that fails with runtime error 3, a line too long for the memory left
// with runtime error 4. The whole list is read first, so that each wait's title can say how many
// textures there are. The list's textures are registered together after its last line, as
// adding each in turn would (a label listed again takes the later image), in O(n log n) for n
// lines; PROPERTY_ECHO ends as the last add's report.
void LOADTEXTUREDB(const std::string& FILENAME) {
  RT_PROCEDURE;
  PROPERTY_DATABASE_DELETE(TEXTUREDB, "");
  const FILETYPE& slot = OPENLIST(TEXTUREMODE, FILENAME, "the texture list", RT_HERE);
  std::vector<std::string> LINES;
  while (!platform::Eof(slot.MODE)) {
    RT_CHECK(platform::LineInput(slot.MODE, R));
    LINES.push_back(std::move(R));
  }
  RT_CHECK(platform::Close(slot.MODE));
  if (LINES.empty()) return;
  PROPERTY_STORE TEXTURES;  // the list's textures in list order
  const std::string COUNT = rt::Str(static_cast<int32_t>(LINES.size()));
  for (size_t i = 0; i < LINES.size(); ++i) {
    R = std::move(LINES[i]);
    const std::string NUMBER = rt::Str(static_cast<int32_t>(i + 1));
    platform::IMAGE* PIC = BMP_LOAD(SUFFIX("=", R));
    if (PIC == nullptr) HINT(FILENAME + ":" + NUMBER, WHYNOBITMAP(R));
    platform::SetWaitTitle("texture " + NUMBER + " of " + COUNT + " - press a key to continue");
    TEXTUREROTATE(PIC);
    PROPERTY_APPEND(TEXTURES, {-1, PREFIX("=", R), rt::StrAddress(PIC), PIC});
  }
  platform::SetWaitTitle("");
  const std::string LABEL = TEXTURES[TEXTURES.UBound()].LABEL;
  PROPERTY_DATABASE_MERGE(TEXTUREDB, TEXTURES);
  std::string none;
  PROPERTY_ECHO = __ECHO(none, "Adding: \"" + LABEL + "\"");
}
