// The host interface: window and pages, images and drawing, the 8x8 font and text cursor,
// the keyboard buffer, timer and pause, files, BMP decoding, random numbers, the command line
// and program end. Everything above platform/ talks to the host through this header only.
//
// Error convention: operations that can fail return 0 on success and a runtime-error number
// otherwise (1 illegal function call, 2 file not found, 3 file I/O error, 4 out of memory).
// The caller decides whether to abort; see RT_CHECK in runtime.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// ---------------------------------------------------------------------------------------------
// Pixels and images

// One pixel of a page: the bytes B, G, R, X in memory, read as one value U = 0xXXRRGGBB.
struct PIXEL {
  uint32_t U;
};
static_assert(sizeof(PIXEL) == 4);

// Byte offsets of the channels inside a pixel's 32-bit value.
inline constexpr int kShiftB = 0, kShiftG = 8, kShiftR = 16, kShiftX = 24;

// An image buffer: this 32-byte header, immediately followed by HEIGHT rows of PITCH bytes.
// Pixel (x, y) lies at 32 + y * PITCH + x * 4 bytes from the start of the header.
struct IMAGE {
  uint32_t type;         // always 7
  int32_t BPP;           // bytes per pixel: 4
  uint32_t WIDTH;        // pixels per row
  uint32_t HEIGHT;       // rows
  uint32_t PITCH;        // bytes per row: WIDTH * 4 rounded up to a multiple of 16
  uint8_t reserved[12];  // zero

  // The first pixel of row y (no bounds check).
  uint32_t* Row(uint32_t y) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(this) + sizeof(IMAGE) +
                                       static_cast<size_t>(y) * PITCH);
  }
  const uint32_t* Row(uint32_t y) const { return const_cast<IMAGE*>(this)->Row(y); }
};
static_assert(sizeof(IMAGE) == 32);

inline constexpr uint32_t kMaskColour = 0xFFFF00FF;  // magenta, the fill of ImageCreate(w, h)
inline constexpr int kMaxImageSide = 16384;          // larger images are refused

// A new image with every pixel set to `fill` (the mask colour when omitted). Null for a width or
// height below 1 or above kMaxImageSide, a depth other than 32, or when memory runs out.
IMAGE* ImageCreate(int width, int height);
IMAGE* ImageCreate(int width, int height, uint32_t fill, int depth = 32);
// Frees an image from ImageCreate; null is ignored.
void ImageDestroy(IMAGE* image);
// Number of images created and not yet destroyed (for tests that check ownership).
long LiveImageCount();

// ---------------------------------------------------------------------------------------------
// Window and pages

// The longest side of a window, in pixels, whatever the backend.
inline constexpr int kMaxWindowSide = 16384;
// Opens or reopens the window: width x height pixels, depth 32, 1 or 2 pages. Flags: 64 makes
// PSet, Line and DrawString blend by their colour's alpha like Put; 0 writes plainly.
// Returns 0, or non-zero for a side below 1 or above kMaxWindowSide, pages too large to
// allocate, a depth other than 32, a page count outside 1..2, or a window that cannot be
// opened. The pages start cleared.
int ScreenRes(int width, int height, int depth, int pages, int flags);
// Chooses the work and the visible page; a page number the window does not have is ignored.
void PageSet(int work, int visible);
// The work page's pixels (width * height, rows top to bottom), or null without a window. The
// address holds until the next Flip, which may exchange the pages.
PIXEL* ScreenPtr();
// The work page for a caller that writes every one of its pixels before anything else reads the
// page (a renderer): like ScreenPtr, except that a clear still owed by Cls is skipped. `cleared`
// then comes back true, and the caller must take every pixel it reads as 0 whatever the memory
// holds; otherwise it is false and the page holds its content.
PIXEL* ScreenPtrToOverwrite(bool& cleared);
int ScreenWidth();   // 0 without a window
int ScreenHeight();  // 0 without a window
// Copies page `from` onto page `to` (when both exist) and shows the visible page. Without
// arguments it copies the work page onto the visible page, as PageSet chose them.
void Flip(int from, int to);
void Flip();
// Fills the work page with 0 (black, alpha 0).
void Cls();
// Screen(0) closes the window; returns 0 on success and 1 for any other mode.
int Screen(int mode);
// With the native resolution on (SetNativeResolution) and a window open, makes the pages the size
// of the picture the window shows: when that differs from theirs (the window was resized, or went
// into or out of fullscreen) both pages are reopened at it, cleared, with the same page choice.
// A side above kMaxWindowSide is scaled down with the aspect kept; a window that shows nothing,
// or pages that cannot be allocated, leave the pages as they were. Returns true then, whether or
// not the pages changed; false, changing nothing, with the native resolution off or no window.
bool FitPagesToWindow();

// ---------------------------------------------------------------------------------------------
// Drawing. A null target means the work page.

// Draws `source` with its top-left corner at (x, y), clipped to the target, blending each
// channel (alpha included) as dst + ((src - dst) * a) / 256 with a the source pixel's alpha.
// Returns 1 (illegal function call) when `source` is null or there is no target, else 0.
int Put(IMAGE* target, int x, int y, const IMAGE* source);
// Writes one pixel; pixels outside the target are ignored.
void PSet(IMAGE* target, int x, int y, uint32_t colour);
// Reads one pixel; 0xFFFFFFFF outside the target.
uint32_t Point(const IMAGE* target, int x, int y);
enum LineKind { kLine = 0, kBox = 1, kFilledBox = 2 };
// A line, box outline or filled box with both corners included, clipped to the target; the
// corners may be given in any order and lie anywhere. A line has one pixel per step along its
// longer axis, the other coordinate the ideal line's rounded to the nearest pixel (a tie moves
// away from the first corner). Another kind draws nothing.
void Line(IMAGE* target, int x1, int y1, int x2, int y2, uint32_t colour, int kind);
// Draws text in the 8x8 font, one glyph per byte, from (x, y) to the right; only set glyph
// pixels are written, clipped to the target. Returns 1 when there is no target, else 0.
int DrawString(IMAGE* target, int x, int y, std::string_view text, uint32_t colour);
// The 8 rows of a byte's glyph, bit 7 the leftmost pixel. Bytes 32..126 have their own glyphs;
// every other byte shares a visible placeholder, a hollow box.
const uint8_t* Glyph(uint8_t byte);

// ---------------------------------------------------------------------------------------------
// Text console on the work page: 8x8 character cells, cursor column and row from 1.

// Sets the colour of Print's glyphs; Print paints the rest of each cell with 0 (transparent).
void Color(uint32_t foreground);
uint32_t CurrentColor();
// Writes text at the cursor, one cell per byte: every byte shows its glyph, control bytes
// included (a line feed is not obeyed; it shows the placeholder). Glyph pixels are written
// plainly, without blending. With a line end the cursor moves to column 1 of the next row,
// otherwise it stays right after the text. A byte that finds the cursor past the last column
// goes to column 1 of the next row, and a next row past the bottom scrolls the whole page up by
// one text row (8 pixel rows), the uncovered rows becoming 0. Nothing happens without a window.
void Print(std::string_view text, bool line_end = true);
// 1-based. After a byte printed in the last column, and before the next one wraps, the column
// is one past the last.
int CursorColumn();
int CursorRow();  // 1-based
// Moves the cursor; values are clamped to the console (columns 1..width/8, rows 1..height/8,
// at least 1 each). ScreenRes and Cls move it to row 1, column 1.
void Locate(int row, int column);

// ---------------------------------------------------------------------------------------------
// Keyboard and time

// Key texts: one byte for an ordinary key; byte 255 and a letter for extended keys.
inline constexpr char kEscape[] = "\x1b";
inline constexpr char kEnter[] = "\r";
inline constexpr char kBackspace[] = "\b";
inline constexpr char kUp[] = "\xffH";
inline constexpr char kDown[] = "\xffP";
inline constexpr char kLeft[] = "\xffK";
inline constexpr char kRight[] = "\xffM";
inline constexpr char kClose[] = "\xffk";  // the window's close button

// Takes the next key from the keyboard buffer, or the empty text when none waits.
std::string Inkey();
// Appends a key text to the keyboard buffer (backends and tests).
void PushKey(std::string key);
// Empties the keyboard buffer; for tests also lets every held key up and the axes rest (neither
// recorded) and starts the frame durations again.
void ClearKeys();
// Takes every occurrence of `key` out of the keyboard buffer (after pumping the window's events)
// and returns how many there were; the other keys keep their order.
int TakeKey(std::string_view key);
// Seconds from a high-resolution clock; only differences are meaningful.
double Timer();
// Pauses the program thread; a key press does not cut the pause short.
void Sleep(int milliseconds);

// ---------------------------------------------------------------------------------------------
// Held keys, the game controller and the frame's duration, for continuous controls. Beside the
// key texts it pushes, a backend reports each physical key going down and coming up by name, and
// the game controller's axes; the engine reads them once per frame. While a session is recorded
// (RecordSession) each of these, as it reaches the engine, is written to the recording.

// The names of the physical keys, in the order of the documentation: "A" to "Z", "0" to "9",
// "Up", "Down", "Left", "Right", "Space", "Enter", "Escape", "Tab", "Backspace", "Home", "End",
// "PageUp", "PageDown", "Insert", "Delete", "Comma", "Period", "Slash", "Semicolon", "Quote",
// "Minus", "Equals", "LeftBracket", "RightBracket", "Backslash", "Backquote", "LeftShift",
// "RightShift", "LeftCtrl", "RightCtrl", "LeftAlt", "RightAlt", "F1" to "F9".
bool IsKeyName(std::string_view name);
std::string KeyNameList();  // the names above joined by blanks, for messages
// A key named `name` goes down (ignored while it is down, so that key repeat adds nothing) or
// comes up (ignored unless held). Names that are no key name are ignored.
void KeyDown(const std::string& name);
void KeyUp(const std::string& name);
// Every held key comes up (the window lost the focus, so no release will be seen).
void ReleaseKeys();
// True while the key is down, and for the frame that a key pressed and released between two
// TakeFrameSeconds went down in, so that a tap shorter than a frame still moves.
bool KeyHeld(std::string_view name);

// The game controller's axes. Sticks go from -1 (left, up) to 1 (right, down), triggers from 0
// to 1.
enum Axis {
  kAxisLeftX,
  kAxisLeftY,
  kAxisRightX,
  kAxisRightY,
  kAxisLeftTrigger,
  kAxisRightTrigger,
  kAxisCount
};
// Share of an axis's travel around its rest that counts as rest, so that a worn stick that does
// not return quite to the middle moves nothing.
inline constexpr double kAxisDeadZone = 0.2;
// "leftx", "lefty", "rightx", "righty", "lefttrigger", "righttrigger"; -1 / null for others.
int AxisFromName(std::string_view name);
const char* AxisName(int axis);
// Sets an axis from the controller's reading (clamped to -1..1; NaN counts as rest). Every axis
// rests at 0 until a controller reports one; a controller unplugged sets its axes back to 0.
void SetAxis(int axis, double reading);
// The axis as the engine uses it: 0 inside the dead zone, then growing evenly to 1 at the end.
double AxisValue(int axis);

// Seconds since the previous call (0 at the first), called once per frame by the engine.
double TakeFrameSeconds();
// Writes the session from here on to `path` (see platform/recording.h for the format); 0, or 2
// when the file cannot be made.
int RecordSession(const std::string& path);

// ---------------------------------------------------------------------------------------------
// The desktop window's own settings and the pointer. The parameter file's desktop keys choose
// the settings; the real window applies a change at once, the headless backend only keeps them.
// Its keys (F10, F11, Alt+Enter, F12, Print Screen) and the pointer's capture never reach Inkey.

// Mouse counts per unit of pointer motion: sweeping the pointer across a 640-pixel window turns
// the view by about its 90-degree field of view (640 x 0.25 x 0.01 radians).
inline constexpr double kDefaultMouseScale = 0.25;

struct DesktopSettings {
  bool fullscreen = false;                  // start fullscreen; F11 and Alt+Enter toggle it
  bool vsync = false;                       // at most one frame per display refresh
  double mouse_scale = kDefaultMouseScale;  // multiplies the captured pointer's motion
  std::string screenshots;                  // folder of the F12 pictures; empty: working directory
  std::string wait_title;          // while not empty, the title shows it instead of the frame rate
  bool native_resolution = false;  // the pages follow the window (FitPagesToWindow)
  std::string title_note;          // shown in the title after the frame rate; empty: none
};
const DesktopSettings& Desktop();
void SetFullscreen(bool on);
void SetVsync(bool on);
void SetMouseScale(double scale);
void SetScreenshotFolder(const std::string& folder);
// What a wait for the user shows in the window's title ("texture 2 of 7 - ..."); the empty text
// ends the wait's title, and the frame rate is shown again from the next frame on.
void SetWaitTitle(const std::string& text);
// Turns on or off the pages following the window's size (FitPagesToWindow).
void SetNativeResolution(bool on);
// A lasting note for the window's title (the engine's goal message); empty removes it.
void SetTitleNote(const std::string& note);

// While the pointer is captured (a click in the window captures it; F10 and losing the focus
// release it), sets the motion counts since the last call, scaled by the mouse scale (fractions
// carried over), and the buttons (bit 0 the first, bit 1 the second); all 0 while it is not.
// Returns false, leaving the outputs alone, when the backend has no pointer (headless).
bool TakeMouse(int32_t& horizontal, int32_t& vertical, int32_t& buttons);
// Shows the work page on the window as it is now, leaving both pages alone (a wait that prints
// on the work page shows what it printed).
void ShowWorkPage();

// ---------------------------------------------------------------------------------------------
// Random numbers, command line, program end

// Seeds the generator from any double (its bits, so every seed gives its own sequence).
void Randomize(double seed);
// The seed last given to Randomize (0 before any).
double RandomSeed();
// The next number r of the generator, 0 <= r < 1.
double Rnd();

void SetCommandLine(int argc, char** argv);
// Command-line word n (0 is the program's path); the empty text past the last word.
std::string Command(int n);

// Ends the program with an exit code: closes the window, then runs the end hook. The default
// hook calls std::exit; tests and fuzz targets replace it (it must not return; it may throw).
[[noreturn]] void End(int exit_code);
using EndHook = void (*)(int exit_code);
// Installs a hook (null restores the default) and returns the previous one.
EndHook SetEndHook(EndHook hook);
// Writes a message to the standard error stream unless quietened (fuzz targets quieten it).
void WriteError(std::string_view message);
void SetQuietErrors(bool quiet);

// ---------------------------------------------------------------------------------------------
// Files. Slots are numbered 1..255; FreeFile gives the lowest closed slot (0 when none is free).
// Only regular files are opened; a path that is empty, holds a zero byte or names a directory,
// a device or a pipe counts as a file that cannot be opened. A slot number outside 1..255, or
// a slot that is not open (or not open in a mode that allows the operation) gives error 1.

enum class OpenMode {
  kInput,       // text lines, read only
  kBinary,      // bytes, read and write; the file is created when missing
  kBinaryRead,  // bytes, read only
};
int FreeFile();
// Opens a file into a closed slot: 0, 1 for a bad or already open slot, 2 when the file cannot
// be opened (or, for kBinary, created).
int Open(int slot, const std::string& path, OpenMode mode);
// Reads the next line of a kInput slot: up to a line feed (not included), a carriage return
// right before it dropped; the last line needs no line feed. 3 when no line is left or a read
// fails, 4 when there is no memory for the line (line empty then). A line takes memory of its
// own length and no more.
int LineInput(int slot, std::string& line);
// True when an input slot has no byte left to read, or when a binary slot's next byte (the one
// after the last Get or PutBytes, the first byte after Open) lies at or past the file's end.
// Also true for a slot that is not open. False for an input slot whose read failed, so that the
// next LineInput reports the failure.
bool Eof(int slot);
// Length of the open file in bytes, or -1.
int64_t Lof(int slot);
// Reads size bytes of a binary slot at the 1-based byte position; bytes past the end read as 0.
// The number of bytes actually read goes to *got when given. 1 for a position below 1, 3 when
// the read fails.
int Get(int slot, int64_t position, void* buffer, size_t size, size_t* got = nullptr);
// Writes size bytes of a kBinary slot at the 1-based byte position (a position past the end
// extends the file). 1 for a position below 1, 3 when the write fails.
int PutBytes(int slot, int64_t position, const void* buffer, size_t size);
// Closes an open slot: 0, 1 when it is not open, 3 when the host reports a failure (the slot is
// closed all the same).
int Close(int slot);
// Deletes a file; 2 when it does not exist, is a directory or cannot be deleted.
int Kill(const std::string& path);
// Renames a file over another name (replacing it); 3 on failure.
int Rename(const std::string& from, const std::string& to);
// Replaces the file at `path` (or creates it) with `bytes`, so that the path names the old file
// or the whole new one at every moment, also when two processes save at once: the bytes go to a
// new file beside it, made exclusively under a name of its own (".NAME~maze-save-" and eight
// random hexadecimal digits, NAME cut to 100 bytes so that any name fits), which takes the old
// file's permission bits, is flushed to disk and renamed over `path`. Returns 0; 2, with nothing
// changed, when no file can be made in the folder or it cannot take the path's place (a directory
// of that name); 3, with nothing changed, when writing or flushing fails. Nothing else in the
// folder is touched; a save killed midway leaves its temporary file behind.
int ReplaceFile(const std::string& path, std::string_view bytes);
// True when the path names a regular file that can be opened for reading.
bool IsReadableFile(const std::string& path);
// Why a path that cannot be opened for reading is no file to read, for a message: "no such file
// in FOLDER", "a folder, not a file", "not a regular file" or that it cannot be read.
std::string WhyNotReadable(const std::string& path);
// The working directory, or the empty text when the host cannot tell it.
std::string CurDir();
// Changes the working directory; 0 on success, -1 on failure.
int ChDir(const std::string& path);

// Directory search attributes, mapped from POSIX: read-only = the owner has no write permission;
// hidden = the name starts with a dot; system = neither a regular file nor a directory (devices,
// pipes, sockets, broken symbolic links); directory; archive = a regular file. Symbolic links
// count as what they point to.
inline constexpr int kAttrReadOnly = 1, kAttrHidden = 2, kAttrSystem = 4, kAttrDirectory = 16,
                     kAttrArchive = 32;
// Starts a search, ending any earlier one: the part of `pattern` after its last "/" is matched
// against each name of the directory before it (the working directory when there is no "/"),
// case-sensitively, * standing for any run of bytes and ? for one byte. A name is found when
// each of its attribute bits is set in `attributes`; without kAttrDirectory there, kAttrArchive
// counts as set, so a mask of 0 finds plain files. "." and ".." are never found; names come in
// the directory's own order. Returns the first name found (no directory part; empty when
// none). Dir() gives the next name of the same search, and the empty text once it is done.
std::string Dir(const std::string& pattern, int attributes);
std::string Dir();

// Reads a Windows bitmap into an existing image, converting its pixels to 0xAARRGGBB (alpha 255
// where the file has no alpha channel), top row of the picture into row 0, clipped to the image.
// Only the corner the image holds is decoded, so memory follows the image, not the file.
// Returns 0, 2 for a missing file, 1 for a file that is no acceptable bitmap or a null image,
// 3 when a read fails.
int BLoad(const std::string& path, IMAGE* image);
// The answer BLoad would give before decoding any pixel: 0 when the file's headers are
// acceptable and its pixel rows lie inside it, 2 for a missing file, 3 when a read fails, 1
// otherwise. Reads the headers only and allocates nothing, so that a caller can refuse a file
// before sizing an image by its header.
int BLoadCheck(const std::string& path);
// BLoadCheck, which also says in `why` what is wrong with a file it does not take ("no such
// file", "a PNG picture, not a Windows bitmap (BMP)", ...); empty for a file it takes.
int BLoadCheck(const std::string& path, std::string& why);

}  // namespace platform
