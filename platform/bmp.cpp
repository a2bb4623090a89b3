// Windows bitmap reading: our own header check, then the decoder (internal::DecodeBitmap) on the
// part of the picture that the image can hold.
//
// Only the top-left corner that fits the image is decoded: the headers and palette are copied
// into a small bitmap in memory whose rows are that corner's, which SDL decodes as it would have
// decoded the corner of the whole file. Two of SDL's rules look at every pixel, and are checked
// on the whole file here: a palette index past the palette refuses the file, and a 32-bit file
// without bit fields takes its fourth bytes as alpha unless they are zero everywhere.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "platform/platform.h"

namespace platform {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kMaskBytes = 16;  // red, green, blue and alpha masks after the 40-byte header
constexpr uint32_t kRgb = 0, kBitFields = 3;  // the compression values accepted
constexpr int64_t kScanChunk = 64 * 1024;     // bytes of pixel rows read at a time by the scans

uint32_t U16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}
uint32_t U32(const uint8_t* p) {
  return U16(p) | U16(p + 2) << 16;
}
void PutU32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// The fields of the two headers that decide whether a file is accepted and how it is read.
struct Header {
  uint32_t pixel_offset;  // where the pixel rows start
  uint32_t info_size;     // size of the information header
  int64_t width;
  int64_t height;  // absolute value
  bool top_down;   // a negative height in the file: the top row comes first
  uint32_t planes;
  uint32_t bits;  // bits per pixel
  uint32_t compression;
  uint32_t colours_used;  // palette entries (0: all that the bit count allows)
  uint32_t masks[4];      // red, green, blue, alpha; alpha 0 when the header has none

  int64_t Stride() const { return RowBytes(width); }
  // The bytes of a pixel row `columns` wide, padded to 4 bytes.
  int64_t RowBytes(int64_t columns) const { return (columns * bits + 31) / 32 * 4; }
  int64_t PaletteEntries() const { return colours_used != 0 ? colours_used : int64_t{1} << bits; }
  // Where the headers, the masks and the palette end.
  int64_t HeadersEnd() const {
    int64_t end = int64_t{kFileHeaderSize} + info_size;
    if (compression == kBitFields && info_size == kInfoHeaderSize) end += 12;  // the masks
    if (bits <= 8) end += 4 * PaletteEntries();
    return end;
  }
};

Header Parse(const uint8_t* b) {
  const int32_t height = static_cast<int32_t>(U32(b + 22));
  return Header{U32(b + 10),
                U32(b + 14),
                static_cast<int32_t>(U32(b + 18)),
                height < 0 ? -int64_t{height} : int64_t{height},
                height < 0,
                U16(b + 26),
                U16(b + 28),
                U32(b + 30),
                U32(b + 46),
                {U32(b + 54), U32(b + 58), U32(b + 62), U32(b + 14) >= 56 ? U32(b + 66) : 0}};
}

// True when the channel masks of a bit-field file are usable: red, green and blue each set, no
// two masks sharing a bit, none reaching past the pixel's bits, and together a pixel format
// that the decoder knows (SDL refuses the others).
bool MasksUsable(const Header& h) {
  const uint64_t pixel = (uint64_t{1} << h.bits) - 1;
  uint32_t seen = 0;
  for (int i = 0; i < 4; ++i) {
    const uint32_t mask = h.masks[i];
    if ((mask == 0 && i < 3) || (mask & seen) != 0 || mask > pixel) return false;
    seen |= mask;
  }
  return internal::KnownMasks(h.bits, h.masks);
}

// Why this decoder does not take a bitmap with these headers in a file of file_size bytes, or
// null for the variants it takes, whose pixel rows fit in the file. Nothing beyond the headers
// has been read or allocated yet.
const char* Refusal(const Header& h, int64_t file_size) {
  const uint32_t sizes[] = {40, 52, 56, 108, 124};
  if (std::find(std::begin(sizes), std::end(sizes), h.info_size) == std::end(sizes))
    return "an information header of a size no bitmap has";
  if (h.width < 1 || h.width > kMaxImageSide || h.height < 1 || h.height > kMaxImageSide)
    return "a width or height outside 1 to 16384";
  if (h.planes != 1) return "a plane count other than 1";
  const uint32_t depths[] = {1, 4, 8, 16, 24, 32};
  if (std::find(std::begin(depths), std::end(depths), h.bits) == std::end(depths))
    return "a bit depth other than 1, 4, 8, 16, 24 or 32";
  const bool masked = h.bits == 16 || h.bits == 32;
  if (h.compression != kRgb && !(h.compression == kBitFields && masked))
    return "compressed pixels (only uncompressed bitmaps are read)";
  if (h.compression == kBitFields && !MasksUsable(h)) return "colour masks of no known format";
  if (h.bits <= 8 && h.colours_used > (uint32_t{1} << h.bits))
    return "more palette entries than its depth allows";
  // The pixel rows, each padded to 4 bytes, must lie after the headers and inside the file.
  if (h.pixel_offset < h.HeadersEnd()) return "pixel rows that start inside its headers";
  if (h.pixel_offset + h.Stride() * h.height > file_size) return "pixel rows cut off by its end";
  return nullptr;
}

// An open bitmap file, closed when it goes.
class BitmapFile {
 public:
  explicit BitmapFile(const std::string& path) : fd_(internal::OpenRegularFile(path, O_RDONLY)) {}
  ~BitmapFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  BitmapFile(const BitmapFile&) = delete;
  BitmapFile& operator=(const BitmapFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int64_t Size() const {
    struct stat st;
    return ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
  }
  // Reads size bytes at the offset: 0; 1 when the file ends first (the rest reads as 0); 3 when
  // a read fails.
  int Read(int64_t offset, void* buffer, size_t size) const {
    const ssize_t done = internal::ReadFull(fd_, buffer, size, offset);
    return done < 0 ? 3 : static_cast<size_t>(done) == size ? 0 : 1;
  }

 private:
  int fd_;
};

// Reads and checks the headers (and masks) of an open bitmap: 0 when they are acceptable (then
// in `h`), 1 when not (`why` then says why), 3 when a read fails.
int CheckHeaders(const BitmapFile& file, Header& h, const char*& why) {
  uint8_t bytes[kFileHeaderSize + kInfoHeaderSize + kMaskBytes];
  const int64_t size = file.Size();
  const int read = file.Read(0, bytes, sizeof bytes);
  if (read == 3) return 3;
  static constexpr uint8_t kPng[] = {0x89, 'P', 'N', 'G'};
  if (size >= 4 && std::memcmp(bytes, kPng, sizeof kPng) == 0) {
    why = "a PNG picture, not a Windows bitmap (BMP)";
  } else if (size < 2 || bytes[0] != 'B' || bytes[1] != 'M') {
    why = "not a Windows bitmap (BMP): it does not start with BM";
  } else if (size < static_cast<int64_t>(kFileHeaderSize + kInfoHeaderSize)) {
    why = "too short for a bitmap's headers";
  } else {
    h = Parse(bytes);
    why = Refusal(h, size);
  }
  return why == nullptr ? 0 : 1;
}

// Calls visit(row bytes) for each pixel row of the file, a chunk of rows at a time; stops early
// when visit returns false. 0, or 3 when a read fails.
template <class Visit>
int ScanRows(const BitmapFile& file, const Header& h, Visit visit) {
  const int64_t stride = h.Stride();
  const int64_t rows_per_chunk = std::clamp<int64_t>(kScanChunk / stride, 1, h.height);
  std::vector<uint8_t> chunk(static_cast<size_t>(stride * rows_per_chunk));
  for (int64_t row = 0; row < h.height; row += rows_per_chunk) {
    const int64_t rows = std::min(rows_per_chunk, h.height - row);
    if (file.Read(h.pixel_offset + row * stride, chunk.data(),
                  static_cast<size_t>(stride * rows)) == 3)
      return 3;
    for (int64_t r = 0; r < rows; ++r) {
      if (!visit(chunk.data() + r * stride)) return 0;
    }
  }
  return 0;
}

// True when some pixel of a palette file, anywhere in the picture, indexes past the palette
// (SDL's decoder then refuses the file); `failed` is set when a read fails.
bool IndexPastPalette(const BitmapFile& file, const Header& h, bool& failed) {
  const int64_t entries = h.PaletteEntries();
  if (h.bits > 8 || entries >= (int64_t{1} << h.bits)) return false;
  bool past = false;
  failed = ScanRows(file, h, [&](const uint8_t* row) {
             for (int64_t x = 0; x < h.width && !past; ++x) {
               const int64_t bit = x * h.bits;
               const int index = (row[bit / 8] >> (8 - h.bits - bit % 8)) & ((1 << h.bits) - 1);
               past = index >= entries;
             }
             return !past;
           }) != 0;
  return past;
}

// True when a pixel's fourth byte is not zero somewhere in a 32-bit file; `failed` is set when a
// read fails.
bool AnyFourthByte(const BitmapFile& file, const Header& h, bool& failed) {
  bool any = false;
  failed = ScanRows(file, h, [&](const uint8_t* row) {
             for (int64_t x = 0; x < h.width && !any; ++x) any = row[x * 4 + 3] != 0;
             return !any;
           }) != 0;
  return any;
}

// A bitmap in memory holding the top-left width x height corner of the file's picture: the
// file's headers and palette with the sizes changed, and the rows of that corner cut to its
// width. 0, or 3 when a read fails.
int CropFile(const BitmapFile& file, const Header& h, int64_t width, int64_t height,
             std::string& out) {
  const int64_t headers = h.HeadersEnd();
  const int64_t stride = h.RowBytes(width);
  out.assign(static_cast<size_t>(headers + stride * height), '\0');
  if (file.Read(0, out.data(), static_cast<size_t>(headers)) == 3) return 3;
  PutU32(out, 2, static_cast<uint32_t>(out.size()));
  PutU32(out, 10, static_cast<uint32_t>(headers));
  PutU32(out, 18, static_cast<uint32_t>(width));
  PutU32(out, 22, static_cast<uint32_t>(h.top_down ? -height : height));
  PutU32(out, 34, static_cast<uint32_t>(stride * height));  // the pixel array's size
  // The picture's top rows are the file's first rows when it is stored top down, else its last.
  const int64_t first = h.top_down ? 0 : h.height - height;
  for (int64_t r = 0; r < height; ++r) {
    char* row = out.data() + headers + r * stride;
    if (file.Read(h.pixel_offset + (first + r) * h.Stride(), row, static_cast<size_t>(stride)) == 3)
      return 3;
  }
  return 0;
}

// True when every fourth byte of the cropped 32-bit bitmap's pixels is zero.
bool NoFourthByte(const std::string& crop, int64_t headers) {
  for (size_t i = static_cast<size_t>(headers) + 3; i < crop.size(); i += 4) {
    if (crop[i] != 0) return false;
  }
  return true;
}

// Decodes an accepted file's top-left corner into the image: 0, 1 when SDL refuses the file, 3
// when a read fails.
int Decode(const BitmapFile& file, const Header& h, IMAGE* image) {
  bool failed = false;
  if (IndexPastPalette(file, h, failed)) return 1;
  if (failed) return 3;
  std::string crop;
  const int64_t width = std::min<int64_t>(h.width, image->WIDTH);
  const int64_t height = std::min<int64_t>(h.height, image->HEIGHT);
  if (CropFile(file, h, width, height, crop) != 0) return 3;
  // SDL makes a 32-bit file without bit fields opaque when its fourth bytes are all zero; when
  // only the corner's are, the whole file's alpha (zero there) must be kept.
  bool clear_alpha = false;
  if (h.bits == 32 && h.compression == kRgb && NoFourthByte(crop, h.HeadersEnd())) {
    clear_alpha = AnyFourthByte(file, h, failed);
    if (failed) return 3;
  }
  const internal::BitmapLayout layout{
      width,
      height,
      h.top_down,
      h.bits,
      h.compression == kBitFields,
      {h.masks[0], h.masks[1], h.masks[2], h.masks[3]},
      h.bits <= 8 ? crop.data() + kFileHeaderSize + h.info_size : nullptr,
      crop.data() + h.HeadersEnd(),
      h.RowBytes(width)};
  return internal::DecodeBitmap(crop, layout, image, clear_alpha);
}

}  // namespace

int BLoadCheck(const std::string& path) {
  std::string why;
  return BLoadCheck(path, why);
}

int BLoadCheck(const std::string& path, std::string& why) {
  const BitmapFile file(path);
  if (!file.IsOpen()) {
    why = WhyNotReadable(path);
    return 2;
  }
  Header h;
  const char* refusal = nullptr;
  const int checked = CheckHeaders(file, h, refusal);
  why = checked == 3 ? "a read failed" : refusal != nullptr ? refusal : "";
  return checked;
}

int BLoad(const std::string& path, IMAGE* image) {
  if (image == nullptr) return 1;
  const BitmapFile file(path);
  if (!file.IsOpen()) return 2;
  Header h;
  const char* why = nullptr;
  const int checked = CheckHeaders(file, h, why);
  return checked != 0 ? checked : Decode(file, h, image);
}

}  // namespace platform
